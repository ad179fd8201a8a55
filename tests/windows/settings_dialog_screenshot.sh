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
read -r x y width height < <(xdotool getwindowgeometry --shell "$(x_window '^Vantrel・$')" |
    awk -F= '/^[XYWH]/ { v[$1] = $2 } END { print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"] }')
# The dialog as it is on the screen, once it has been painted (its picture is there); then the same once it looks
# different: without a window manager Wine draws the caption as inactive, so it is shown as the desktop would.
dialog_shot() { $CONVERT "$(shot dialog)" -crop "${width}x${height}+$x+$y" +repage "$RUN/$1.png"; }
painted() { dialog_shot inactive && [ "$($CONVERT "$RUN/inactive.png" -format %k info:)" -gt 100 ]; }
active_drawn() { dialog_shot active && ! $COMPARE -metric AE "$RUN/inactive.png" "$RUN/active.png" null: 2>/dev/null; }
within 10 painted
probe send "$dialog" 0x0086 1 0 >/dev/null # WM_NCACTIVATE
within 5 active_drawn
mkdir -p "$(dirname "$out")"
cp "$RUN/active.png" "$out"
probe command "$dialog" 2
echo "$out: ${width}x${height}, dialog closed with $(exit_code)"
