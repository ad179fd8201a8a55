# Helpers for the end-to-end scripts of the running saver: start it, look at the screen, poke it, and wait for it
# to end. Sourced after wine-session.sh, inside a session (DISPLAY and WINEPREFIX set).

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
SAVER=${SAVER:-$ROOT/build-win32/orbisk.scr}
IM=/usr/bin/convert
SHOTS=$(mktemp -d)
FAILURES=0

fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
pass() { echo "ok: $*"; }
check() { # check DESCRIPTION COMMAND...: runs the command as the test of one expectation
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# Starts the saver with ARGS in the background; SAVER_PID is the Windows process itself.
start_saver() {
    "$WINE" "$SAVER" "$@" >"$SHOTS/saver.out" 2>&1 &
    SAVER_PID=$!
}

# Waits up to SECONDS for the saver to end; SAVER_RC is its exit status. Fails (returns 1) if it still runs.
wait_saver() {
    local limit=$(($1 * 20)) n=0
    while kill -0 "$SAVER_PID" 2>/dev/null; do
        n=$((n + 1))
        [ $n -lt $limit ] || return 1
        sleep 0.05
    done
    wait "$SAVER_PID"
    SAVER_RC=$?
    return 0
}

# Ends a saver that a failed check left running.
stop_saver() {
    [ -n "${SAVER_PID:-}" ] || return 0
    kill "$SAVER_PID" 2>/dev/null || true
    wait "$SAVER_PID" 2>/dev/null || true
    SAVER_PID=
}

# shot NAME: the root window as $SHOTS/NAME.xwd; prints the path.
shot() {
    xwd -root -silent >"$SHOTS/$1.xwd"
    echo "$SHOTS/$1.xwd"
}

# The bounding box of the non-black pixels, as WxH+X+Y (0x0+1024+768 for a black screen).
lit_box() { $IM "$1" -alpha off -fill white +opaque black -format '%@' info: 2>/dev/null; }

# Non-black pixels inside the centred 640x480 picture, and outside it.
lit_inside() {
    $IM "$1" -crop 640x480+192+144 +repage -alpha off -fill white +opaque black -format '%[fx:round(mean*w*h)]' info:
}
lit_outside() {
    $IM "$1" -alpha off -fill black -draw 'rectangle 192,144 831,623' -fill white +opaque black \
        -format '%[fx:round(mean*w*h)]' info:
}

# Waits up to SECONDS for the picture to fill the centred rectangle; prints the seconds waited.
wait_picture() {
    local limit=$(($1 * 10)) n=0 file
    while [ $n -lt $limit ]; do
        file=$(shot waiting)
        [ "$(lit_box "$file")" = 640x480+192+144 ] && { echo "$n"; return 0; }
        sleep 0.1
        n=$((n + 1))
    done
    return 1
}

# The picture reduced to 32x24 squares of 20x20 pixels: per square the average colour, as 2304 numbers. (Whole
# 40x40 blocks are too coarse: in some flow patterns the particles gather in bands inside each block, whose average
# colour stays close to that of an even spread.)
square_colours() {
    $IM "$1" -crop 640x480+192+144 +repage -alpha off -scale 32x24! -depth 8 txt:- |
        sed -n 's/^[0-9]*,[0-9]*: (\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}

# How far apart two pictures' flow colours are: the mean absolute difference of the square colours, 0-255.
flow_distance() {
    paste -d' ' <(square_colours "$1") <(square_colours "$2") |
        awk '{ for (i = 1; i <= 3; ++i) { d = $i - $(i + 3); s += d < 0 ? -d : d; n++ } } END { printf "%.2f", s / n }'
}

# Pixels that differ between the centred pictures of two screenshots.
changed_pixels() {
    $IM "$1" -crop 640x480+192+144 +repage "$SHOTS/left.png"
    $IM "$2" -crop 640x480+192+144 +repage "$SHOTS/right.png"
    compare -metric AE "$SHOTS/left.png" "$SHOTS/right.png" null: 2>&1 | cut -d' ' -f1
}

finish() {
    stop_saver
    rm -rf "$SHOTS"
    if [ "$FAILURES" -eq 0 ]; then echo "all checks passed"; exit 0; fi
    echo "$FAILURES check(s) failed"
    exit 1
}

check "the saver under test is the shipped 32-bit program ($SAVER)" test "$(pe_machine "$SAVER")" = i386
