#!/usr/bin/env bash
# password_hooks.sh CASE: the older family's password hooks of the full-screen saver, end to end, in a Wine session
# of the case's own (started and stopped here).
#
# A copy of the saver runs next to the test double of the password provider (PASSWORD.CPL, see
# password_double.cpp), whose answers come from a file and whose calls go to a log. The saver runs with Wine's
# traces of loaded libraries, registry reads and SystemParametersInfo calls; from them the script reads:
#   read    RegQueryValueExA of "ScreenSaveUsePassword"
#   load    PASSWORD.CPL mapped          unload  PASSWORD.CPL freed
#   on      SPI_SETSCREENSAVERRUNNING 1  off     SPI_SETSCREENSAVERRUNNING 0
# A copy named orbisk98.scr has Wine's Windows 98 setting (the older family); orbisk.scr keeps the default.
#
# Cases: newer-family, no-password, refusing-then-accepting, preview, short-value, two-monitors.
set -uo pipefail
CASE=$1
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${ORBISK_BUILD:-$HERE/../../../build-win32}
PROBE=$BUILD/tests/windows/probe.exe
DOUBLES=$BUILD/tests/windows/password

source "$HERE/../../../scripts/wine32/session.sh"
source "$HERE/../checks.sh"
# The prefix is large and made afresh each time; the run directory (traces, logs) stays for a look afterwards.
trap 'wine_session_stop; rm -rf "$SESSION_DIR/prefix"' EXIT

# start_session NAME SCREEN: the case's session (see wine_session_start), with the two copies of the saver.
start_session() {
    wine_session_start "$1" 24 "$2" || exit 1
    RUN=$SESSION_DIR/run
    mkdir -p "$RUN"
    export ORBISK_PASSWORD_LOG ORBISK_PASSWORD_ANSWER
    ORBISK_PASSWORD_LOG=$(windows_path "$RUN/calls.log")
    ORBISK_PASSWORD_ANSWER=$(windows_path "$RUN/answer")
    cp "$BUILD/orbisk.scr" "$RUN/orbisk.scr"
    cp "$BUILD/orbisk.scr" "$RUN/orbisk98.scr"
    wine_reg add 'HKCU\Software\Wine\AppDefaults\orbisk98.scr' /v Version /t REG_SZ /d win98 /f
}
start_session "password-$CASE" "$([ "$CASE" = two-monitors ] && echo two-monitors || echo 1024x768)"

check "the saver under test is the shipped 32-bit program ($BUILD/orbisk.scr)" i386 "$(pe_machine "$BUILD/orbisk.scr")"

answer() { echo "$1" >"$RUN/answer"; }

# provider verifier|without-verifier|none: what lies next to the saver under the name PASSWORD.CPL.
provider() {
    rm -f "$RUN/PASSWORD.CPL"
    [ "$1" == none ] || cp "$DOUBLES/$1/PASSWORD.CPL" "$RUN/PASSWORD.CPL"
}

# password_value missing | TYPE DATA: the desktop's "ScreenSaveUsePassword".
password_value() {
    if [ "$1" == missing ]; then
        wine_reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f
    else
        wine_reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t "$1" /d "$2" /f
    fi
}

# start_saver SAVER ARGS...: runs the saver in the background with the traces (and a fresh call log); sets SAVER_PID
# and TRACE.
start_saver() {
    local saver=$1
    shift
    rm -f "$RUN/calls.log"
    TRACE=$RUN/trace-$((++runs))
    WINEDEBUG=+loaddll,trace+system,trace+reg "$WINE" "$RUN/$saver" "$@" 2>"$TRACE" &
    SAVER_PID=$!
}
runs=0

probe() { "$WINE" "$PROBE" "$@" | tr -d '\r'; }

# wait_full_screen: waits until the full-screen window is up (its handle goes to SAVER_WINDOW) and has had its first
# moments (Wine sends a mouse move at the pointer's place shortly after creation).
wait_full_screen() {
    SAVER_WINDOW=$(probe find-caption 53637265656e205361766572 10000) || echo "no saver window" >&2 # "Screen Saver"
    sleep 0.5
}

# saver_exit [SECONDS]: sets EXIT to the saver's exit status once it has ended (10 s at most), or to "running" (and
# stops it). Not for a command substitution: only this shell can wait for the saver.
saver_exit() {
    local deadline=$((SECONDS + ${1:-10}))
    while kill -0 "$SAVER_PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
    if kill -0 "$SAVER_PID" 2>/dev/null; then
        kill "$SAVER_PID"
        wait "$SAVER_PID" 2>/dev/null
        EXIT=running
    else
        wait "$SAVER_PID"
        EXIT=$?
    fi
}

