# Installs the Debian packages that are missing, with apt-get; sourced by the other scripts.

# need_packages [APT-OPTION...] PACKAGE...: installs those of the packages that are not installed yet.
need_packages() {
    local options=() missing=()
    while [[ ${1:-} == -* ]]; do options+=("$1"); shift; done
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    if [ "$(id -u)" -eq 0 ]; then
        install_packages "${options[@]}" "${missing[@]}"
    else
        sudo bash -c "$(declare -f refresh_package_lists install_packages); install_packages \"\$@\"" sudo \
            "${options[@]}" "${missing[@]}"
    fi
}

# refresh_package_lists: apt-get update, tried three times. A mirror caught mid-sync fails it for one index now
# and then; the lists it has may still hold every package wanted, so a last failure only warns.
refresh_package_lists() {
    local attempt
    for attempt in 1 2 3; do
        apt-get update -qq 2>/dev/null && return 0
        sleep $((attempt * 5))
    done
    echo "apt-get update failed three times; going on with the package lists there are" >&2
}

# install_packages [APT-OPTION...] PACKAGE...: apt-get install, after fresh lists, tried twice; ends with one line
# saying what could not be had.
install_packages() {
    local log attempt
    log=$(mktemp)
    for attempt in 1 2; do
        refresh_package_lists
        if DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >"$log" 2>&1; then
            rm -f "$log"
            return 0
        fi
    done
    echo "Cannot install the packages ($*): $(grep -m1 '^E:' "$log" || tail -1 "$log")" >&2
    rm -f "$log"
    return 1
}

# three_times COMMAND...: a command that reaches the mirror, which may be busy for a moment, tried three times.
three_times() {
    local attempt
    for attempt in 1 2 3; do
        "$@" && return 0
        [ "$attempt" -eq 3 ] || sleep $((attempt * 10))
    done
    return 1
}

# in_root_apt ROOT FUNCTION ARGS...: runs one of the functions above inside a Debian root (a directory made by
# debootstrap), with a clean environment.
in_root_apt() {
    local root=$1
    shift
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin bash -c \
        "$(declare -f refresh_package_lists install_packages); \"\$@\"" in-root "$@"
}

# What builds the shipped files: orbisk-x11, orbisk-wayland and their Debian packages (scripts/package: CPack's, whose
# dependencies dpkg-shlibdeps computes, reading file's output);
PACKAGE_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libpng-dev libx11-dev libxext-dev libxrandr-dev libxrender-dev
                        libwayland-dev wayland-protocols dpkg-dev file)
# the 32-bit saver, in a build folder configured with GoogleTest's sources for the Windows tests;
WINDOWS_BUILD_PACKAGES=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 googletest)
# the web page's module: clang for wasm32 with the WASI C library and libc++.
WEB_BUILD_PACKAGES=(clang llvm-14 lld-14 wasi-libc libc++-14-dev-wasm32 libclang-rt-14-dev-wasm32)
# scripts/release: all of those, and Python, which writes the zip.
RELEASE_PACKAGES=("${PACKAGE_BUILD_PACKAGES[@]}" "${WINDOWS_BUILD_PACKAGES[@]}" "${WEB_BUILD_PACKAGES[@]}" python3)

# The native build with its tests, fuzz targets, sanitized build and benchmark (strace stops orbisk-render inside a
# system call); the package's test: a fresh Debian root, the settings file parsed, the manual page rendered, lintian;
# the check of the code's format.
NATIVE_PACKAGES=("${PACKAGE_BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev xvfb
                 strace debootstrap libxml2-utils man-db lintian clang-format-14)

# What orbisk-x11's run under XScreenSaver's daemon (tests/x11/under_xscreensaver.sh) needs besides: the daemon, xwd
# for screenshots and ImageMagick to read them.
XSCREENSAVER_TEST_PACKAGES=(xscreensaver x11-apps imagemagick)

# What orbisk-wayland's tests and benchmark run it under (tests/wayland/, scripts/wayland/session.sh): sway, headless or
# on an Xvfb display; screenshots, swayidle, a virtual keyboard, pointer input on that display; the Debian 13 root
# with sway 1.10 is made with debootstrap.
WAYLAND_TEST_PACKAGES=(sway grim swayidle wtype xvfb xdotool imagemagick debootstrap)

# The Windows side: the saver (and its 64-bit twin for scripts/bench-wine), and what the tests use on this side of the
# Windows test platform (scripts/wine32/root.sh): a virtual display, screenshots, input; and for two monitors, Xorg's
# dummy driver and xrandr.
WINDOWS_PACKAGES=("${WINDOWS_BUILD_PACKAGES[@]}" g++-mingw-w64-x86-64-posix debootstrap xvfb x11-utils x11-apps xdotool
                  imagemagick xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils)

# The web page, and its tests and benchmark in Debian's Chromium, served by Python.
WEB_PACKAGES=("${WEB_BUILD_PACKAGES[@]}" chromium python3 imagemagick)
