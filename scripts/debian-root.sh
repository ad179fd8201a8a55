# Debian roots of the project's own for programs of another Debian release or architecture, sourced: each made once
# per machine with debootstrap and kept in $ORBISK_CACHE (default /var/cache/orbisk) under a key of what goes into
# it, so that a change of its packages makes a new root and removes the old one. A root holds no mounts of its own.

source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"
ORBISK_CACHE=${ORBISK_CACHE:-/var/cache/orbisk}
DEBIAN_MIRROR=http://deb.debian.org/debian

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
            local propagation=private
            mountpoint -q / || propagation=unchanged
            # In a mount namespace of its own, so that no mount made for the package scripts outlives the making.
            unshare --mount --propagation "$propagation" bash -c \
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

# debian_root_make DIR SUITE PACKAGE...: debootstrap, then the packages.
debian_root_make() {
    local root=$1 suite=$2
    shift 2
    rm -rf --one-file-system "$root"
    three_times debootstrap --variant=minbase "$suite" "$root" "$DEBIAN_MIRROR"
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
