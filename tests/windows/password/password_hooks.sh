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
source "$(dirname "$0")/../e2e.sh"
DOUBLES=$ROOT/build-win32/tests/windows/password

# start_session NAME SCREEN: the case's session of its own, with the two copies of the saver.
start_session() {
    own_session "$1" 24 "$2"
    export ORBISK_PASSWORD_LOG ORBISK_PASSWORD_ANSWER
    ORBISK_PASSWORD_LOG=$(windows_path "$RUN/calls.log")
    ORBISK_PASSWORD_ANSWER=$(windows_path "$RUN/answer")
    cp "$SAVER" "$RUN/orbisk.scr"
    cp "$SAVER" "$RUN/orbisk98.scr"
    wine_reg add 'HKCU\Software\Wine\AppDefaults\orbisk98.scr' /v Version /t REG_SZ /d win98 /f
}
start_session "password-$CASE" "$([ "$CASE" = two-monitors ] && echo two-monitors || echo 1024x768)"

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

# saver NAME ARGS...: starts that copy of the saver (start_saver) with the traces, and a fresh call log.
saver() {
    rm -f "$RUN/calls.log"
    WINEDEBUG=+loaddll,trace+system,trace+reg,trace+message start_saver "$RUN/$1" "${@:2}"
}

# full_screen NAME: runs that copy of the saver full screen (/s) and waits until its window is up (its handle goes to
# SAVER_WINDOW) and has had its first moments: the mouse move at the pointer's place that Wine sends after creation.
full_screen() {
    saver "$1" /s
    saver_window || echo "no saver window" >&2
    within 10 dispatched WM_MOUSEMOVE || echo "no first mouse move" >&2
}

# debounce_over: 200 ms have passed since the provider's last answer, so that the next close asks it again.
debounce_over() {
    local answered
    answered=$(awk '$1 == "return" { t = $2 } END { print t + 0 }' "$RUN/calls.log" 2>/dev/null)
    [ $(($(probe ticks) - answered)) -ge 200 ]
}

# calls_settled: no call is running, and none has begun or ended for a second (the log has kept its size).
calls_settled() {
    local size now=${EPOCHREALTIME/./}
    size=$(stat -c %s "$RUN/calls.log" 2>/dev/null || echo 0)
    [ "$size" == "${log_size:-}" ] || { log_size=$size changed=$now; }
    [ "$(tail -1 "$RUN/calls.log" | cut -d' ' -f1)" == return ] && [ $((now - changed)) -ge 1000000 ]
}

