#!/usr/bin/env bash
# saver_preview.sh SESSION: the preview (/p HWND) end to end in a running session: inside a host window it shows the
# stored 160x120 picture stretched to the host's client area, ignores keys, clicks and mouse movement, and ends
# (with exit code 0) when the host window is destroyed, while the host's process lives on.
set -uo pipefail
here=$(dirname "$0")
source "$here/../../scripts/wine32/session.sh"
wine_session_enter "${1:-main}"
source "$here/saver_lib.sh"
HOST=$ROOT/build-win32/tests/windows/probe.exe
host_pid=
trap 'stop_saver; [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null; rm -rf "$SHOTS"' EXIT

# The host's client area: 320x240 at (100,100), twice the stored picture in each direction.
"$WINE" "$HOST" host-at 100 100 320 240 >"$SHOTS/host.out" 2>/dev/null &
host_pid=$!
for _ in $(seq 100); do [ -s "$SHOTS/host.out" ] && break; sleep 0.1; done
host=$(head -1 "$SHOTS/host.out" | tr -d '\r')
[ -n "$host" ] || { fail "the host window starts"; finish; }

# Wine 8 does not show what a process draws into a child window of another process's window (the host's client
# area stays as the host painted it), so the picture is checked in Wine's GDI trace instead: the stored picture's
# 160x120 pixels are stretched onto the whole 320x240 client area.
WINEDEBUG=+bitblt start_saver /p "$host"
child=
for _ in $(seq 100); do
    child=$("$WINE" "$HOST" child "$host" 2>/dev/null | tr -d '\r')
    [ -n "$child" ] && break
    sleep 0.1
done
check "a preview window fills the host's client area ($child)" \
    test "$child" = "WindowsScreenSaverClass|Preview|52000000|320x240"
stretched=
for _ in $(seq 50); do
    stretched=$(grep -c 'NtGdiStretchBlt src .* log=0,0 160x120 .* dst .* log=0,0 320x240 .* rop=cc0020' "$SHOTS/saver.out")
    [ "$stretched" -gt 0 ] && break
    sleep 0.1
done
check "the stored 160x120 picture is stretched onto the 320x240 client area" test "$stretched" -gt 0

xdotool mousemove 150 150 && sleep 0.2 && xdotool mousemove 300 300 click 1 && sleep 0.2
xdotool click 3 key a key Escape key space
sleep 3
check "keys, clicks and mouse movement leave the preview running" kill -0 "$SAVER_PID"
check "the preview window is still there" test "$("$WINE" "$HOST" child "$host" 2>/dev/null |
    tr -d '\r')" = "$child"

"$WINE" "$HOST" send "$host" 16 0 0 >/dev/null 2>&1 # WM_CLOSE
if wait_saver 5; then
    check "the preview ends with the host window, with exit code 0 (got $SAVER_RC)" test "$SAVER_RC" -eq 0
else
    fail "the preview ends when the host window is destroyed"
fi
check "the host's process outlives its window" kill -0 "$host_pid"
finish
