#!/usr/bin/env bash
# release_reproducible.sh: scripts/release of the last commit in two clean clones at different paths gives the same
# SHA256SUMS. The first ships from build folders made beforehand without SOURCE_DATE_EPOCH, as scripts/build and
# scripts/package make them in a working checkout; the second is made from nothing, later, in another zone and umask.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
source "$here/../checks.sh"
work=$(mktemp -d)
trap 'rm -rf --one-file-system "$work"' EXIT
trap 'exit 1' INT TERM HUP

# The clones come from a bundle of the commit, which root (ctest under scripts/test) may make from a checkout that
# another user owns; git serves no clone of it to root.
git -c safe.directory="$repo" -C "$repo" bundle create -q "$work/commit.bundle" HEAD
clone() { git clone -q -c advice.detachedHead=false "$work/commit.bundle" "$1"; }
clone "$work/a"
(
    cd "$work/a" && source scripts/build-folders.sh && unset SOURCE_DATE_EPOCH
    configure_win32 && cmake --build build-win32 --target orbisk && configure_web && cmake --build build-web
    scripts/package && scripts/package-arm64
) >/dev/null
TZ=UTC0 "$work/a/scripts/release" >/dev/null
clone "$work/second/clone"
(umask 077 && TZ=JST-9 "$work/second/clone/scripts/release") >/dev/null

check "the second release's files are the first's" "$(cat "$work/a/dist/SHA256SUMS")" \
    "$(cat "$work/second/clone/dist/SHA256SUMS")"
finish
