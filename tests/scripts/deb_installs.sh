#!/usr/bin/env bash
# deb_installs.sh DEB...: the release's packages of one architecture, clean to lintian, installed by apt-get on a fresh
# Debian 12 with the dependencies they name: each program runs and gives its version, its manual page renders cleanly
# and names every option of --help, and orbisk-x11's settings file parses and holds only arguments the program takes.
# The fresh system is a copy of a minimal one made once and kept as a tarball (scripts/debian-root.sh); packages for
# arm64 get that architecture added there, and their programs run under qemu-aarch64. Needs root.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/debian-root.sh"
source "$here/../checks.sh"

for deb in "$@"; do [ -f "$deb" ] || { echo "no $deb: scripts/release makes it" >&2; exit 1; }; done
minbase=$(debian_minbase bookworm)

root=$(mktemp -d)
trap 'rm -rf --one-file-system "$root"' EXIT
trap 'exit 1' INT TERM HUP
tar -C "$root" --numeric-owner -xzf "$minbase"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$@" "$root/tmp/"
architecture=$(dpkg-deb -f "$1" Architecture)
[ "$architecture" = "$(dpkg --print-architecture)" ] || chroot "$root" dpkg --add-architecture "$architecture"
unshare --mount --propagation "$(mount_propagation)" bash -c 'source "$1"; root=$2; shift 2
    mount -t proc proc "$root/proc"; mount --rbind /dev "$root/dev"; in_root_apt "$root" install_packages "$@"' \
    install "$here/../../scripts/packages.sh" "$root" $(printf '/tmp/%s ' "${@##*/}")
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin "$@"; }
if [ "$architecture" = arm64 ]; then
    in_root() { env -i PATH=/usr/bin:/bin qemu-aarch64 -L "$root" "$root/usr/bin/$1" "${@:2}"; }
fi

set +e # every check runs, and finish tells

for deb in "$@"; do
    program=$(dpkg-deb -f "$deb" Package)
    check "$program: lintian finds no errors or warnings" "" "$(lintian "$deb" 2>/dev/null | grep '^[EW]:')"
    check "$program: --help exits 0" 0 "$(in_root "$program" --help >/dev/null; echo $?)"
    check "$program: --version gives the package's version" "$program $(dpkg-deb -f "$deb" Version)" \
        "$(in_root "$program" --version)"
    page=$root/usr/share/man/man6/$program.6.gz
    check "$program: the manual page renders without warnings" "" \
        "$(MANWIDTH=200 man --warnings -l "$page" 2>&1 >/dev/null)"
    manual=$(MANWIDTH=200 man -l "$page" 2>/dev/null)
    for option in $(in_root "$program" --help | grep -o -- ' --*[a-z-]*' | sort -u); do
        check "$program: the manual page names $option" 1 "$(grep -c -m1 -- "$option\b" <<<"$manual")"
    done
done

settings=$root/usr/share/xscreensaver/config/orbisk-x11.xml
check "orbisk-x11's settings file parses" 0 "$(xmllint --noout "$settings"; echo $?)"
arguments=$(xmllint --xpath '//command/@arg | //@arg-set' "$settings" | sed 's/^ *[a-z-]*="\(.*\)"$/\1/')
check "orbisk-x11 takes the settings' arguments ($(echo $arguments))" 0 \
    "$(in_root orbisk-x11 $arguments --version >/dev/null; echo $?)"
finish
