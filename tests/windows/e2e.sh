# What the end-to-end scripts of the Windows side share: the session they run in, the saver and the probe
# (probe.cpp) started in it, waiting for them, and what the screen shows. Sourced; the script then enters a running
# session (enter_session) or starts one of its own (own_session). Every program it starts in the background is
# stopped when it ends.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$ROOT/scripts/wine32/session.sh"
source "$ROOT/tests/checks.sh"
SAVER=${SAVER:-$ROOT/build-win32/orbisk.scr}
PROBE=$ROOT/build-win32/tests/windows/probe.exe
CONVERT=/usr/bin/convert COMPARE=/usr/bin/compare # ImageMagick's own, not stand-ins earlier on PATH
PICTURE=640x480+192+144 # the saver's picture, centred on a 1024x768 (primary) monitor
DIALOG_CAPTION=56616e7472656c8145 # "Vantrel・" in code page 932: the settings dialog's caption
started_pids=() own_session=

# enter_session NAME: the running session NAME (see wine_session_start).
enter_session() { wine_session_enter "$1" && fresh_run; }

# own_session NAME DEPTH [SCREEN]: a session of the script's own, stopped when it ends (stop_own_session).
own_session() { own_session=yes && wine_session_start "$@" && fresh_run || exit 1; }

# Its prefix is made afresh each time; its RUN directory stays for a look afterwards.
stop_own_session() { [ -z "$own_session" ] || { wine_session_stop; rm -rf "$SESSION_DIR/prefix"; own_session=; }; }

# RUN: the script's files (screenshots, the saver's output, the probe's answers), in the session.
fresh_run() { RUN=$SESSION_DIR/run && rm -rf "$RUN" && mkdir -p "$RUN"; }

# Closes a settings dialog that a failed check left open in a running session (a program that `probe run` starts is
# not this script's), and stops what the script started.
stop_started() {
    local pid
    [ -n "$own_session" ] || close_dialog
    for pid in "${started_pids[@]}"; do stop_process "$pid"; done
}
trap 'set +e; stop_started; stop_own_session' EXIT # all of it, also where errors end the script

# check_within SECONDS WHAT EXPECTED COMMAND...: checks what the command prints, once it prints EXPECTED or SECONDS
# have passed.
check_within() {
    local seconds=$1 what=$2 expected=$3
    shift 3
    within "$seconds" prints "$expected" "$@"
    check "$what" "$expected" "$PRINTED"
}
prints() { PRINTED=$("${@:2}"); [ "$PRINTED" == "$1" ]; }

# The saver's messages, for a saver started with WINEDEBUG=trace+message (Wine writes a line for each message that
# its windows handle). mark_messages remembers where the saver's output ends now; dispatched MESSAGE [WPARAM LPARAM]
# (8 hexadecimal digits each) says whether the saver has since dispatched that message, a posted one or input.
# received MESSAGE [WPARAM]: whether it has dispatched that message or had it sent.
mark_messages() { MARK=$(cat "$SAVER_OUT" 2>/dev/null | wc -l); }
dispatched() {
    tail -n +$((MARK + 1)) "$SAVER_OUT" | grep -q "\] $1 dispatched  *wp=${2:-[0-9a-f]*} lp=${3:-[0-9a-f]*}"
}
received() {
    tail -n +$((MARK + 1)) "$SAVER_OUT" | grep -q "\] $1 \(dispatched\|sent from \(self\|tid [0-9a-f]*\)\)  *wp=${2:-[0-9a-f]*}"
}
# lparam X Y: a point as a mouse message carries it.
lparam() { printf '%04x%04x' "$2" "$1"; }

# input_ignored MESSAGE [WPARAM LPARAM]: waits until the saver has dispatched this input since the mark, then posts
# a WM_NULL to SAVER_WINDOW and waits for that too: a close that the input asked for was queued before it. Prints
# "ignored" when the saver has had no WM_CLOSE and runs on, else what came.
input_ignored() {
    within 10 dispatched "$@" || { echo "the input did not come"; return; }
    probe post "$SAVER_WINDOW" 0 0 0
    within 10 next_taken
    if dispatched WM_CLOSE || ended "$SAVER_PID"; then
        echo closed
    elif dispatched WM_NULL; then
        echo ignored
    else
        echo "the saver took no message after it"
    fi
}
next_taken() { dispatched WM_NULL || dispatched WM_CLOSE || ended "$SAVER_PID"; }

# saver_window: the full-screen saver's window ("Screen Saver"), once it is there (10 s at most), as SAVER_WINDOW.
saver_window() { SAVER_WINDOW=$(probe find-caption 53637265656e205361766572 10000); }

