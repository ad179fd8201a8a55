#!/usr/bin/env bash
# render_matches_native.sh NATIVE OTHER: orbisk-render built for another machine (OTHER, a command that runs it there)
# gives the native build's state hashes and pictures in every format: after a minute of frames, with a picture every
# ten seconds, in the 32-bit format; after frames 300, 600 and 601 in the others.
set -uo pipefail # every check runs, and finish tells
source "$(dirname "$0")/../checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP

for format in 32 24 16 15 8; do
    frames=601 every=300
    [ "$format" -eq 32 ] && frames=3600 every=600
    for build in native other; do
        program=$1
        [ "$build" = native ] || program=$2
        mkdir "$work/$build"
        "$program" --frames "$frames" --every "$every" --format "$format" --stats --out "$work/$build/picture.ppm" \
            >"$work/$build.stats" 2>"$work/$build.err" ||
            { status=$? && check "format $format: the $build run ($(tail -1 "$work/$build.err"))" 0 $status; }
    done
    check "format $format: the state after frame $frames" "$(cat "$work/native.stats")" "$(cat "$work/other.stats")"
    check "format $format: the pictures ($(cd "$work/native" && echo *))" "" "$(diff -r "$work/native" "$work/other")"
    rm -rf "$work"/*
done
finish
