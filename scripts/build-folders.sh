# The build folders of the Windows saver and of the web page, configured alike by scripts/build, which builds all
# of them, and scripts/release, which ships from them what the tests have run; sourced from the project's root.

configure_win32() {
    cmake -S . -B build-win32 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" -DBUILD_TESTING=ON >/dev/null
}

configure_web() {
    cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/wasm32-wasi.cmake" \
        >/dev/null
}
