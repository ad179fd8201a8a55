#!/usr/bin/env bash
# saver_preview.sh SESSION: the preview (/p HWND) end to end in a running session: inside a host window it shows the
# stored 160x120 picture stretched to the host's client area, ignores keys, clicks and mouse movement, and ends
# (with exit code 0) when the host window is destroyed, while the host's process lives on.
set -uo pipefail
source "$(dirname "$0")/e2e.sh"
enter_session "${1:-main}"

# The host's client area: 320x240 at (100,100), twice the stored picture in each direction.
probe_window host-at 100 100 320 240
check "the host window starts" 0 $? || finish

# Wine 8 does not show what a process draws into a child window of another process's window (the host's client
# area stays as the host painted it), so the picture is checked in Wine's GDI trace instead: the stored picture's
# 160x120 pixels are stretched onto the whole 320x240 client area.
WINEDEBUG=+bitblt start_saver "$SAVER" /p "$HOST"
preview="WindowsScreenSaverClass|Preview|52000000|320x240"
check_within 10 "a preview window fills the host's client area" "$preview" probe child "$HOST"
within 5 grep -q 'NtGdiStretchBlt src .* log=0,0 160x120 .* dst .* log=0,0 320x240 .* rop=cc0020' "$SAVER_OUT"
check "the stored 160x120 picture is stretched onto the 320x240 client area" 0 $?

xdotool mousemove 150 150 && sleep 0.2 && xdotool mousemove 300 300 click 1 && sleep 0.2
xdotool click 3 key a key Escape key space
sleep 3
check "keys, clicks and mouse movement leave the preview running" yes "$(running "$SAVER_PID")"
check "the preview window is still there" "$preview" "$(probe child "$HOST")"

probe send "$HOST" 16 0 0 >/dev/null # WM_CLOSE
saver_exit 5
check "the preview ends with the host window, with exit code 0" 0 "$EXIT"
check "the host's process outlives its window" yes "$(running "$HOST_PID")"
finish
