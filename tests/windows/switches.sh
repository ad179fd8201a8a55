#!/usr/bin/env bash
# switches.sh SESSION: the command-line switches whose outcome is only an exit code, and the password-change switch
# on both Windows families, in a running session. The command lines are given byte for byte (probe run).
set -uo pipefail
source "$(dirname "$0")/e2e.sh"
enter_session "${1:-main}"
MINUS_ONE=4294967295 # an exit code of -1, as the probe prints it

# run COMMANDLINE: runs a program that shows nothing to wait for, and prints its exit code.
run() {
    timeout 20 "$WINE" "$PROBE" run "$1"
    [ $? -ne 124 ] || echo "still running after 20 s"
}

saver=$(windows_path "$SAVER")
probe_window host OwnerA && a=$HOST
probe_window host OwnerB && b=$HOST
probe activate "$b"
check "host B is the foreground window" "$b" "$(probe foreground)"
probe is-window 1234
check "1234 is no window here" 1 $?

# Unknown switches, and a preview without a window it can draw in.
for tail in /x /1 $'/\ts' /p '/p 0' /p:1234 "/p:$a" '/l 1234'; do
    check "$(printf '%q' "$tail") ends with -1" $MINUS_ONE "$(run "$saver $tail")"
done

# The password change, through MPR's PwdChangePasswordA, whose Wine stub reports each call as a fixme with the
# provider and the owner window: "fixme:mpr:PwdChangePasswordA "SCRSAVE" 0000000000010020 0 0000000000000000".
# owner_of_change COMMANDLINE: the exit code, and the owner in decimal or "none" when MPR was not called.
owner_of_change() {
    local code owner
    code=$(WINEDEBUG=-all,fixme+mpr run "$1" 2>"$RUN/mpr.log")
    owner=$(tr -d '\r' <"$RUN/mpr.log" |
        sed -n 's/.*fixme:mpr:PwdChangePasswordA "SCRSAVE" \([0-9A-Fa-f]*\) 0 0*$/\1/p')
    [ -n "$owner" ] && owner=$((16#$owner))
    echo "$code ${owner:-none}"
}

# The newer family (Wine reports Windows 7 by default): no password change, and -1.
check "/a on the newer family ends with -1 and changes nothing" "$MINUS_ONE none" "$(owner_of_change "$saver /a $a")"

# The older family: Wine's per-program setting makes GetVersionExA report Windows 98 to copies of the saver and
# of the probe under these names.
older_saver=$RUN/orbisk-older.scr older_probe=$RUN/orbisk-older-probe.exe
cp "$SAVER" "$older_saver"
cp "$PROBE" "$older_probe"
for name in orbisk-older.scr orbisk-older-probe.exe; do
    wine_reg add "HKCU\\Software\\Wine\\AppDefaults\\$name" /v Version /t REG_SZ /d win98 /f
done
check "the setting makes a program see Windows 98" "1 4.10" "$("$WINE" "$older_probe" platform)"

older=$(windows_path "$older_saver")
check "/a with a window: 0, and the window owns the change" "0 $a" "$(owner_of_change "$older /a $a")"
check "/a with no window: 0, owned by the foreground window" "0 $b" "$(owner_of_change "$older /a 1234")"
check "/a alone: 0, owned by the foreground window" "0 $b" "$(owner_of_change "$older /a")"
check "/A, and blanks before the handle" "0 $a" "$(owner_of_change "$older -A   $a")"
check "other switches do not depend on the family" "$MINUS_ONE none" "$(owner_of_change "$older /x")"

finish
