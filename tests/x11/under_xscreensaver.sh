#!/usr/bin/env bash
# under_xscreensaver.sh BUILD_DIR: orbisk-x11 as a user gets it (cmake --install, component x11) run by XScreenSaver's
# own daemon on the display in DISPLAY (on-xvfb.sh starts one), as a user made for the run, since the daemon launches
# no hacks for root: on activation the screen shows the picture, the hack ends with exit code 0 when the daemon ends
# it, and nothing of the user runs once the daemon has exited. Needs root, for the user; exits 77 (skipped) without.
set -euo pipefail
build=${1:?build directory}
[ "$(id -u)" -eq 0 ] || { echo "needs root, to make a user for the daemon" >&2; exit 77; }

scale=2 # the picture's pixel size on the 1280 x 960 screen that CMakeLists.txt gives this test
user=orbisk-daemon-test-$$
dir=$(mktemp -d)
home=$dir/home log=$dir/xscreensaver.log bin=$dir/prefix/bin/orbisk-x11
daemon=

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

source "$(dirname "$0")/../../scripts/lib.sh"

nothing_of_user_runs() { ! pgrep -u "$user" >/dev/null; }

cleanup() {
    local code=$?
    set +e
    [ "$code" -eq 0 ] || { echo "--- the daemon's log:" >&2; cat "$log" >&2; }
    [ -n "$daemon" ] && kill "$daemon" 2>/dev/null && wait "$daemon"
    if id -u "$user" >/dev/null 2>&1; then
        pkill -KILL -u "$user"
        within 30 nothing_of_user_runs
        userdel "$user"
    fi
    rm -rf "$dir"
    root_closed_for "$user"
}
trap cleanup EXIT

cmake --install "$build" --component x11 --prefix "$dir/prefix" >/dev/null
chmod -R go+rX "$dir"
useradd --system --user-group --create-home --home-dir "$home" --shell /usr/sbin/nologin "$user"
root_opened_for "$user"
as_user=(setpriv --reuid="$user" --regid="$user" --init-groups --reset-env env -C "$home" DISPLAY="$DISPLAY")

# The settings file: this one program; never blanking, locking or cycling by itself; no splash, no fading.
cat >"$home/.xscreensaver" <<EOF
programs:	$bin --root \n
mode:		one
selected:	0
lock:		False
timeout:	8:00:00
cycle:		0:00:00
splash:		False
fade:		False
unfade:		False
dpmsEnabled:	False
EOF
chown "$user:" "$home/.xscreensaver"

"${as_user[@]}" xscreensaver -no-splash -verbose >"$log" 2>&1 &
daemon=$!
within 30 "${as_user[@]}" xscreensaver-command -version >/dev/null 2>&1 || fail "the daemon does not answer"
"${as_user[@]}" xscreensaver-command -activate >/dev/null

hack=
hack_forked() { # the daemon's line: xscreensaver-gfx: TIME: 0: forked "COMMAND" in pid PID on window WINDOW
    hack=$(grep -F "forked \"$bin --root\" in pid" "$log" | sed -n '1s/.* in pid \([0-9]*\) .*/\1/p')
    [ -n "$hack" ]
}
within 30 hack_forked || fail "the daemon did not start orbisk-x11"

# The picture, each pixel a scale x scale block, centred on the screen, black around it.
seen=
picture_shown() {
    xwd -root -silent >"$dir/screen.xwd" || return 1
    local screen=(convert "$dir/screen.xwd" -alpha off) size width height x y colours around blocks
    size=$("${screen[@]}" -format '%w %h' info:)
    width=$((640 * scale)) height=$((480 * scale))
    x=$(((${size% *} - width) / 2)) y=$(((${size#* } - height) / 2))
    local picture=(-crop "${width}x$height+$x+$y" +repage)
    colours=$("${screen[@]}" "${picture[@]}" -format %k info:)
    around=$("${screen[@]}" -fill black -draw "rectangle $x,$y $((x + width - 1)),$((y + height - 1))" \
        -format '%[max]' info:)
    blocks=$("${screen[@]}" "${picture[@]}" \( +clone -sample 640x480! -sample "${width}x$height!" \) \
        -compose difference -composite -format '%[max]' info:)
    seen="on a ${size/ /x} screen: $colours colours in ${width}x$height+$x+$y, largest value around it $around, \
largest difference within a ${scale}x$scale block $blocks"
    [ "$colours" -ge 100 ] && [ "$around" -eq 0 ] && [ "$blocks" -eq 0 ]
}
within 60 picture_shown || fail "no picture $seen"
echo "the picture $seen"

# The daemon ends a hack with SIGTERM, and destroys its window (at once when it unblanks, some seconds later when it
# cycles). Unblanking, it does not wait for the hack, so the hack's exit shows in its log only when it cycles to the
# next hack. It calls every exit abnormal but death by its own SIGTERM.
"${as_user[@]}" xscreensaver-command -cycle >/dev/null
hack_ended() { grep -q "child pid $hack (.*) \(exited\|unexpectedly terminated\)" "$log"; }
within 30 hack_ended || fail "orbisk-x11 (pid $hack) did not end when the daemon cycled"
grep -qF "child pid $hack ($bin) exited abnormally with status 0" "$log" ||
    fail "orbisk-x11 did not end with exit code 0: $(grep "child pid $hack " "$log")"

"${as_user[@]}" xscreensaver-command -deactivate >/dev/null
no_hack_runs() { ! pgrep -u "$user" -x orbisk-x11 >/dev/null; }
within 30 no_hack_runs || fail "orbisk-x11 still runs after deactivation: $(ps -o pid=,stat=,args= -u "$user")"
"${as_user[@]}" xscreensaver-command -exit >/dev/null
within 30 gone "$daemon" || fail "the daemon did not exit"
wait "$daemon" || true
daemon=
within 30 nothing_of_user_runs || fail "left running: $(ps -o pid=,args= -u "$user")"
echo "orbisk-x11 ran under XScreenSaver $(xscreensaver --version 2>&1 | cut -d' ' -f2)"
