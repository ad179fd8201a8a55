#!/usr/bin/env bash
# settings_dialog.sh SESSION MAKER_URL: the settings dialog as the desktop opens it, in a running session: its
# caption, controls, picture and icon, its owner for each form of the command line, the ways to close it and their
# exit codes, and the button that opens the maker's page (MAKER_URL, as the build was configured).
set -uo pipefail
URL=$2
source "$(dirname "$0")/e2e.sh"
enter_session "$1"
resources=$ROOT/resources

hex() { od -An -tx1 | tr -d ' \n'; }
shift_jis_hex() { printf '%s' "$1" | iconv -f UTF-8 -t CP932 | hex; }

# key_to_dialog KEY: types a key into the dialog, which must have the keyboard focus: without a window manager the
# focus follows the pointer unless it is set.
key_to_dialog() {
    local window
    window=$(x_window '^Vantrel・$') && timeout 10 xdotool windowfocus --sync "$window" && xdotool key "$1"
}

# click X Y: nothing without a point.
click() { [ $# -eq 2 ] && xdotool mousemove "$1" "$2" click 1; }

probe_window host OwnerA && a=$HOST
probe_window host OwnerB && b=$HOST

# Wine opens an address with winebrowser, which runs the browsers its setting names: here a script that writes down
# the address it is given.
browser=$RUN/browser
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$RUN/browser.log" >"$browser"
chmod +x "$browser"
wine_reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$browser" /f

# open_dialog COMMANDLINE: runs the saver with host B in the foreground and waits for the dialog; sets DIALOG.
open_dialog() {
    probe activate "$b"
    start_line "$1"
    DIALOG=$(find_dialog)
    [ -n "$DIALOG" ] && return 0
    check "a dialog captioned \"Vantrel・\" opens for: $1" open "none"
    return 1
}

# pages: the addresses the browser was given.
pages() { tr '\n' ' ' <"$RUN/browser.log" 2>/dev/null; }

# likeness SCREENSHOT RECTANGLE REFERENCE: the root-mean-square difference (0 to 1) between a part of the screen
# and a picture of the same size.
likeness() {
    $CONVERT "$1" -crop "$2" +repage "$RUN/part.png"
    $COMPARE -metric RMSE "$RUN/part.png" "$3" null: 2>&1 | sed 's/.*(\(.*\))/\1/'
}
close_to() { awk -v d="$1" 'BEGIN { print (d != "" && d < 0.08) ? "yes" : "no (" d ")" }'; }

# The program name alone: the dialog, without an owner although another window is in the foreground.
saver=$(windows_path "$SAVER")
if open_dialog "$saver"; then
    check "no switch: no owner" 0 "$(probe owner "$DIALOG")"
    # Id, class, and the text in code page 932, or the picture that a static control holds.
    expected="1 Button $(printf OK | hex)
-1 Static bitmap
-1 Static icon
1003 Button $(shift_jis_hex 接続)
-1 Static $(printf 'Vantrel\nOrbisk ver1.1' | hex)
-1 Static $(printf '%s' "$URL" | hex)
-1 Static $(shift_jis_hex 光の粒が織りなす流れをお楽しみください。)"
    controls=$(probe controls "$DIALOG")
    check "the controls, in order" "$expected" "$(awk '{ print $1, $2, ($7 == "-" ? $6 : $7) }' <<<"$controls")"

    # The picture and the icon on the screen. The static control stretches the 160 x 120 picture into its client
    # area, which its frame makes smaller; the icon is its 256-colour image on the dialog's background. The dialog
    # has been painted once the picture shows.
    read -r left top right bottom < <(awk 'NR == 2 { gsub(",", " ", $5); print $5 }' <<<"$controls")
    size=$((right - left))x$((bottom - top))
    $CONVERT "$resources/preview.bmp" -sample "$size!" "$RUN/picture.png"
    picture_shown() {
        screen=$(shot screen)
        shown=$(close_to "$(likeness "$screen" "$size+$left+$top" "$RUN/picture.png")")
        [ "$shown" == yes ]
    }
    within 5 picture_shown
    check "the picture is shown" yes "$shown"
    read -r left top right bottom < <(awk 'NR == 3 { gsub(",", " ", $5); print $5 }' <<<"$controls")
    background=$($CONVERT "$screen" -format "%[hex:p{$((left - 2)),$((top - 2))}]" info:)
    $CONVERT -size 32x32 "xc:#$background" "$resources/orbisk.ico[1]" -composite "$RUN/icon.png"
    check "the icon is shown" yes \
        "$(close_to "$(likeness "$screen" "32x32+$left+$top" "$RUN/icon.png")")"

    key_to_dialog Return
    check "Enter ends it with 1" 1 "$(exit_code)"
fi

# A quoted program name with a blank in it, and the owner written after a colon; the maker's page, twice; the close
# box.
cp "$SAVER" "$RUN/Orbisk Saver.scr"
if open_dialog "\"$(windows_path "$RUN/Orbisk Saver.scr")\" /c:$a"; then
    check "/c:window: that window owns it" "$a" "$(probe owner "$DIALOG")"
    read -r left top right bottom < <(probe controls "$DIALOG" | awk '$1 == 1003 { gsub(",", " ", $5); print $5 }')
    click $(((left + right) / 2)) $(((top + bottom) / 2))
    check_within 10 "the button opens the maker's page" "$URL " pages
    probe is-window "$DIALOG"
    check "and leaves the dialog open" 0 $?
    click $(((left + right) / 2)) $(((top + bottom) / 2))
    check_within 10 "pressed again, it opens the page again" "$URL $URL " pages
    click $(probe close-box "$DIALOG")
    check "the close box ends it with 2" 2 "$(exit_code)"
fi

# The foreground window owns the dialog whenever no valid window follows a colon.
for tail in "/c $a" /c '/c 1234' /c:1234 '-C:'; do
    open_dialog "$saver $tail" || continue
    check "$tail: the foreground window owns it" "$b" "$(probe owner "$DIALOG")"
    case $tail in
    "/c $a")
        key_to_dialog Escape
        check "Esc ends it with 2" 2 "$(exit_code)" ;;
    /c)
        probe send "$DIALOG" 0x0010 0 0 >/dev/null # WM_CLOSE
        check "closing it ends it with 2" 2 "$(exit_code)" ;;
    *)
        probe command "$DIALOG" 2
        exit_code >/dev/null ;;
    esac
done

finish
