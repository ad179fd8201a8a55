#!/usr/bin/env bash
# on-xvfb.sh SCREEN PROGRAM [ARG...]: runs PROGRAM on an Xvfb display of its own whose screen is SCREEN
# (WIDTHxHEIGHTxDEPTH), and stops the server by its PID however PROGRAM ends. The exit code is PROGRAM's.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
screen=${1:?screen: WIDTHxHEIGHTxDEPTH}
shift
dir=$(mktemp -d)
X_SERVER_PID=
trap '[ -z "$X_SERVER_PID" ] || stop_pid "$X_SERVER_PID"; rm -rf "$dir"' EXIT
x_server_start "$dir" Xvfb -noreset -nolisten tcp -screen 0 "$screen"
"$@"
