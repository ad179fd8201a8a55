// The saver window: full screen or as a child of the desktop's preview window, with its message loop.
#pragma once

#include <windows.h>

namespace orbisk {

// Full screen when `parent` is null, else the preview inside `parent`. Returns the exit code of the mode.
int runSaverWindow(HWND parent);

} // namespace orbisk
