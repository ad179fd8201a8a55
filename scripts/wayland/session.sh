# Sway sessions for orbisk-wayland's tests and benchmark, sourced by them: a Wayland compositor run as a user made
# for the session (sway refuses to run as root), without a screen (headless outputs), inside an Xvfb display of its
# own (outputs that take pointer input), or sway 1.10 from a Debian 13 root (sway_root), which offers the
# ext-idle-notify-v1 protocol. Nothing of a session outlives sway_stop. Needs root, for the user.
#
# The programs that talk to the compositor may run as root: WAYLAND_DISPLAY is the full path of its socket, SWAYSOCK
# that of its IPC socket.

source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../debian-root.sh"
SWAY_PID= SWAY_XVFB= SWAY_USER= SWAY_DIR=

# sway_root: the path of a Debian 13 root with sway 1.10, made first if it is not there (debian-root.sh).
sway_root() { debian_root sway trixie sway; }

# sway_start [--x11 | --root ROOT] OUTPUTS CONFIG-LINE...: sway with OUTPUTS outputs at the start, configured by the
# lines (`output HEADLESS-1 resolution 1024x768 position 0,0`; on --x11 the outputs are X11-1 ...). Waits until it
# answers; exports WAYLAND_DISPLAY and SWAYSOCK and sets SWAY_PID and SWAY_DIR (its log: $SWAY_DIR/sway.log).
sway_start() {
    local backend=headless root=
    case $1 in
    --x11) backend=x11 && shift ;;
    --root) root=$2 && shift 2 ;;
    esac
    local outputs=$1
    shift
    SWAY_DIR=$(mktemp -d /tmp/orbisk-sway.XXXXXX)
    SWAY_USER=orbisk-sway-$$
    chmod 755 "$SWAY_DIR"
    useradd --system --user-group --no-create-home --home-dir "$SWAY_DIR/home" --shell /usr/sbin/nologin "$SWAY_USER"
    root_opened_for "$SWAY_USER"
    install -d -m 700 -o "$SWAY_USER" -g "$SWAY_USER" "$SWAY_DIR/run" "$SWAY_DIR/home"
    printf '%s\n' "xwayland disable" "$@" >"$SWAY_DIR/config"
    local environment=(HOME="$SWAY_DIR/home" XDG_RUNTIME_DIR="$SWAY_DIR/run" PATH=/usr/bin:/bin WLR_RENDERER=pixman
                       WLR_LIBINPUT_NO_DEVICES=1)
    if [ "$backend" = x11 ]; then
        # Open to every local user, sway's too.
        x_server_start "$SWAY_DIR" Xvfb -ac -noreset -nolisten tcp -screen 0 "$((outputs * 1024))x768x24" || return 1
        SWAY_XVFB=$X_SERVER_PID
        environment+=(WLR_BACKENDS=x11 WLR_X11_OUTPUTS="$outputs" DISPLAY="$DISPLAY")
    else
        environment+=(WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS="$outputs")
    fi
    # By number: a Debian root of its own does not know the user's name.
    local sway=(setpriv --reuid="$(id -u "$SWAY_USER")" --regid="$(id -g "$SWAY_USER")" --clear-groups env -i
                "${environment[@]}" sway -c "$SWAY_DIR/config")
    if [ -n "$root" ]; then
        # In a mount namespace of its own, the root sees /proc, /sys, /dev (with /dev/shm) and the session's folder.
        unshare --mount --propagation "$(mount_propagation)" -- bash -c '
            set -e
            root=$1 dir=$2
            shift 2
            mount -t proc proc "$root/proc"
            mount --rbind /sys "$root/sys"
            mount --rbind /dev "$root/dev"
            mkdir -p "$root$dir"
            mount --bind "$dir" "$root$dir"
            exec chroot "$root" "$@"' sway-root "$root" "$SWAY_DIR" "${sway[@]}" >"$SWAY_DIR/sway.log" 2>&1 &
    else
        "${sway[@]}" >"$SWAY_DIR/sway.log" 2>&1 &
    fi
    SWAY_PID=$!
    export WAYLAND_DISPLAY=$SWAY_DIR/run/wayland-1 SWAYSOCK=
    within 10 sway_answers && ! gone "$SWAY_PID" && return 0
    echo "sway did not start; its log:" >&2
    cat "$SWAY_DIR/sway.log" >&2
    return 1
}
sway_answers() {
    SWAYSOCK=$(compgen -G "$SWAY_DIR/run/sway-ipc.*.sock" || true)
    { [ -S "$WAYLAND_DISPLAY" ] && [ -n "$SWAYSOCK" ] && swaymsg -t get_version >/dev/null 2>&1; } || gone "$SWAY_PID"
}

# sway_stop: ends sway, its X server and every process of its user, and removes the user and the folder.
sway_stop() {
    if [ -n "$SWAY_PID" ]; then stop_pid "$SWAY_PID"; fi
    if [ -n "$SWAY_XVFB" ]; then stop_pid "$SWAY_XVFB"; fi
    if [ -n "$SWAY_USER" ] && id -u "$SWAY_USER" >/dev/null 2>&1; then
        pkill -KILL -u "$SWAY_USER" || true
        within 10 nothing_of "$SWAY_USER"
        userdel "$SWAY_USER"
    fi
    if [ -n "$SWAY_USER" ]; then root_closed_for "$SWAY_USER"; fi
    if [ -n "$SWAY_DIR" ]; then rm -rf "$SWAY_DIR"; fi
    SWAY_PID= SWAY_XVFB= SWAY_USER= SWAY_DIR=
}
nothing_of() { ! pgrep -u "$1" >/dev/null; }
