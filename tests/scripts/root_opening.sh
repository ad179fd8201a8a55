#!/usr/bin/env bash
# root_opening.sh: / opened to the users of runs at the same time, in a minimal Debian root whose / others may not
# enter (as in a chroot made with mktemp -d): it stays open until the last of them ends, also when one was killed
# without closing it, and then has its mode again. Needs root; exits 77 (skipped) without.
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "needs root, for the users and the chroot" >&2; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/debian-root.sh"
source "$here/../checks.sh"
root=$(mktemp -d /var/tmp/orbisk-root-test.XXXXXX)
trap 'rm -rf --one-file-system "$root"' EXIT
tar -C "$root" -xzf "$(debian_minbase bookworm)"
chmod 700 "$root"
cp "$here/../../scripts/lib.sh" "$root/tmp/"

# The modes of / after each step, as one run after another opens and closes it.
modes=$(chroot "$root" bash -c '
    set -euo pipefail
    source /tmp/lib.sh
    for user in first second killed; do useradd --system "$user"; done
    root_opened_for first && root_opened_for second && stat -c %a /
    userdel first && root_closed_for first && stat -c %a /
    root_opened_for killed && userdel killed # its run ends without closing
    userdel second && root_closed_for second && stat -c %a /
    ls /tmp')
check "open while two runs last, open while the second does, closed after the last" "701 701 700 lib.sh" \
    "$(echo $modes)"
finish