saver_running() { kill -0 "$SAVER_PID" 2>/dev/null && echo yes || echo no; }

# lit_pixels GEOMETRY [LEFT,TOP RIGHT,BOTTOM]: the screen's non-black pixels in that rectangle, leaving out the
# second one.
lit_pixels() {
    xwd -root -silent | /usr/bin/convert xwd:- -fill black -draw "rectangle ${2:--1,-1 -1,-1}" -crop "$1" +repage \
        -alpha off -fill white +opaque black -format '%[fx:round(mean*w*h)]' info:
}

# events: the run's trace as a line of the words listed at the top.
events() {
    tr -d '\r' <"$TRACE" | awk '
        /trace:reg:RegQueryValueExA .*"ScreenSaveUsePassword"/ { printf "%sread", sep; sep = " " }
        /trace:loaddll:.*Loaded .*PASSWORD\.CPL/ { printf "%sload", sep; sep = " " }
        /trace:loaddll:.*Unloaded .*PASSWORD\.CPL/ { printf "%sunload", sep; sep = " " }
        /trace:system:SystemParametersInfoA \(97, 1,/ { printf "%son", sep; sep = " " }
        /trace:system:SystemParametersInfoA \(97, 0,/ { printf "%soff", sep; sep = " " }
        END { print "" }'
}

# calls: the double's log without the loading lines ("-" when it logged nothing).
calls() {
    local lines
    lines=$(grep -sE '^(enter|return)' "$RUN/calls.log" | tr '\n' ';')
    echo "${lines:--}"
}

# The double's log, checked: no call began inside another, each began at least 200 ms after the previous one
# returned, and while each ran the system was told that a screen saver runs. Prints the number of calls, or what
# broke.
check_call_log() {
    awk '
        $1 == "enter" { calls++; if ($3 != 1) { print "re-entered at " $2; bad = 1 }
                        if (calls > 1 && $2 - last < 200) { print "call at " $2 " only " $2 - last " ms after a refusal"; bad = 1 }
                        if ($4 != 1) { print "running state " $4 " at " $2; bad = 1 } }
        $1 == "return" { last = $2; if ($5 != 0) { print "accepted at " $2; bad = 1 } }
        END { if (!bad) print calls + 0 }' "$RUN/calls.log"
}

# picture_moves: "yes" when the centred picture changes over a second, else the number of pixels that changed.
picture_moves() {
    local shot changed
    for shot in before after; do
        xwd -root -silent | /usr/bin/convert xwd:- -crop 640x480+192+144 +repage "$RUN/$shot.png"
        [ $shot = after ] || sleep 1
    done
    changed=$(/usr/bin/compare -metric AE "$RUN/before.png" "$RUN/after.png" null: 2>&1 | cut -d' ' -f1)
    [ "${changed:-0}" -gt 10000 ] 2>/dev/null && echo yes || echo "${changed:-none}"
}

# A short key press of the saver: its window has the pointer, so it has the keyboard.
press() { xdotool key "${1:-a}"; }

# ---------------------------------------------------------------------------------------------------------------------

# Outside the older family the setting is not even read: a password wanted and a provider at hand change nothing.
case_newer_family() {
    password_value REG_DWORD 1
    provider verifier
    answer 0
    start_saver orbisk.scr /s
    wait_full_screen
    press
    saver_exit 5
    check "newer family: a key closes at once, exit 0" 0 "$EXIT"
    check "newer family: no setting read, no provider loaded, running state untouched" "" "$(events)"
    check "newer family: the provider was never called" - "$(calls)"
    check "newer family: SystemParametersInfoA never called" 0 "$(grep -c 'trace:system:SystemParametersInfoA' "$TRACE")"
}

# Every way of not wanting or not having a password: the saver closes on the first key without asking, and the
# running state is never set.
case_no_password() {
    local setting
    answer 0
    for setting in "missing|verifier" "REG_DWORD 0|verifier" "REG_DWORD 1|none" "REG_DWORD 1|without-verifier"; do
        local value=${setting%|*} library=${setting#*|}
        # shellcheck disable=SC2086
        password_value $value
        provider "$library"
        start_saver orbisk98.scr /s
        wait_full_screen
        press
        local what="value ${value}, provider ${library}"
        saver_exit 5
    check "$what: a key closes at once, exit 0" 0 "$EXIT"
        check "$what: the provider was never called" - "$(calls)"
        case "$value|$library" in
        *"|none") check "$what: read, nothing loaded, running state untouched" read "$(events)" ;;
        "REG_DWORD 1|"*) check "$what: read, loaded and freed again, running state untouched" "read load unload" "$(events)" ;;
        *) check "$what: read, nothing loaded, running state untouched" read "$(events)" ;;
        esac
    done
}

