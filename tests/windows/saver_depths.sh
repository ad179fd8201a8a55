#!/usr/bin/env bash
# saver_depths.sh DEPTH: the full-screen saver on a 16- or 8-bit display of its own: the picture in the centred
# 640x480 rectangle and black outside.
set -uo pipefail
here=$(dirname "$0")
depth=${1:?depth}
source "$here/../../scripts/wine32/session.sh"
wine_session_start "saver-depth$depth-$$" "$depth" || exit 1
source "$here/saver_lib.sh"
trap 'stop_saver; wine_session_stop; rm -rf "$SESSION_DIR" "$SHOTS"' EXIT

start_saver /s
if wait_picture 30 >/dev/null; then
    picture=$(shot picture)
    check "nothing is drawn outside the centred rectangle at $depth bits" test "$(lit_outside "$picture")" -eq 0
    inside=$(lit_inside "$picture")
    if [ "$depth" = 8 ]; then
        # Wine 8 does not show an 8-bit DirectDraw primary through the saver's 3-3-2 palette on an 8-bit Xvfb (nor
        # with a private colour map): it maps the picture's colours to the few it holds in the X colour map, so the
        # screen holds about 15 distinct pixel values; many particles come out black, the rest in system colours.
        # The palette itself is checked where the program sets it (display_setup_test); here only the picture's
        # place and the close.
        check "the particles show in the picture at 8 bits ($inside lit pixels)" test "$inside" -gt 5000
    else
        check "the particles fill the picture at $depth bits ($inside lit pixels)" test "$inside" -gt 30000
    fi
    xdotool key a
    wait_saver 5 && check "a key closes it with exit code 0 (got $SAVER_RC)" test "$SAVER_RC" -eq 0 ||
        fail "a key closes it"
else
    fail "the picture appears in the centred rectangle at $depth bits (box $(lit_box "$(shot never)"))"
fi
finish
