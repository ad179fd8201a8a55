// What the entry learns of the system, once, before any mode runs.
#pragma once

#include <windows.h>

namespace orbisk {

struct Platform {
    HMODULE module = nullptr; // resources are loaded from here
    bool olderFamily = false; // Windows 95/98/Me: the password features are used only there
};

} // namespace orbisk
