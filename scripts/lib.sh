# What the scripts and the test scripts share: waiting for a sign with a deadline, processes stopped by PID, X servers
# of their own, how a mount namespace of ours treats the mounts it starts with, a process's CPU time, and / opened to
# the users made for a run. Sourced.

# within SECONDS COMMAND...: runs the command every tenth of a second until it succeeds; fails once SECONDS (a whole
# number) have passed (the clock in microseconds).
within() {
    local deadline=$((${EPOCHREALTIME/./} + $1 * 1000000))
    shift
    until "$@"; do
        [ "${EPOCHREALTIME/./}" -lt $deadline ] || return 1
        sleep 0.1
    done
}

# gone PID: whether the process has ended (a child of this shell that has ended waits as a zombie to be reaped).
gone() { [[ "$(ps -o stat= -p "$1" 2>/dev/null)" != [^Z]* ]]; }

# stop_pid PID: ends the process (SIGTERM, after 10 s SIGKILL) and returns once it has gone; reaps a child of this
# shell. Nothing when it has gone already.
stop_pid() {
    kill "$1" 2>/dev/null || return 0
    within 10 gone "$1" || { kill -KILL "$1" 2>/dev/null && within 10 gone "$1"; }
    wait "$1" 2>/dev/null || true
}

# x_server_start DIR SERVER [ARG...]: starts an X server (Xvfb or Xorg with its arguments, -displayfd aside) in a
# session of its own, its output in DIR/x.out and its PID in X_SERVER_PID and DIR/x.pid; once it has told its
# display number (10 s at most), exports DISPLAY. Fails, with the end of its output, when it does not.
x_server_start() {
    local dir=$1
    shift
    rm -f "$dir/display"
    setsid "$@" -displayfd 3 3>"$dir/display" </dev/null >"$dir/x.out" 2>&1 &
    X_SERVER_PID=$!
    echo "$X_SERVER_PID" >"$dir/x.pid"
    within 10 x_server_answered "$dir"
    if [ ! -s "$dir/display" ]; then
        echo "the X server ($1) did not start: $(tail -5 "$dir/x.out")" >&2
        stop_pid "$X_SERVER_PID"
        return 1
    fi
    export DISPLAY=:$(cat "$dir/display")
}
x_server_answered() { [ -s "$1/display" ] || gone "$X_SERVER_PID"; }

# mount_propagation: how a mount namespace of ours treats the mounts it starts with: private, so that what it mounts
# reaches no other namespace. Inside a chroot (fresh-machine's, say) "/" is no mount point and cannot be made
# private; mounts made there keep the chroot's own propagation ("unchanged").
mount_propagation() { if mountpoint -q /; then echo private; else echo unchanged; fi; }

# cpu_ticks PID: the CPU time the process has used, user and system, in clock ticks (getconf CLK_TCK a second).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# A user made for a run (sway's, XScreenSaver's) must be able to enter /, which a root made with mktemp -d (a
# chroot's, fresh-machine's say) does not let others do. root_opened_for USER: opens / to others for the user's run,
# before it starts; root_closed_for USER: closes it again, once the user is gone, when no other run that needed it is
# left (a user that no longer exists counts as gone: its run was killed). Runs at the same time share the mode first
# seen and their users in /tmp/orbisk-root.*, under a lock on /. The user must exist before / is opened for it.
root_opened_for() {
    (
        flock 9
        if [ ! -f /tmp/orbisk-root.mode ]; then
            [ $((0$(stat -c %a /) & 1)) -eq 0 ] || exit 0
            stat -c %a / >/tmp/orbisk-root.mode
            chmod o+x /
        fi
        echo "$1" >>/tmp/orbisk-root.users
    ) 9</
}
root_closed_for() {
    (
        flock 9
        [ -f /tmp/orbisk-root.mode ] || exit 0
        local user others=()
        while read -r user; do
            if [ "$user" != "$1" ] && id -u "$user" >/dev/null 2>&1; then others+=("$user"); fi
        done </tmp/orbisk-root.users
        if [ ${#others[@]} -gt 0 ]; then
            printf '%s\n' "${others[@]}" >/tmp/orbisk-root.users
        else
            chmod "$(cat /tmp/orbisk-root.mode)" /
            rm -f /tmp/orbisk-root.mode /tmp/orbisk-root.users
        fi
    ) 9</
}
