#!/usr/bin/env bash
# saver_fullscreen.sh SESSION: the full-screen saver (/s) at 24 bits, end to end, in a running session: the picture
# in the centred 640x480 rectangle, its motion and its change of flow pattern after ten seconds, the close rules for
# the mouse and the keyboard, and a second start while one runs.
#
# Wine takes about two seconds from the saver's close to the end of the process (without a window manager it waits
# for the X window to be withdrawn), so "closed" is judged within five; "did not close" once the saver has handled
# the input and the message after it (input_ignored).
set -uo pipefail
source "$(dirname "$0")/e2e.sh"
enter_session "${1:-main}"

# The picture reduced to 32x24 squares of 20x20 pixels: per square the average colour, as 2304 numbers. (Whole
# 40x40 blocks are too coarse: in some flow patterns the particles gather in bands inside each block, whose average
# colour stays close to that of an even spread.)
square_colours() {
    $CONVERT "$1" -crop $PICTURE +repage -alpha off -scale 32x24! -depth 8 txt:- |
        sed -n 's/^[0-9]*,[0-9]*: (\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}

# How far apart two pictures' flow colours are: the mean absolute difference of the square colours, 0-255.
flow_distance() {
    paste -d' ' <(square_colours "$1") <(square_colours "$2") |
        awk '{ for (i = 1; i <= 3; ++i) { d = $i - $(i + 3); s += d < 0 ? -d : d; n++ } } END { printf "%.2f", s / n }'
}

WINEDEBUG=trace+message start_saver "$SAVER" /s
check_within 20 "the picture appears in the centred 640x480 rectangle" $PICTURE picture_box || finish
started=${EPOCHREALTIME/./}
first=$(shot first)
check "nothing is drawn outside the centred rectangle" 0 "$(lit_outside "$first")"
inside=$(lit_pixels "$first")
check "the particles fill the picture ($inside lit pixels)" "more than 30000" "$(more_than 30000 "$inside")"

# The field moves every frame: tens of thousands of pixels soon differ.
moved_since_first() { moved=$(changed_pixels "$first" "$(shot second)") && [ "$moved" -gt 10000 ]; }
within 10 moved_since_first
check "the picture changes over time ($moved pixels)" "more than 10000" "$(more_than 10000 "$moved")"

# The picture's colours follow the flow: steady within a pattern, changed after the ten-second pattern change (once
# the new directions have spread over the field). With orbisk-render's pictures for a hundred calendar start times,
# the distance across the change was at least 8.5, within the first pattern 2.6. The saver's clock starts about when
# its picture appears: the pictures within the first pattern are taken at 4 and 8 seconds of it.
since_start() { [ $((${EPOCHREALTIME/./} - started)) -ge $(($1 * 1000000)) ]; }
within 10 since_start 4
early=$(shot early)
within 10 since_start 8
late=$(shot late)
within_pattern=$(flow_distance "$early" "$late")
new_pattern() {
    next=$(shot next)
    across=$(flow_distance "$late" "$next")
    awk -v w="$within_pattern" -v a="$across" 'BEGIN { exit !(a > 5 && a > 2 * w) }'
}
within 20 new_pattern
check "a new flow pattern after ten seconds (colours moved $within_pattern within the pattern, $across across)" yes \
    "$(awk -v w="$within_pattern" -v a="$across" 'BEGIN { print (a > 5 && a > 2 * w) ? "yes" : "no" }')"
check "the pattern change keeps the picture inside its rectangle" 0 "$(lit_outside "$next")"

# Moves add up from the position at creation: 2+0, then 1+1 (4 in all) keep it; 0+1 more (5) closes it. The saver
# window covers the screen from its origin, so a move's point is the pointer's.
saver_window
eval "$(xdotool getmouselocation --shell)"
mark_messages
xdotool mousemove_relative 2 0
within 10 dispatched WM_MOUSEMOVE 00000000 "$(lparam $((X + 2)) "$Y")"
xdotool mousemove_relative 1 1
check "mouse moves adding up to 4 pixels do not close it" ignored \
    "$(input_ignored WM_MOUSEMOVE 00000000 "$(lparam $((X + 3)) $((Y + 1)))")"
xdotool mousemove_relative 0 1
saver_exit 5
check "a fifth pixel of movement closes it with exit code 0" 0 "$EXIT"

# A key closes it; a second start meanwhile only brings the first to the front.
start_saver "$SAVER" /s
check_within 20 "the saver starts again" $PICTURE picture_box
first_pid=$SAVER_PID
start_saver "$SAVER" /s
saver_exit 10
check "a second /s ends at once with exit code 0" 0 "$EXIT"
SAVER_PID=$first_pid
check "the first saver keeps running" yes "$(running "$SAVER_PID")"
check "the first saver keeps drawing" $PICTURE "$(picture_box)"
xdotool key a
saver_exit 5
check "a key closes it with exit code 0" 0 "$EXIT"
check "the screen is black once it has closed" 0x0+1024+768 "$(picture_box)"
finish
