// The saver window: full screen or as a child of the desktop's preview window, its message loop, and the rules by
// which user input closes it.
#pragma once

#include <windows.h>

#include "win32/shell_state.h"

namespace orbisk {

// Full screen when `parent` is null, else the preview inside `parent`. Returns the exit code of the mode: the quit
// message's 0, also 0 when another full-screen saver is running already, -1 when the window cannot be made.
int runSaverWindow(const Platform& platform, HWND parent);

// The window procedure of the class: looks at each message first and passes most of them to saverWindowProc. The
// window's SaverState comes as its creation data.
LRESULT CALLBACK shellWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The default procedure behind saverWindowProc: turns input into a close request and lets a close go through only
// when it is allowed.
LRESULT shellDefaultProc(ShellState& shell, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether a close may go on: at once without a password verifier, else when the verifier accepts.
BOOL verifyBeforeClose(ShellState& shell, HWND window);

} // namespace orbisk