# Processes by PID: whether one has ended, "yes" or "no" for one still running, and stopping one.
ended() { ! kill -0 "$1" 2>/dev/null; }
running() { ended "$1" && echo no || echo yes; }
stop_process() { kill "$1" 2>/dev/null && wait "$1" 2>/dev/null; }

# start_saver PROGRAM ARGS...: runs a saver in the background, its output in SAVER_OUT; SAVER_PID is the Windows
# process itself.
start_saver() {
    SAVER_OUT=$RUN/saver-$((++savers)).out
    "$WINE" "$@" >"$SAVER_OUT" 2>&1 &
    SAVER_PID=$!
    started_pids+=("$SAVER_PID")
    MARK=0
}
savers=0

# saver_exit SECONDS: sets EXIT to the saver's exit status once it has ended (SECONDS at most), or to "running" (and
# stops it). Not for a command substitution: only this shell can wait for the saver.
saver_exit() {
    if within "$1" ended "$SAVER_PID"; then
        wait "$SAVER_PID"
        EXIT=$?
    else
        stop_process "$SAVER_PID"
        EXIT=running
    fi
}

# shot NAME: the screen as $RUN/NAME.xwd; prints the path.
shot() { xwd -root -silent >"$RUN/$1.xwd" && echo "$RUN/$1.xwd"; }

# picture_box: the bounding box of the screen's non-black pixels as WxH+X+Y: $PICTURE once the saver's picture is up,
# 0x0+1024+768 for a black screen.
picture_box() { $CONVERT "$(shot screen)" -alpha off -fill white +opaque black -format '%@' info: 2>/dev/null; }

# lit_pixels SCREENSHOT [GEOMETRY]: the non-black pixels in that part of the screen (default: the picture), and
# lit_outside SCREENSHOT: those around the picture.
lit_pixels() {
    $CONVERT "$1" -crop "${2:-$PICTURE}" +repage -alpha off -fill white +opaque black \
        -format '%[fx:round(mean*w*h)]' info:
}
lit_outside() {
    $CONVERT "$1" -alpha off -fill black -draw 'rectangle 192,144 831,623' -fill white +opaque black \
        -format '%[fx:round(mean*w*h)]' info:
}

# changed_pixels SCREENSHOT SCREENSHOT: the pixels of the picture that differ between the two.
changed_pixels() {
    $CONVERT "$1" -crop $PICTURE +repage "$RUN/left.png"
    $CONVERT "$2" -crop $PICTURE +repage "$RUN/right.png"
    $COMPARE -metric AE "$RUN/left.png" "$RUN/right.png" null: 2>&1 | cut -d' ' -f1
}

probe() { "$WINE" "$PROBE" "$@"; }

# probe_window VERB ARGS...: a window of the probe's (host CAPTION, or host-at X Y WIDTH HEIGHT) in the background;
# sets HOST, its handle once it is up, and HOST_PID.
probe_window() {
    local out=$RUN/host-$((++hosts))
    "$WINE" "$PROBE" "$@" >"$out" &
    HOST_PID=$!
    started_pids+=("$HOST_PID")
    within 10 test -s "$out" && HOST=$(cat "$out")
}
hosts=0

# start_line COMMANDLINE: runs a program with exactly this command line through `probe run`, in the background; its
# exit code goes to $RUN/exit-code.
start_line() {
    "$WINE" "$PROBE" run "$1" >"$RUN/exit-code" &
    LINE_PID=$!
    started_pids+=("$LINE_PID")
}

# exit_code: waits up to 10 s for the program of start_line and prints its exit code, or "running" (and then closes
# the dialog it left open, so that the next check does not find it).
exit_code() {
    if within 10 ended "$LINE_PID"; then
        wait "$LINE_PID"
        cat "$RUN/exit-code"
    else
        echo running
        close_dialog
    fi
}

# find_dialog: the handle of the settings dialog, once its caption is set; empty if none comes within 10 s.
find_dialog() { probe find-caption $DIALOG_CAPTION 10000; }

close_dialog() {
    local dialog
    dialog=$(probe find-caption $DIALOG_CAPTION 0) && probe command "$dialog" 2
}

# x_window TITLE: the X window of a top-level window with this title (a regular expression, UTF-8).
x_window() { timeout 10 xdotool search --sync --limit 1 --name "$1"; }

# A Linux path as a Windows program sees it (Wine's drive Z: is the root).
windows_path() {
    local path
    path=$(realpath -m "$1")
    printf 'Z:%s' "${path//\//\\}"
}

check "the saver under test is the shipped 32-bit program ($SAVER)" i386 "$(pe_machine "$SAVER")"
