# Helpers for the end-to-end scripts of the command line and the settings dialog, which run the saver in a Wine
# session and watch it through the probe (probe.cpp) and X. Sourced by a script that runs in the session SESSION.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
SAVER=${SAVER:-$ROOT/build-win32/orbisk.scr}
PROBE=$ROOT/build-win32/tests/windows/probe.exe
source "$ROOT/scripts/wine32/session.sh"
wine_session_enter "$SESSION"

# "Vantrel・" in code page 932: the settings dialog's caption.
DIALOG_CAPTION=56616e7472656c8145
MINUS_ONE=4294967295 # an exit code of -1, as the probe prints it

source "$ROOT/tests/windows/checks.sh"
started=()

probe() { "$WINE" "$PROBE" "$@"; }

# In the background, so that $! is the probe's own process.
probe_in_background() { "$WINE" "$PROBE" "$@" & }

# Closes a settings dialog that a failed check left open, and stops the probes that the script started.
stop_started() {
    local dialog pid
    dialog=$(probe find-caption $DIALOG_CAPTION 0) && probe command "$dialog" 2
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    started=()
}
trap stop_started EXIT

# start COMMANDLINE: runs a program with exactly this command line through `probe run`, in the background; its exit
# code goes to $SESSION_DIR/exit-code. Sets RUN_PID.
start() {
    rm -f "$SESSION_DIR/exit-code"
    probe_in_background run "$1" >"$SESSION_DIR/exit-code"
    RUN_PID=$!
    started+=("$RUN_PID")
}

# exit_code: waits up to 10 s for the program of `start` and prints its exit code, or "running" (and then closes
# the dialog it left open, so that the next check does not find it).
exit_code() {
    local deadline=$((SECONDS + 10)) dialog
    while kill -0 "$RUN_PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
    if kill -0 "$RUN_PID" 2>/dev/null; then
        echo running
        dialog=$(probe find-caption $DIALOG_CAPTION 0) && probe command "$dialog" 2
    else
        wait "$RUN_PID"
        cat "$SESSION_DIR/exit-code"
    fi
}

# run COMMANDLINE: runs a program that shows nothing to wait for, and prints its exit code.
run() {
    timeout 20 "$WINE" "$PROBE" run "$1"
    [ $? -ne 124 ] || echo "still running after 20 s"
}

# host NAME: a visible top-level window of the probe, captioned NAME; sets HOST (its handle).
host() {
    probe_in_background host "$1" >"$SESSION_DIR/host-$1"
    started+=($!)
    HOST=
    local tries
    for tries in $(seq 100); do
        HOST=$(cat "$SESSION_DIR/host-$1")
        [ -n "$HOST" ] && return 0
        sleep 0.05
    done
    echo "the probe's host window did not come up" >&2
    return 1
}

# find_dialog: the handle of the settings dialog, once its caption is set; empty if none comes within 10 s.
find_dialog() { probe find-caption $DIALOG_CAPTION 10000; }

# x_window TITLE: the X window of a top-level window with this title (a regular expression, UTF-8).
x_window() { timeout 10 xdotool search --sync --limit 1 --name "$1"; }

# key_to_dialog KEY: types a key into the dialog, which must have the keyboard focus: without a window manager the
# focus follows the pointer unless it is set.
key_to_dialog() {
    local window
    window=$(x_window '^Vantrel・$') && timeout 10 xdotool windowfocus --sync "$window" && xdotool key "$1"
}

# click X Y: nothing without a point.
click() { [ $# -eq 2 ] && xdotool mousemove "$1" "$2" click 1; }

check "the saver under test is the shipped 32-bit program ($SAVER)" i386 "$(pe_machine "$SAVER")"
