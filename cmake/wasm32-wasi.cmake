# Cross-compiling the web page's module: WebAssembly with clang, Debian's wasi-libc and libc++ for wasm32. The
# module is a library for the page's script (a WASI "reactor": no main, static constructors run by _initialize).
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# GNU ar cannot index WebAssembly objects.
set(CMAKE_AR /usr/bin/llvm-ar-14)
set(CMAKE_RANLIB /usr/bin/llvm-ranlib-14)
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -msimd128")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mexec-model=reactor -Wl,--strip-all")
