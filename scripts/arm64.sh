# The arm64 build in build-arm64/: orbisk-render, orbisk-x11, orbisk-wayland and their tests, cross-built with
# Debian's cross compiler against the arm64 libraries of a Debian 12 root of the project's own (debian-root.sh), where
# they also run, under qemu-aarch64. Sourced from the project's root by scripts/test-arm64 and scripts/package-arm64.
source scripts/packages.sh
source scripts/debian-root.sh

# The arm64 libraries that the programs and the tests link (the C++ library for their runs: the cross compiler links
# its own copy of the same version), and dpkg-shlibdeps, which computes the packages' dependencies from them, reading
# the programs with the cross objdump. The root's own system is amd64, with arm64 as a foreign architecture: no arm64
# package enters this machine's package database.
ARM64_ROOT_PACKAGES=(libstdc++6:arm64 libpng-dev:arm64 libx11-dev:arm64 libxext-dev:arm64 libxrandr-dev:arm64
                     libxrender-dev:arm64 libwayland-dev:arm64 libgtest-dev:arm64 wayland-protocols dpkg-dev
                     binutils-aarch64-linux-gnu)

need_packages "${PACKAGE_BUILD_PACKAGES[@]}" g++-aarch64-linux-gnu debootstrap xvfb
# Without what qemu-user recommends: qemu-user-binfmt would hand every arm64 program on the machine to qemu.
need_packages --no-install-recommends qemu-user

# arm64_root: the path of the root, made first if it is not there.
arm64_root() { debian_root arm64 bookworm "${ARM64_ROOT_PACKAGES[@]}"; }

# configure_arm64: the build folder, against the root's libraries, its orbisk-render to be compared with the native
# build's (build/, which scripts/build makes).
configure_arm64() {
    local root fresh=()
    root=$(arm64_root)
    # A root made anew, for another package list, has another path: what the folder found in the old one is gone.
    grep -q "^CMAKE_SYSROOT:.*=$root\$" build-arm64/CMakeCache.txt 2>/dev/null || fresh=(--fresh)
    cmake "${fresh[@]}" -S . -B build-arm64 -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64-linux-gnu.cmake" -DCMAKE_SYSROOT="$root" \
        -DORBISK_NATIVE_RENDER="$PWD/build/render/orbisk-render" >/dev/null
}