# The flood: rounds of mouse moves across the screen, key presses and clicks, with pauses shorter and longer than
# the debounce, and twice another program's window that takes the activation away; meanwhile another program asks
# the saver window to close, at moments unrelated to the rest, so some requests arrive while the provider's dialog
# is up. Sets INPUTS.
flood() {
    local round step x y commands host letters=(a s d f g h j k l z) closer
    (for step in $(seq 30); do
        probe send "$SAVER_WINDOW" 16 0 0 >/dev/null # WM_CLOSE
        sleep 0.0$((step * 37 % 9 + 1))
    done) &
    closer=$!
    INPUTS=30
    for round in $(seq 12); do
        commands=()
        for step in $(seq 10); do
            x=$((300 + (round * 97 + step * 53) % 700))
            y=$((150 + (round * 61 + step * 89) % 600))
            commands+=(mousemove "$x" "$y" mousemove $((x + 8)) $((y + 8)) key "${letters[step - 1]}")
            commands+=(click $((step % 2 ? 1 : 3)))
            INPUTS=$((INPUTS + 4))
        done
        xdotool "${commands[@]}"
        if [ $((round % 5)) -eq 0 ]; then
            # Another program's window comes up: the saver loses the activation.
            "$WINE" "$PROBE" host "Orbisk password flood" >/dev/null &
            host=$!
            timeout 10 xdotool search --sync --onlyvisible --name '^Orbisk password flood$' >/dev/null
            INPUTS=$((INPUTS + 1))
            sleep 0.3
            kill "$host"
            wait "$host" 2>/dev/null
        fi
        sleep "0.$(((round * 7) % 4 + 1))"
    done
    wait "$closer"
}

# Older family, a password wanted, the provider refusing: nothing closes the saver, the provider is asked at most
# once per request burst and never inside its own call; once it accepts, the next key closes.
case_refusing_then_accepting() {
    password_value REG_DWORD 1
    provider verifier
    answer 0
    start_saver orbisk98.scr /s
    wait_full_screen
    flood
    # Let the last verification end before the answer changes.
    local size=-1
    while [ "$size" != "$(stat -c %s "$RUN/calls.log" 2>/dev/null)" ]; do
        size=$(stat -c %s "$RUN/calls.log" 2>/dev/null)
        sleep 0.8
    done
    local verdict
    verdict=$(check_call_log)
    echo "     $INPUTS inputs with the provider refusing: ${verdict//$'\n'/; } calls"
    check "refusing: the saver survives the flood" yes "$(saver_running)"
    check "refusing: the log is sound (calls counted)" yes "$([[ $verdict =~ ^[0-9]+$ ]] && [ "$verdict" -ge 2 ] && echo yes || echo "$verdict")"
    check "refusing: the provider was asked far less often than there were inputs" yes \
        "$([[ $verdict =~ ^[0-9]+$ ]] && [ "$verdict" -lt $((INPUTS / 4)) ] && echo yes || echo no)"
    # Another program's window comes up and stays: losing the activation asks the provider, minimised the exclusive
    # full-screen window and lost its surfaces; refused, the saver takes the screen back by itself.
    "$WINE" "$PROBE" host "Orbisk foreign window" >/dev/null &
    local foreign=$! placement= tries
    timeout 10 xdotool search --sync --onlyvisible --name '^Orbisk foreign window$' >/dev/null
    for tries in $(seq 50); do
        placement="$(probe placement "$SAVER_WINDOW") $(probe foreground)"
        [ "$placement" = "normal 0,0,1024,768 $SAVER_WINDOW" ] && break
        sleep 0.1
    done
    check "refusing: after another program's window, the saver full screen and in front again" \
        "normal 0,0,1024,768 $SAVER_WINDOW" "$placement"
    check "refusing: the other program's window is covered" 0 "$(lit_pixels 200x100+20+20)"
    check "refusing: the picture moves on" yes "$(picture_moves)"
    kill "$foreign"
    wait "$foreign" 2>/dev/null
    answer 1
    sleep 0.3
    press
    saver_exit 10
    check "accepting: the next key closes, exit 0" 0 "$EXIT"
    check "accepting: the last call accepted" 1 "$(awk '$1 == "return" { a = $5 } END { print a }' "$RUN/calls.log")"
    check "the running state is on from loading to unloading" "read load on unload off" "$(events)"
}

