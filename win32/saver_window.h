// The saver window: full screen or as a child of the desktop's preview window, its one window procedure and its
// message loop.
#pragma once

#include <windows.h>

#include "win32/saver_state.h"

namespace orbisk {

// Full screen when `parent` is null, else the preview inside `parent`. Returns the exit code of the mode: the quit
// message's 0, also 0 when another full-screen saver is running already, -1 when the window cannot be made.
int runSaverWindow(const Platform& platform, HWND parent);

// The saver's window class, "WindowsScreenSaverClass", registered for `module`.
bool registerSaverClass(HMODULE module);

// Creates the saver window for `state` (its platform set): full screen and in front, over every monitor, when
// `parent` is null, else the preview filling `parent`. Null when it cannot be made.
HWND openSaverWindow(SaverState& state, HWND parent);

// The window procedure of the class; the window's SaverState comes as its creation data.
LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace orbisk
