// Functions looked up by name at run time: optional system features that are skipped when missing.
#pragma once

#include <windows.h>

namespace orbisk {

template <typename Function>
Function procAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace orbisk
