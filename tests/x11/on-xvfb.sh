#!/usr/bin/env bash
# on-xvfb.sh DEPTH PROGRAM [ARG...]: runs PROGRAM on an Xvfb display of its own, 1280x1024 at DEPTH bits, and
# stops the server by its PID however PROGRAM ends. The exit code is PROGRAM's.
set -euo pipefail
depth=${1:?depth}
shift
dir=$(mktemp -d)
xvfb=
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "1280x1024x$depth" 3>"$dir/display" </dev/null >"$dir/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$dir/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
done
[ -s "$dir/display" ] || { echo "Xvfb did not start:" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
DISPLAY=:$(cat "$dir/display") "$@"
