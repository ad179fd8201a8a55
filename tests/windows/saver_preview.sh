#!/usr/bin/env bash
# saver_preview.sh SESSION: the preview (/p HWND) end to end in a running session: inside a host window it shows the
# stored 160x120 picture stretched to the host's client area, ignores keys, clicks and mouse movement, keeps its size
# when the host grows, and ends (with exit code 0) when the host window is destroyed, while the host's process lives
# on.
set -uo pipefail
source "$(dirname "$0")/e2e.sh"
enter_session "${1:-main}"

# The host's client area: 320x240 at (100,100), twice the stored picture in each direction.
probe_window host-at 100 100 320 240
check "the host window starts" 0 $? || finish

# The stored picture's 160x120 pixels are stretched onto the whole 320x240 client area, as Wine's GDI trace tells.
WINEDEBUG=+bitblt,trace+message start_saver "$SAVER" /p "$HOST"
preview="WindowsScreenSaverClass|Preview|52000000|320x240"
check_within 10 "a preview window fills the host's client area" "$preview" probe child "$HOST"
within 5 grep -q 'NtGdiStretchBlt src .* log=0,0 160x120 .* dst .* log=0,0 320x240 .* rop=cc0020' "$SAVER_OUT"
check "the stored 160x120 picture is stretched onto the 320x240 client area" 0 $?

# shows_preview: the host's place on the screen shows the stored picture at twice its size: the mean difference from
# it with each pixel doubled is below 5 % (a white host is 88 % off, a black one 11 %). Wine smooths the enlargement
# rather than doubling each pixel as the stretch mode asks, which is some 2 % off. Wine 8 does not show what a process
# draws into a child window of another process's window at all: there only the trace can tell.
$CONVERT "$ROOT/resources/preview.bmp" -sample 200% "$RUN/expected.png"
shows_preview() {
    local difference
    $CONVERT "$(shot host)" -crop 320x240+100+100 +repage "$RUN/host.png" || return 1
    difference=$($COMPARE -metric MAE "$RUN/host.png" "$RUN/expected.png" null: 2>&1) # its status: whether they differ
    awk -v d="${difference#*(}" 'BEGIN { exit !(d + 0 < 0.05) }'
}
if [ "$ORBISK_WINE" != 8 ]; then
    within 10 shows_preview
    check "the host shows the stored picture, twice its size" 0 $?
fi

# Mouse input over the preview, each handled before the next comes (the host's client area starts at 100,100 on the
# screen); keys, which go to the window with the keyboard focus, are posted to the preview.
SAVER_WINDOW=$(probe first-child "$HOST")
mark_messages
xdotool mousemove 150 150
within 10 dispatched WM_MOUSEMOVE 00000000 "$(lparam 50 50)"
xdotool mousemove 300 300 click 1
within 10 dispatched WM_LBUTTONDOWN 00000001 "$(lparam 200 200)"
xdotool click 3
check "clicks and mouse movement leave the preview running" ignored "$(input_ignored WM_RBUTTONDOWN)"
mark_messages
for key in 0x41 0x1b 0x20; do probe post "$SAVER_WINDOW" 0x100 $key 0; done # WM_KEYDOWN: a, Esc, space
check "keys leave the preview running" ignored "$(input_ignored WM_KEYDOWN 00000020)"
check "the preview window is still there" "$preview" "$(probe child "$HOST")"

# A host that grows keeps the preview as it was made, running, at its size.
probe resize "$HOST" 400 300
check "a grown host keeps the preview running at its size" "yes $preview" "$(running "$SAVER_PID") $(probe child "$HOST")"

probe send "$HOST" 16 0 0 >/dev/null # WM_CLOSE
saver_exit 5
check "the preview ends with the host window, with exit code 0" 0 "$EXIT"
check "the host's process outlives its window" yes "$(running "$HOST_PID")"
finish
