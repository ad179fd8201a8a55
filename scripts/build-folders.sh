# The build folders, configured alike by scripts/build, which builds all of them, the bench scripts, which build what
# they measure, and scripts/release, which ships from them what the tests have run; sourced from the project's root.
# Warnings are errors in all of them.

configure_native() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
}

configure_win32() {
    cmake -S . -B build-win32 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" -DBUILD_TESTING=ON >/dev/null
}

configure_web() {
    cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/wasm32-wasi.cmake" >/dev/null
}
