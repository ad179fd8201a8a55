#!/usr/bin/env bash
# package_installs.sh: scripts/packages.sh against a stand-in for apt-get whose every update fails, as it does while
# a mirror is mid-sync: the install goes on with the lists there are, and a package that cannot be had ends it with
# one line that names it.
set -uo pipefail
source "$(dirname "$0")/../../scripts/packages.sh"
source "$(dirname "$0")/../checks.sh"

sleep() { :; } # the pauses between attempts
apt-get() {
    case $1 in
    update) echo "E: Failed to fetch …/Packages.xz  File has unexpected size. Mirror sync in progress?" >&2; return 100 ;;
    install) [[ " $* " != *" missing-package "* ]] || { echo "E: Unable to locate package missing-package" >&2; return 100; } ;;
    esac
}

check "a failing update does not stop the install" 0 "$(install_packages present-package 2>/dev/null; echo $?)"
errors=$(install_packages present-package missing-package 2>&1 >/dev/null | grep -v '^apt-get update failed')
check "a missing package fails the install with one line" \
    "Cannot install the packages (present-package missing-package): E: Unable to locate package missing-package" "$errors"
finish