# events: the run's trace as a line of the words listed at the top.
events() {
    tr -d '\r' <"$SAVER_OUT" | awk '
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

# placement: the saver window's placement, and the foreground window.
placement() { echo "$(probe placement "$SAVER_WINDOW") $(probe foreground)"; }

# A short key press of the saver: its window has the pointer, so it has the keyboard.
press() { xdotool key "${1:-a}"; }

# ---------------------------------------------------------------------------------------------------------------------

# Outside the older family the setting is not even read: a password wanted and a provider at hand change nothing.
case_newer_family() {
    password_value REG_DWORD 1
    provider verifier
    answer 0
    full_screen orbisk.scr
    press
    saver_exit 5
    check "newer family: a key closes at once, exit 0" 0 "$EXIT"
    check "newer family: no setting read, no provider loaded, running state untouched" "" "$(events)"
    check "newer family: the provider was never called" - "$(calls)"
    check "newer family: SystemParametersInfoA never called" 0 \
        "$(grep -c 'trace:system:SystemParametersInfoA' "$SAVER_OUT")"
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
        full_screen orbisk98.scr
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
    local round step x y commands letters=(a s d f g h j k l z) closer
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
            mark_messages
            probe_window host "Orbisk password flood"
            within 10 received WM_ACTIVATEAPP 00000000 || echo "     round $round: the saver had no WM_ACTIVATEAPP (0) in 10 s"
            INPUTS=$((INPUTS + 1))
            stop_process "$HOST_PID"
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
    full_screen orbisk98.scr
    flood
    # Let the last verification end before the answer changes.
    within 60 calls_settled
    local verdict
    verdict=$(check_call_log)
    echo "     $INPUTS inputs with the provider refusing: ${verdict//$'\n'/; } calls"
    check "refusing: the saver survives the flood" yes "$(running "$SAVER_PID")"
    check "refusing: the log is sound (calls counted)" "more than 1" "$(more_than 1 "$verdict")"
    check "refusing: the provider was asked far less often than there were inputs" yes \
        "$([[ $verdict =~ ^[0-9]+$ ]] && [ "$verdict" -lt $((INPUTS / 4)) ] && echo yes || echo no)"
    # Another program's window comes up and stays: losing the activation asks the provider, minimised the exclusive
    # full-screen window and lost its surfaces; refused, the saver takes the screen back by itself.
    probe_window host "Orbisk foreign window"
    timeout 10 xdotool search --sync --onlyvisible --name '^Orbisk foreign window$' >/dev/null
    check_within 5 "refusing: after another program's window, the saver full screen and in front again" \
        "normal 0,0,1024,768 $SAVER_WINDOW" placement
    check "refusing: the other program's window is covered" 0 "$(lit_pixels "$(shot covered)" 200x100+20+20)"
    local before moved
    before=$(shot before)
    moved_on() { moved=$(changed_pixels "$before" "$(shot after)") && [ "$moved" -gt 10000 ]; }
    within 10 moved_on
    check "refusing: the picture moves on" "more than 10000" "$(more_than 10000 "$moved")"
    stop_process "$HOST_PID"
    answer 1
    within 5 debounce_over
    press
    saver_exit 10
    check "accepting: the next key closes, exit 0" 0 "$EXIT"
    check "accepting: the last call accepted" 1 "$(awk '$1 == "return" { a = $5 } END { print a }' "$RUN/calls.log")"
    check "the running state is on from loading to unloading" "read load on unload off" "$(events)"
}

# The preview never loads the provider, even when a password is wanted.
preview_shown() { probe controls "$HOST" | grep -q WindowsScreenSaverClass; }
case_preview() {
    password_value REG_DWORD 1
    provider verifier
    answer 1
    probe_window host "Orbisk password preview host"
    saver orbisk98.scr /p "$HOST"
    within 10 preview_shown
    SAVER_WINDOW=$(probe first-child "$HOST")
    xdotool mousemove 100 60 click 1
    within 10 dispatched WM_LBUTTONDOWN
    probe post "$SAVER_WINDOW" 0x100 0x41 0 # WM_KEYDOWN a: keys go to the host, which has the keyboard
    check "preview: still running after input" ignored "$(input_ignored WM_KEYDOWN 00000041)"
    # The preview ends with the window around it.
    probe send "$HOST" 16 0 0 >/dev/null # WM_CLOSE
    saver_exit 10
    check "preview: ends with its host window, exit 0" 0 "$EXIT"
    stop_process "$HOST_PID"
    check "preview: no provider loaded, running state untouched" "" "$(events)"
    check "preview: the provider was never called" - "$(calls)"
}

# A one-byte value 01 fills the low byte of a field that starts at 0: a password is wanted.
case_short_value() {
    password_value REG_BINARY 01
    provider verifier
    answer 1
    full_screen orbisk98.scr
    press
    saver_exit 10
    check "one-byte value: the key closes through the provider, exit 0" 0 "$EXIT"
    check "one-byte value: the provider was asked once and accepted" 1 "$(grep -c '^return .* 1$' "$RUN/calls.log" 2>/dev/null)"
    check "one-byte value: the running state is on while loaded" "read load on unload off" "$(events)"
}

# picture_alone: the lit pixels of the picture (as more_than 30000 gives them), and those beside it.
picture_alone() {
    local screen
    screen=$(shot screen)
    echo "$(more_than 30000 "$(lit_pixels "$screen")"), $(lit_outside "$screen")"
}

# two_monitor_run LABEL: on the two monitors, the picture whole and centred on the primary and the second one black
# (its root is white); a mouse move over the second monitor closes the saver, or on the older family with the
# provider refusing asks the provider and leaves it running.
two_monitor_run() {
    local label=$1
    check "$label: Wine sees two monitors side by side" "0,0,1024,768 1024,0,2048,768" \
        "$(probe monitors | tr '\n' ' ' | sed 's/ $//')"
    xdotool mousemove 500 400
    full_screen orbisk.scr
    check_within 10 "$label: the picture whole and centred on the primary monitor, nothing lit beside it" \
        "more than 30000, 0" picture_alone
    xdotool mousemove 1500 400
    saver_exit 5
    check "$label: a mouse move over the second monitor closes, exit 0" 0 "$EXIT"

    password_value REG_DWORD 1
    provider verifier
    answer 0
    full_screen orbisk98.scr
    xdotool mousemove 1700 600
    within 5 grep -qs '^return' "$RUN/calls.log"
    check "$label, older family, provider refusing: a mouse move over the second monitor asks the provider" yes \
        "$(grep -qs '^return .* 0$' "$RUN/calls.log" && echo yes || echo no)"
    check "$label, older family, provider refusing: the saver stays" yes "$(running "$SAVER_PID")"
    answer 1
    within 5 debounce_over
    xdotool mousemove 1500 300
    saver_exit 10
    check "$label, older family, provider accepting: the next move closes, exit 0" 0 "$EXIT"
    password_value missing
}

case_two_monitors() {
    two_monitor_run "a new prefix"
    two_monitor_run "the same prefix again"
    # Wine keeps in the prefix what it saw of the screen: a prefix that saw one wide screen first.
    stop_own_session
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
