# Installs the Debian packages that are missing, with apt-get; sourced by the other scripts.

# need_packages PACKAGE...: installs those of the packages that are not installed yet.
need_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${sudo[@]}" dpkg --add-architecture i386
    fi
    echo "Installing: ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
}

NATIVE_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libpng-dev clang libclang-rt-14-dev
                 g++-i686-linux-gnu qemu-user-static libx11-dev libxext-dev libxrandr-dev xvfb)

# The Windows side: the 32-bit saver, its 64-bit twin for the tests, and wine64 on a virtual display.
WINDOWS_PACKAGES=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 googletest wine64
                  fonts-wine xvfb xauth x11-utils xdotool imagemagick fonts-ipafont-gothic locales)
