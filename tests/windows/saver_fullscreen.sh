#!/usr/bin/env bash
# saver_fullscreen.sh SESSION: the full-screen saver (/s) at 24 bits, end to end, in a running session: the picture
# in the centred 640x480 rectangle, its motion and its change of flow pattern after ten seconds, the close rules for
# the mouse and the keyboard, and a second start while one runs.
#
# Wine takes about two seconds from the saver's close to the end of the process (without a window manager it waits
# for the X window to be withdrawn), so "did not close" is judged after three seconds and "closed" within five.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine32/session.sh"
wine_session_enter "${1:-main}"
source "$(dirname "$0")/saver_lib.sh"
trap 'stop_saver; rm -rf "$SHOTS"' EXIT

start_saver /s
if ! wait_picture 20 >/dev/null; then
    fail "the picture appears in the centred 640x480 rectangle (box $(lit_box "$(shot never)"))"
    finish
fi
started=$(date +%s)
first=$(shot first)
check "nothing is drawn outside the centred rectangle" test "$(lit_outside "$first")" -eq 0
inside=$(lit_inside "$first")
check "the particles fill the picture ($inside lit pixels)" test "$inside" -gt 30000

# The field moves every frame: a second later tens of thousands of pixels differ.
sleep 1
moved=$(changed_pixels "$first" "$(shot second)")
check "the picture changes over time ($moved pixels in a second)" test "$moved" -gt 10000

# The picture's colours follow the flow: steady within a pattern, changed after the ten-second pattern change (once
# the new directions have spread over the field). With orbisk-render's pictures for a hundred calendar start times,
# the distance across the change was at least 8.5, within the first pattern 2.6.
sleep $((4 - ($(date +%s) - started)))
early=$(shot early)
sleep $((8 - ($(date +%s) - started)))
late=$(shot late)
sleep $((15 - ($(date +%s) - started)))
next=$(shot next)
within=$(flow_distance "$early" "$late")
across=$(flow_distance "$late" "$next")
check "a new flow pattern after ten seconds (colours moved $within within the pattern, $across across)" \
    awk -v w="$within" -v a="$across" 'BEGIN { exit !(a > 5 && a > 2 * w) }'
check "the pattern change keeps the picture inside its rectangle" test "$(lit_outside "$next")" -eq 0

# Moves add up from the position at creation: 2+0, then 1+1 (4 in all) keep it; 0+1 more (5) closes it.
xdotool mousemove_relative 2 0
sleep 0.3
xdotool mousemove_relative 1 1
sleep 3
check "mouse moves adding up to 4 pixels do not close it" kill -0 "$SAVER_PID"
xdotool mousemove_relative 0 1
if wait_saver 5; then
    check "a fifth pixel of movement closes it with exit code 0 (got $SAVER_RC)" test "$SAVER_RC" -eq 0
else
    fail "a fifth pixel of movement closes it"
    stop_saver
fi

# A key closes it; a second start meanwhile only brings the first to the front.
start_saver /s
wait_picture 20 >/dev/null || fail "the saver starts again"
first_pid=$SAVER_PID
start_saver /s
if wait_saver 10; then
    check "a second /s ends with exit code 0 (got $SAVER_RC)" test "$SAVER_RC" -eq 0
else
    fail "a second /s ends at once"
    stop_saver
fi
SAVER_PID=$first_pid
check "the first saver keeps running" kill -0 "$SAVER_PID"
check "the first saver keeps drawing" test "$(lit_box "$(shot after-second)")" = 640x480+192+144
xdotool key a
if wait_saver 5; then
    check "a key closes it with exit code 0 (got $SAVER_RC)" test "$SAVER_RC" -eq 0
    check "the screen is black once it has closed" test "$(lit_box "$(shot closed)")" = 0x0+1024+768
else
    fail "a key closes it"
fi
finish
