#!/usr/bin/env bash
# settings_dialog_screenshot.sh [OUT.png]: a picture of the settings dialog under Wine, in a session of its own, for
# the documentation (docs/settings-dialog.png by default). Needs the build (scripts/build).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath -m "${1:-$here/../../docs/settings-dialog.png}")
source "$here/e2e.sh"
own_session screenshot 24

start_line "$(windows_path "$SAVER")"
dialog=$(find_dialog) || true
[ -n "$dialog" ] || { echo "the dialog did not open" >&2; exit 1; }
# Without a window manager Wine draws the caption as inactive; show it as the desktop would.
probe send "$dialog" 0x0086 1 0 >/dev/null # WM_NCACTIVATE
sleep 0.5
read -r x y width height < <(xdotool getwindowgeometry --shell "$(x_window '^Vantrel・$')" |
    awk -F= '/^[XYWH]/ { v[$1] = $2 } END { print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"] }')
mkdir -p "$(dirname "$out")"
xwd -root -silent | $CONVERT xwd:- -crop "${width}x${height}+$x+$y" +repage "$out"
probe command "$dialog" 2
echo "$out: ${width}x${height}, dialog closed with $(exit_code)"
