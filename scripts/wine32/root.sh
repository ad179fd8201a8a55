# The Windows test platform: 32-bit Wine in a Debian root of its own. These machines cannot execute 32-bit x86 code,
# so every 32-bit program of the root (the 32-bit Wine loader, and with it the saver) runs under qemu-i386 10 (from
# trixie), to which a binfmt_misc entry of our own sends 32-bit ELF files while a session runs (hold-binfmt). The
# 64-bit side of Wine runs natively. Sourced by session.sh.
#
# Two generations of Wine, chosen by ORBISK_WINE: 8 (the default), Wine 8.0 in a Debian 12 root; 10, Wine 10.0 in a
# Debian 13 root. Each root is made once per machine and kept in $ORBISK_CACHE (default /var/cache/orbisk) under a
# key of what goes into it: a change of the package list or of the way it is made gives a new key, and the old root
# is removed. It holds no mounts of its own: `enter` makes them in a mount namespace of each program's own.

WINE32_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$WINE32_HERE/../lib.sh"
ORBISK_CACHE=${ORBISK_CACHE:-/var/cache/orbisk}
declare -A WINE32_SUITES=([8]=bookworm [10]=trixie)
export ORBISK_WINE=${ORBISK_WINE:-8}
WINE32_SUITE=${WINE32_SUITES[$ORBISK_WINE]:?ORBISK_WINE is 8 or 10}
WINE32_MIRROR=http://deb.debian.org/debian
# Wine in both architectures, the fonts its dialogs use, and the X libraries that Wine loads at run time.
WINE32_PACKAGES=(wine wine64 wine32:i386 fonts-wine fonts-ipafont-gothic locales)
for library in libfreetype6 libfontconfig1 libxrandr2 libxrender1 libxi6 libxcursor1 libxinerama1 libxcomposite1 \
    libxfixes3 libxxf86vm1; do
    WINE32_PACKAGES+=("$library" "$library:i386")
done
# Raise when the way the root is made changes.
WINE32_RECIPE=1
# The saver's texts are Shift-JIS: Wine gives a program code page 932 only under a Japanese locale, which the root
# holds and `enter` gives every program.
export ORBISK_WINE_LANG=ja_JP.UTF-8
# wine32_root_name SUITE: the root's folder name in the cache, which holds the key.
wine32_root_name() {
    echo "wine32-$1-$(printf '%s\n' "$WINE32_RECIPE" "$1" "${WINE32_PACKAGES[@]}" qemu-user/trixie "$ORBISK_WINE_LANG" |
        sha256sum | cut -c1-12)"
}
WINE32_KEY=$(wine32_root_name "$WINE32_SUITE")
export ORBISK_WINE_ROOT=$ORBISK_CACHE/$WINE32_KEY

# wine32_root: makes the root unless it is there already (a few minutes from nothing; nothing at all from the cache).
wine32_root() {
    [ -f "$ORBISK_WINE_ROOT/.ready" ] && return 0
    [ "$(id -u)" -eq 0 ] || { echo "wine32: making the Windows test platform needs root (debootstrap, chroot)" >&2; return 1; }
    mkdir -p "$ORBISK_CACHE"
    (
        flock 9
        [ -f "$ORBISK_WINE_ROOT/.ready" ] && exit 0
        local log=$ORBISK_CACHE/$WINE32_KEY.log start=$SECONDS suite
        echo "wine32: making the Windows test platform in $ORBISK_WINE_ROOT (once; a few minutes; log in $log)" >&2
        # In a mount namespace of its own, so that no mount made for the package scripts outlives the making.
        unshare --mount --propagation "$(mount_propagation)" bash -c \
            "set -euo pipefail; source '${BASH_SOURCE[0]}'; wine32_make '$ORBISK_WINE_ROOT.part'" \
            >"$log" 2>&1 ||
            { echo "wine32: making the platform failed; the end of $log:" >&2; tail -5 "$log" >&2; exit 1; }
        mv "$ORBISK_WINE_ROOT.part" "$ORBISK_WINE_ROOT"
        # Roots made for an earlier package list: all but the current one of each Wine.
        local keep=()
        for suite in "${WINE32_SUITES[@]}"; do keep+=(! -name "$(wine32_root_name "$suite")*"); done
        find "$ORBISK_CACHE" -maxdepth 1 -name 'wine32-*' "${keep[@]}" -exec rm -rf --one-file-system {} +
        echo "wine32: made in $((SECONDS - start)) s, $(du -sh "$ORBISK_WINE_ROOT" | cut -f1)" >&2
    ) 9>"$ORBISK_CACHE/wine32.lock"
}

# wine32_make DIR: debootstrap, then the packages, the qemu binary and the Japanese locale.
wine32_make() {
    local root=$1
    rm -rf --one-file-system "$root"
    source "$WINE32_HERE/../packages.sh"
    three_times debootstrap --variant=minbase "$WINE32_SUITE" "$root" "$WINE32_MIRROR"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    chroot "$root" dpkg --add-architecture i386
    # qemu-user 10 from trixie, taken as a file: nothing of trixie is installed in an older root.
    if [ "$WINE32_SUITE" != trixie ]; then
        echo "deb $WINE32_MIRROR trixie main" >"$root/etc/apt/sources.list.d/trixie.list"
        printf 'Package: *\nPin: release n=trixie\nPin-Priority: 100\n' >"$root/etc/apt/preferences.d/trixie"
    fi
    in_root_apt "$root" install_packages --no-install-recommends "${WINE32_PACKAGES[@]}"
    three_times chroot "$root" sh -c 'cd /tmp && apt-get download -q qemu-user/trixie'
    dpkg-deb --fsys-tarfile "$root"/tmp/qemu-user_*.deb | tar -x -C "$root/tmp" ./usr/bin/qemu-i386
    install -m 755 "$root/tmp/usr/bin/qemu-i386" "$root/usr/local/bin/qemu-i386"
    rm -rf "$root/etc/apt/sources.list.d/trixie.list" "$root/etc/apt/preferences.d/trixie" "$root"/tmp/* \
        "$root"/var/lib/apt/lists/*
    chroot "$root" apt-get clean
    chroot "$root" localedef -i ja_JP -f UTF-8 "$ORBISK_WINE_LANG"
    touch "$root/.ready"
}

# wine32_binfmt_on: sends 32-bit x86 ELF files to the root's qemu-i386 for as long as this shell holds the entry
# orbisk-i386-PID (PID: this shell's), which a process of ours holds (hold-binfmt) until wine32_binfmt_off.
wine32_binfmt_on() {
    [ -n "${WINE32_HOLDER:-}" ] && kill -0 "$WINE32_HOLDER" 2>/dev/null && return 0
    local out
    out=$(mktemp)
    setsid unshare --mount --propagation "$(mount_propagation)" "$WINE32_HERE/hold-binfmt" $$ "$ORBISK_WINE_ROOT/usr/local/bin/qemu-i386" \
        </dev/null >"$out" 2>&1 &
    WINE32_HOLDER=$!
    within 5 binfmt_settled "$out"
    if ! grep -q ready "$out"; then
        echo "wine32: no binfmt_misc entry for 32-bit programs: $(cat "$out")" >&2
        rm -f "$out"
        stop_pid "$WINE32_HOLDER"
        return 1
    fi
    rm -f "$out"
}

binfmt_settled() { grep -q ready "$1" || gone "$WINE32_HOLDER"; }

# wine32_binfmt_off: removes this shell's entry.
wine32_binfmt_off() {
    [ -n "${WINE32_HOLDER:-}" ] || return 0
    stop_pid "$WINE32_HOLDER"
    WINE32_HOLDER=
}
