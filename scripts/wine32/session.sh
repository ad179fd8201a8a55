# Wine sessions for the Windows tests and scripts/run, sourced by them. A session is an Xvfb display of its own
# with a Wine prefix of its own (Wine ties its desktop to the display of its first process): it is started and
# stopped by PID, and nothing of it outlives wine_session_stop.
#
# Wine is the Windows test platform's (root.sh): 32-bit Wine under user-mode emulation in a Debian root of its own,
# which runs the shipped 32-bit saver itself. Each session turns the platform's binfmt entry on for as long as it runs.

source "$(dirname "${BASH_SOURCE[0]}")/root.sh" # and with it ../lib.sh
WINE_HOME=${WINE_HOME:-$(cd "$WINE32_HERE/../.." && pwd)/build-win32/wine}
export WINE=$WINE32_HERE/wine WINESERVER=$WINE32_HERE/wineserver
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

wine_reg() { "$WINE" reg "$@" >/dev/null; }

# pe_machine FILE: what a Windows program is built for, from its file header: i386 or x86-64.
pe_machine() {
    local header machine
    header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    machine=$(od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' ')
    case $machine in
    014c) echo i386 ;;
    8664) echo x86-64 ;;
    *) echo "machine $machine" ;;
    esac
}

# The template prefix of the Wine in use (ORBISK_WINE), made once: no crash dialog, DirectDraw through GDI, no
# automatic updates, windows that Wine frames itself. Its version and the platform's key are written in .ready: raise
# the version when the template changes, and older templates, or templates of another platform, are made again. A
# lock keeps sessions that start together from making it twice at once. Also makes the platform, and turns its
# binfmt entry on.
WINE_TEMPLATE_VERSION=4
WINE_TEMPLATE=$WINE_HOME/template-wine$ORBISK_WINE
wine_template() {
    wine32_root || return 1
    wine32_binfmt_on || return 1
    mkdir -p "$WINE_HOME"
    (
        flock 9
        [ "$(cat "$WINE_TEMPLATE/.ready" 2>/dev/null)" = "$WINE_TEMPLATE_VERSION $WINE32_KEY" ] && exit 0
        rm -rf "$WINE_TEMPLATE"
        export WINEPREFIX=$WINE_TEMPLATE
        # The 64-bit wineboot runs natively; the prefix it makes holds the 32-bit system as well.
        DISPLAY= "$WINE32_HERE/enter" /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
        wine_reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f
        wine_reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
        # No window manager runs. Wine's windows are its own, not the manager's: it frames them itself, and a window
        # that closes does not wait two seconds for a manager to let it go. The frame's buttons draw their glyphs
        # in Marlett, which this Wine does not find among its own fonts (the close box showed an "r").
        wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
        cp "$ORBISK_WINE_ROOT/usr/share/wine/fonts/marlett.ttf" "$WINEPREFIX/drive_c/windows/Fonts/"
        echo disable >"$WINEPREFIX/.update-timestamp"
        "$WINESERVER" -w
        echo "$WINE_TEMPLATE_VERSION $WINE32_KEY" >"$WINE_TEMPLATE/.ready"
    ) 9>"$WINE_TEMPLATE.lock"
}

# wine_session_start NAME DEPTH [SCREEN]: a display at DEPTH bits and a prefix copied from the template. SCREEN is
# one monitor's WIDTHxHEIGHT (default 1024x768) or two-monitors (see session_display_start). Exports DISPLAY and
# WINEPREFIX, and SESSION_DIR (which holds the PIDs and an environment file for wine_session_enter).
wine_session_start() {
    local name=$1 depth=$2 screen=${3:-1024x768}
    wine_template || return 1
    SESSION_DIR=$WINE_HOME/sessions/$name
    rm -rf "$SESSION_DIR" && mkdir -p "$SESSION_DIR"
    cp -a "$WINE_TEMPLATE" "$SESSION_DIR/prefix"
    export WINEPREFIX=$SESSION_DIR/prefix SESSION_DIR
    session_display_start "$depth" "$screen" && session_wine_start
}

# wine_session_move SCREEN: the running session, with its prefix, on a new 24-bit display. Wine ties its desktop to
# the display of its first program, so its server ends first.
wine_session_move() {
    session_wine_stop
    stop_recorded "$SESSION_DIR/x.pid"
    session_display_start 24 "$1" && session_wine_start
}

# session_display_start DEPTH SCREEN: the session's X server (Xvfb), its PID in x.pid; exports DISPLAY. For
# two-monitors, Xorg's dummy driver (two-monitors.conf) with two 1024x768 monitors side by side, the second at
# 1024,0, on a white root, so that whatever the saver leaves uncovered shows.
session_display_start() {
    local depth=$1 screen=$2
    if [ "$screen" = two-monitors ]; then
        x_server_start "$SESSION_DIR" Xorg -config "$WINE32_HERE/two-monitors.conf" -logfile "$SESSION_DIR/x.log" -wr \
            -noreset -nolisten tcp -novtswitch -sharevts || return 1
    else
        x_server_start "$SESSION_DIR" Xvfb -screen 0 "${screen}x$depth" -nolisten tcp -noreset || return 1
    fi
    # The second output counts as connected only once the server has probed its outputs again (a query does it),
    # and Wine leaves out the others.
    [ "$screen" != two-monitors ] ||
        { xrandr --addmode DUMMY1 1024x768 && xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 && xrandr >/dev/null; }
}

# session_wine_start: the session's Wine server and the keeper.
session_wine_start() {
    # A server that stays up, and the keeper's desktop, spare every program the start and the two-second linger of
    # a new server; Wine's background programs start here, away from every test's output.
    setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1
    setsid "$WINE" "$WINE_HOME/../tests/windows/orbisk_keeper.exe" </dev/null \
        >"$SESSION_DIR/keeper.out" 2>&1 &
    echo $! >"$SESSION_DIR/keeper.pid"
    # Wait for the keeper's window: until then Wine's background programs are not up, and the first test program
    # would start them with its own output, which they would then hold open.
    within 30 grep -q ready "$SESSION_DIR/keeper.out" || { echo "the Wine desktop did not start" >&2; return 1; }
    # Exports, not `declare -p`: a declare sourced inside wine_session_enter would make the names local to it.
    printf 'export DISPLAY=%q WINEPREFIX=%q SESSION_DIR=%q\n' "$DISPLAY" "$WINEPREFIX" "$SESSION_DIR" \
        >"$SESSION_DIR/env"
}

# session_wine_stop: the keeper and the Wine server, gone before it returns: a server still on its way out would take
# the next start's -p as its own and stay.
session_wine_stop() {
    stop_recorded "$SESSION_DIR/keeper.pid"
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
}

# Re-enters a running session, for a test started by ctest.
wine_session_enter() { source "$WINE_HOME/sessions/$1/env"; }

# stop_recorded FILE: stops the process whose PID the file holds, and removes the file.
stop_recorded() {
    [ -f "$1" ] || return 0
    stop_pid "$(cat "$1")"
    rm -f "$1"
}

wine_session_stop() {
    local dir=${1:-$SESSION_DIR}
    [ -d "$dir" ] || return 0
    SESSION_DIR=$dir WINEPREFIX=$dir/prefix session_wine_stop
    stop_recorded "$dir/x.pid"
    wine32_binfmt_off
}
