#!/usr/bin/env bash
# saver_depths.sh DEPTH: the full-screen saver on a 16- or 8-bit display of its own: the picture in the centred
# 640x480 rectangle and black outside.
set -uo pipefail
depth=${1:?depth}
source "$(dirname "$0")/e2e.sh"
own_session "saver-depth$depth" "$depth"

start_saver "$SAVER" /s
check_within 30 "the picture appears in the centred rectangle at $depth bits" $PICTURE picture_box || finish
picture=$(shot picture)
check "nothing is drawn outside the centred rectangle at $depth bits" 0 "$(lit_outside "$picture")"
inside=$(lit_pixels "$picture")
if [ "$depth" = 8 ]; then
    # Wine 8 does not show an 8-bit DirectDraw primary through the saver's 3-3-2 palette on an 8-bit Xvfb (nor
    # with a private colour map): it maps the picture's colours to the few it holds in the X colour map, so the
    # screen holds about 15 distinct pixel values; many particles come out black, the rest in system colours.
    # The palette itself is checked where the program sets it (display_setup_test); here only the picture's
    # place and the close.
    check "the particles show in the picture at 8 bits ($inside lit pixels)" "more than 5000" \
        "$(more_than 5000 "$inside")"
else
    check "the particles fill the picture at $depth bits ($inside lit pixels)" "more than 30000" \
        "$(more_than 30000 "$inside")"
fi
xdotool key a
saver_exit 5
check "a key closes it with exit code 0" 0 "$EXIT"
finish
