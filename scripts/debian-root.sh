# Debian roots of the project's own for programs of another Debian release or architecture, sourced: each made once
# per machine from a minimal system that debootstrap makes (kept as a tarball, from which the package test's fresh
# systems start too), and kept in $ORBISK_CACHE (default /var/cache/orbisk) under a key of what goes into it, so that
# a change of its packages makes a new root and removes the old one. A root holds no mounts of its own.

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"
ORBISK_CACHE=${ORBISK_CACHE:-/var/cache/orbisk}
DEBIAN_MIRROR=http://deb.debian.org/debian

# debian_minbase SUITE: the path of a tarball of a minimal Debian SUITE (debootstrap's minbase, without apt's lists and
# downloads, which are fetched anew at each install), made first if it is not there (a minute; needs root).
debian_minbase() {
    local suite=$1 recipe=1 # raise when the way the tarball is made changes
    local tarball
    tarball=$ORBISK_CACHE/debian-minbase-$suite-$(printf '%s\n' "$recipe" "$suite" "$DEBIAN_MIRROR" | sha256sum |
        cut -c1-12).tar.gz
    mkdir -p "$ORBISK_CACHE"
    (
        flock 9
        [ -f "$tarball" ] && exit 0
        local made log=$ORBISK_CACHE/debian-minbase-$suite.log start=$SECONDS
        made=$(mktemp -d)
        trap 'rm -rf --one-file-system "$made" "$tarball.part"' EXIT
        echo "making a minimal $suite system in $tarball (once; log in $log)" >&2
        unshare --mount --propagation "$(mount_propagation)" bash -c "$(declare -f three_times); three_times \
            debootstrap --variant=minbase $suite '$made' $DEBIAN_MIRROR" >"$log" 2>&1 || { tail -5 "$log" >&2; exit 1; }
        rm -rf "$made"/var/cache/apt/archives/*.deb "$made"/var/lib/apt/lists/*
        chmod 755 "$made" # a root's /, which every user reads
        tar -C "$made" --numeric-owner -czf "$tarball.part" . && mv "$tarball.part" "$tarball"
        find "$ORBISK_CACHE" -maxdepth 1 -name "debian-minbase-$suite-*.tar.gz" ! -path "$tarball" -delete
        echo "made in $((SECONDS - start)) s, $(du -h "$tarball" | cut -f1)" >&2
    ) 9>"$ORBISK_CACHE/debian-minbase.lock" || return 1
    echo "$tarball"
}

# debian_root NAME SUITE PACKAGE...: the path of the root NAME-SUITE-KEY, a minimal Debian SUITE with the packages
# (installed without recommendations), made first if it is not there (a few minutes; needs root). A package named with
# an architecture (libx11-dev:arm64) gives the root that architecture as a foreign one.
debian_root() {
    local name=$1 suite=$2
    shift 2
    local key path
    key=$(printf '%s\n' "$suite" "$@" | sha256sum | cut -c1-12)
    path=$ORBISK_CACHE/$name-$suite-$key
    if [ ! -f "$path/.ready" ]; then
        [ "$(id -u)" -eq 0 ] || { echo "making the Debian root $name needs root (debootstrap, chroot)" >&2; return 1; }
        mkdir -p "$ORBISK_CACHE"
        (
            flock 9
            [ -f "$path/.ready" ] && exit 0
            local log=$path.log start=$SECONDS
            echo "making the Debian $suite root for $name in $path (once; a few minutes; log in $log)" >&2
            # In a mount namespace of its own, so that no mount made for the package scripts outlives the making.
            unshare --mount --propagation "$(mount_propagation)" bash -c \
                "set -euo pipefail; source '${BASH_SOURCE[0]}'; debian_root_make \"\$@\"" debian-root \
                "$path.part" "$suite" "$@" >"$log" 2>&1 ||
                { echo "making the root failed; the end of $log:" >&2; tail -5 "$log" >&2; exit 1; }
            mv "$path.part" "$path"
            find "$ORBISK_CACHE" -maxdepth 1 -name "$name-$suite-*" ! -name "$name-$suite-$key*" \
                -exec rm -rf --one-file-system {} +
            echo "made in $((SECONDS - start)) s, $(du -sh "$path" | cut -f1)" >&2
        ) 9>"$ORBISK_CACHE/$name.lock" || return 1
    fi
    echo "$path"
}

# debian_root_make DIR SUITE PACKAGE...: the minimal system, then the packages.
debian_root_make() {
    local root=$1 suite=$2 minbase
    shift 2
    minbase=$(debian_minbase "$suite")
    rm -rf --one-file-system "$root"
    mkdir "$root"
    tar -C "$root" --numeric-owner -xzf "$minbase"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    local architecture
    for architecture in $(printf '%s\n' "$@" | sed -n 's/^[^:]*:\([a-z0-9]*\)$/\1/p' | sort -u); do
        chroot "$root" dpkg --add-architecture "$architecture"
    done
    in_root_apt "$root" install_packages --no-install-recommends "$@"
    rm -rf "$root"/var/lib/apt/lists/*
    chroot "$root" apt-get clean
    touch "$root/.ready"
}
