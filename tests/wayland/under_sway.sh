#!/usr/bin/env bash
# under_sway.sh MODE CLIENT RENDERER HOLD: orbisk-wayland (CLIENT) under sway, in a session of its own (as a user
# made for it: needs root, exits 77 without). HOLD is a library that stops the client just before it lets go of the
# compositor, while its windows still show its last frame.
#   outputs  sway 1.7's headless outputs of three sizes and scales: frame N of the renderer's clock on each, pixel for
#            pixel; an output added while it runs is covered; a key, a stop signal, swayidle, the compositor killed;
#            --idle without ext-idle-notify-v1
#   pointer  sway 1.7 on its X11 backend: a pointer motion of 3 pixels keeps the picture, one of 10 ends it, so does
#            a button or a key; no cursor over the picture
#   newer    sway 1.10 (a Debian 13 root), which offers fractional scales and can take outputs away and turn them
#            off: frame N on an output at scale 1.5, pixel for pixel; one taken away leaves the others drawing, none
#            drawn while all are off; --idle shows the picture once the seat is idle, hides it on input, and shows it
#            again when the seat is idle again
set -Eeuo pipefail
mode=${1:?mode: outputs, pointer or newer}
client=${2:?client} renderer=${3:?renderer} hold=${4:?hold library}
here=$(cd "$(dirname "$0")" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "needs root, to make a user for sway" >&2; exit 77; }
source "$here/../checks.sh"
source "$here/../../scripts/wayland/session.sh" # and with it ../../scripts/lib.sh