# The preview never loads the provider, even when a password is wanted.
case_preview() {
    password_value REG_DWORD 1
    provider verifier
    answer 1
    "$WINE" "$PROBE" host "Orbisk password preview host" >"$RUN/host" &
    local host=$! handle=
    local tries
    for tries in $(seq 100); do
        handle=$(tr -d '\r\n' <"$RUN/host")
        [ -n "$handle" ] && break
        sleep 0.05
    done
    start_saver orbisk98.scr /p "$handle"
    for tries in $(seq 100); do
        probe controls "$handle" | grep -q WindowsScreenSaverClass && break
        sleep 0.1
    done
    sleep 0.5
    xdotool mousemove 100 60 click 1 key a
    sleep 0.5
    check "preview: still running after input" yes "$(saver_running)"
    # The preview ends with the window around it.
    probe send "$handle" 16 0 0 >/dev/null # WM_CLOSE
    saver_exit 10
    check "preview: ends with its host window, exit 0" 0 "$EXIT"
    kill "$host"
    wait "$host" 2>/dev/null
    check "preview: no provider loaded, running state untouched" "" "$(events)"
    check "preview: the provider was never called" - "$(calls)"
}

# A one-byte value 01 fills the low byte of a field that starts at 0: a password is wanted.
case_short_value() {
    password_value REG_BINARY 01
    provider verifier
    answer 1
    start_saver orbisk98.scr /s
    wait_full_screen
    press
    saver_exit 10
    check "one-byte value: the key closes through the provider, exit 0" 0 "$EXIT"
    check "one-byte value: the provider was asked once and accepted" 1 "$(grep -c '^return .* 1$' "$RUN/calls.log" 2>/dev/null)"
    check "one-byte value: the running state is on while loaded" "read load on unload off" "$(events)"
}

# two_monitor_run LABEL: on the two monitors, the picture whole and centred on the primary and the second one black
# (its root is white); a mouse move over the second monitor closes the saver, or on the older family with the
# provider refusing asks the provider and leaves it running.
two_monitor_run() {
    local label=$1 tries inside= outside=
    check "$label: Wine sees two monitors side by side" "0,0,1024,768 1024,0,2048,768" \
        "$(probe monitors | tr '\n' ' ' | sed 's/ $//')"
    xdotool mousemove 500 400
    start_saver orbisk.scr /s
    wait_full_screen
    for tries in $(seq 50); do
        inside=$(lit_pixels 640x480+192+144)
        outside=$(lit_pixels 2048x768+0+0 "192,144 831,623")
        [ "$inside" -gt 30000 ] && [ "$outside" -eq 0 ] && break
        sleep 0.2
    done
    check "$label: the picture whole and centred on the primary monitor, nothing lit beside it" "picture, 0" \
        "$([ "$inside" -gt 30000 ] && echo picture || echo "$inside inside"), $outside"
    xdotool mousemove 1500 400
    saver_exit 5
    check "$label: a mouse move over the second monitor closes, exit 0" 0 "$EXIT"

    password_value REG_DWORD 1
    provider verifier
    answer 0
    start_saver orbisk98.scr /s
    wait_full_screen
    xdotool mousemove 1700 600
    for tries in $(seq 50); do
        grep -qs '^return' "$RUN/calls.log" && break
        sleep 0.1
    done
    check "$label, older family, provider refusing: a mouse move over the second monitor asks the provider" yes \
        "$(grep -qs '^return .* 0$' "$RUN/calls.log" && echo yes || echo no)"
    check "$label, older family, provider refusing: the saver stays" yes "$(saver_running)"
    answer 1
    sleep 0.3
    xdotool mousemove 1500 300
    saver_exit 10
    check "$label, older family, provider accepting: the next move closes, exit 0" 0 "$EXIT"
    password_value missing
}

case_two_monitors() {
    two_monitor_run "a new prefix"
    two_monitor_run "the same prefix again"
    # Wine keeps in the prefix what it saw of the screen: a prefix that saw one wide screen first.
    wine_session_stop
    rm -rf "$SESSION_DIR/prefix"
    start_session password-two-monitors-wide-first 2048x768
    wine_session_move two-monitors
    two_monitor_run "a prefix that saw one 2048x768 screen first"
}

case "$CASE" in
newer-family | no-password | refusing-then-accepting | preview | short-value | two-monitors) "case_${CASE//-/_}" ;;
*)
    echo "unknown case $CASE" >&2
    exit 2
    ;;
esac
finish