dir=$(mktemp -d)
running=()
cleanup() {
    local code=$?
    set +e
    trap - ERR
    for pid in "${running[@]}"; do kill -KILL "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    if [ "$code" -ne 0 ]; then
        for err in "$dir"/*.err; do # what each client said last, its protocol log left out
            [ -f "$err" ] && echo "--- $(basename "$err" .err): $(grep -v '^\[' "$err" | tail -3)" >&2
        done
        [ -z "$SWAY_DIR" ] || { echo "--- sway's log:" >&2; tail -20 "$SWAY_DIR/sway.log" >&2; }
    fi
    sway_stop
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'echo "--- failed at line $LINENO: $BASH_COMMAND" >&2' ERR

# start NAME ARG...: the client in the background, its standard error in $dir/NAME.err; its PID in $started.
start() {
    local name=$1
    shift
    env --default-signal "$client" "$@" 2>"$dir/$name.err" & # SIGINT too, which a script's background job ignores
    started=$!
    running+=("$started")
}

# ended SECONDS PID: sets `code` to the exit code of the client PID once it has ended, or to "running" if it still
# runs after SECONDS.
ended() {
    code=running
    within "$1" gone "$2" || return 0
    code=0
    wait "$2" || code=$?
}

# shot OUTPUT: the output's screenshot in $dir/OUTPUT.png, in its own pixels.
shot() { grim -o "$1" "$dir/$1.png"; }

# covered OUTPUT: the output shows the picture on black: its corner is black (sway 1.7's own background is #3F3F3F)
# and the middle holds many colours. uncovered OUTPUT: the middle holds one colour, the background's.
middle_colours() { convert "$dir/$1.png" -gravity center -crop 320x240+0+0 -format %k info:; }
covered() {
    shot "$1" 2>/dev/null || return 1
    [ "$(convert "$dir/$1.png" -crop 1x1+0+0 -format '%[hex:p]' info:)" = 000000 ] && [ "$(middle_colours "$1")" -ge 50 ]
}
uncovered() { shot "$1" && [ "$(middle_colours "$1")" -eq 1 ]; }

# difference OUTPUT SCALE FRAMES: how many pixels of the output's screenshot differ from the renderer's picture after
# FRAMES frames, enlarged SCALE times and centred on black (an odd pixel to the right and below).
difference() {
    local output=$1 scale=$2 frames=$3 size width height
    [ -f "$dir/frame-$frames.ppm" ] || "$renderer" --frames "$frames" --out "$dir/frame-$frames.ppm"
    size=$(identify -format '%w %h' "$dir/$output.png")
    width=${size% *} height=${size#* }
    convert "$dir/frame-$frames.ppm" -sample "$((640 * scale))x$((480 * scale))!" -background black \
        -extent "${width}x$height-$(((width - 640 * scale) / 2))-$(((height - 480 * scale) / 2))" "$dir/expected.png"
    compare -metric AE "$dir/$output.png" "$dir/expected.png" null: 2>&1 || true
}

# key: a key pressed on a virtual keyboard, which stays long enough for the client to take it as the seat's keyboard
# first (the headless seat has none of its own).
key() { wtype -s 300 a; }

# log_count PATTERN NAME: how many lines of the client NAME's protocol log (WAYLAND_DEBUG) match PATTERN.
log_count() {
    local count
    count=$(grep -c -E "$1" "$dir/$2.err" 2>/dev/null) || true
    echo "${count:-0}"
}

# exact_frame N OUTPUT:SCALE...: each output shows frame N of the renderer's clock enlarged SCALE times, pixel for
# pixel, once the client has shown it everywhere; then the client ends with 0.
exact_frame() {
    local frames=$1 output scale
    shift
    LD_PRELOAD=$hold start exact --fixed-clock 60 --frames "$frames"
    local exact=$started
    stopped() { [[ "$(ps -o stat= -p "$exact")" == T* ]]; }
    within 30 stopped || echo "the client did not reach its last frame: $(cat "$dir/exact.err")"
    for output in "$@"; do
        scale=${output#*:} output=${output%:*}
        shot "$output"
        check "$output: frame $frames at scale $scale" 0 "$(difference "$output" "$scale" "$frames")"
    done
    kill -CONT "$exact"
    ended 10 "$exact"
    check "exit code after --frames" 0 "$code"
}

outputs_mode() {
    sway_start 2 "output HEADLESS-1 resolution 1024x768 position 0,0" \
        "output HEADLESS-2 resolution 1920x1080 position 1024,0" \
        "output HEADLESS-3 resolution 2048x1536 position 2944,0 scale 2" \
        "output HEADLESS-4 resolution 800x600 position 4992,0"
    swaymsg create_output >/dev/null # HEADLESS-3

    # Frame 60 of the renderer's clock on each output, at the largest whole scale that fits its pixels: 1 on
    # 1024 x 768, 2 on 1920 x 1080, and 3 on 2048 x 1536 shown at scale 2 (1024 x 768 in the compositor's units).
    exact_frame 60 HEADLESS-1:1 HEADLESS-2:2 HEADLESS-3:3

    # Outputs that come and go while it runs.
    start changing
    local changing=$started
    within 10 covered HEADLESS-1
    local before=${EPOCHREALTIME/./}
    swaymsg create_output >/dev/null # HEADLESS-4, 800 x 600: the picture at scale 1
    within 10 covered HEADLESS-4
    check "an output added is covered" "covered" "$(covered HEADLESS-4 && echo covered)"
    echo "     (seen covered $(((${EPOCHREALTIME/./} - before) / 1000)) ms after it was added)"

    # A key ends it.
    key
    ended 10 "$changing"
    check "exit code after a key" 0 "$code"

    # A frame-rate line that nobody reads any more is dropped.
    check "exit code with --fps into a closed pipe" 0 \
        "$("$client" --fixed-clock 60 --frames 120 --fps 2>&1 >/dev/null | head -c0; echo "${PIPESTATUS[0]}")"

    # The stop signals end it with 0.
    local signal
    for signal in TERM INT HUP; do
        start signalled
        within 10 covered HEADLESS-1
        kill -"$signal" "$started"
        ended 10 "$started"
        check "exit code on SIG$signal" 0 "$code"
    done

    # swayidle starts it once the seat is idle, and it runs until input. It may start it again before it is stopped:
    # through a link of this run's own, so that what it started can be told from every other run's client.
    ln -s "$client" "$dir/idle-client"
    swayidle -w timeout 1 "$dir/idle-client; echo \$? >>$dir/idle-codes" >"$dir/swayidle.log" 2>&1 &
    running+=("$!")
    local swayidle=$!
    check "started by swayidle" covered "$(within 20 covered HEADLESS-1 && echo covered)"
    key
    within 10 test -s "$dir/idle-codes"
    check "exit code under swayidle after a key" 0 "$(head -1 "$dir/idle-codes" 2>/dev/null)"
    kill "$swayidle" && wait "$swayidle" || true
    pkill -f -x "$dir/idle-client" || true

    # What it cannot do: one line each, exit code 1.
    start no-idle --idle 1
    ended 10 "$started"
    check "--idle without ext-idle-notify-v1" \
        "1: orbisk-wayland: --idle needs a compositor that offers ext-idle-notify-v1, and this one does not" \
        "$code: $(cat "$dir/no-idle.err")"
    WAYLAND_DISPLAY=$dir/nothing start no-compositor
    ended 10 "$started"
    check "no compositor: one line" "1 1" "$code $(wc -l <"$dir/no-compositor.err")"
    WAYLAND_DISPLAY= start unset
    ended 10 "$started"
    check "no WAYLAND_DISPLAY" "1: orbisk-wayland: no compositor to connect to: WAYLAND_DISPLAY is not set" \
        "$code: $(cat "$dir/unset.err")"

    # The compositor gone: a line, and exit code 1 at once.
    start orphan
    within 10 covered HEADLESS-1
    local killed=${EPOCHREALTIME/./}
    kill -KILL "$SWAY_PID"
    wait "$SWAY_PID" 2>/dev/null || true
    SWAY_PID=
    ended 5 "$started"
    check "exit code when the compositor is killed" 1 "$code"
    echo "     (seen ended $(((${EPOCHREALTIME/./} - killed) / 1000)) ms after the kill)"
    check "its line" "orbisk-wayland: lost the connection to the compositor" "$(cut -d: -f1,2 "$dir/orphan.err")"
}

pointer_mode() {
    sway_start --x11 2 "output X11-1 position 0,0" "output X11-2 position 1024,0"
    xdotool mousemove 500 400
    # Its protocol log shows what it saw: where the pointer entered, each motion, each frame shown.
    WAYLAND_DEBUG=client start moved
    entered() { [ "$(log_count 'wl_pointer@[0-9]+\.enter\(' moved)" -ge 1 ]; }
    within 10 entered || echo "the pointer did not enter the picture: $(tail -3 "$dir/moved.err")"
    check "no cursor over the picture" 1 "$(log_count 'wl_pointer@[0-9]+\.set_cursor\([0-9]+, nil, 0, 0\)' moved)"
    xdotool mousemove_relative 3 0
    moved() { [ "$(log_count 'wl_pointer@[0-9]+\.motion\(' moved)" -ge 1 ]; }
    within 10 moved
    # Two frames shown after the motion: it has seen it and draws on.
    local frames
    frames=$(log_count 'wl_callback@[0-9]+\.done\(' moved)
    drawn_on() { [ "$(log_count 'wl_callback@[0-9]+\.done\(' moved)" -ge $((frames + 2)) ]; }
    within 10 drawn_on
    ended 0 "$started"
    check "a motion of 3 pixels keeps the picture" running "$code"
    xdotool mousemove_relative 10 0
    ended 10 "$started"
    check "exit code after a motion of 10 pixels" 0 "$code"

    local input
    for input in "click 1" "key a"; do
        start pressed
        within 10 covered X11-1
        xdotool $input
        ended 10 "$started"
        check "exit code after xdotool $input" 0 "$code"
    done
}

newer_mode() {
    local outputs=("output HEADLESS-1 resolution 1024x768 position 0,0"
                   "output HEADLESS-2 resolution 1920x1080 position 1024,0 scale 1.5")
    sway_start --root "$(sway_root)" 2 "${outputs[@]}"

    # At output scale 1.5 (1280 x 720 in the compositor's units) the picture is drawn in the output's own pixels.
    exact_frame 60 HEADLESS-1:1 HEADLESS-2:2

    # --idle: shown when the seat has been idle for a second, hidden on input, shown again.
    start idle --idle 1
    check "shown once the seat is idle" covered "$(within 20 covered HEADLESS-1 && echo covered)"
    key
    check "hidden on input" uncovered "$(within 10 uncovered HEADLESS-1 && echo uncovered)"
    ended 0 "$started"
    check "and waiting" running "$code"
    check "shown again once the seat is idle again" covered "$(within 20 covered HEADLESS-1 && echo covered)"
    kill -TERM "$started"
    ended 10 "$started"
    check "exit code on SIGTERM" 0 "$code"

    # An output taken away leaves the others drawing.
    start changing
    within 10 covered HEADLESS-1
    swaymsg output HEADLESS-2 disable >/dev/null
    shot HEADLESS-1 && cp "$dir/HEADLESS-1.png" "$dir/before.png"
    moving() { shot HEADLESS-1 && [ "$(compare -metric AE "$dir/before.png" "$dir/HEADLESS-1.png" null: 2>&1)" != 0 ]; }
    check "the picture moves on with an output taken away" moving "$(within 10 moving && echo moving)"
    ended 0 "$started"
    check "and the client runs" running "$code"
    kill "$started"

    # With every output off, nothing is drawn; turned on, they are drawn again. (After an output was taken away, this
    # sway's headless outputs are not shown again once turned off: a session of their own.)
    sway_stop
    sway_start --root "$(sway_root)" 2 "${outputs[@]}"
    WAYLAND_DEBUG=client start powered
    within 10 covered HEADLESS-1
    swaymsg output '*' power off >/dev/null
    commits() { log_count 'wl_surface@[0-9]+\.commit\(' powered; }
    local before
    before=$(commits)
    sleep 1 # the time in which some sixty frames would have been drawn
    local drawn=$(($(commits) - before))
    # A frame that the compositor asked for just before the outputs went off may still be drawn; none after it.
    [ "$drawn" -gt 1 ] || drawn="at most 1"
    check "frames drawn in a second with every output off" "at most 1" "$drawn"
    swaymsg output '*' power on >/dev/null
    drawing() { [ "$(commits)" -gt $((before + 10)) ]; }
    check "drawn again with the outputs on" drawing "$(within 10 drawing && echo drawing)"
}

"${mode}_mode"
finish
