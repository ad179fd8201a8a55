// The program's entry: the desktop's command line chooses the mode, whose result becomes the exit code.
#pragma once

#include <windows.h>

namespace orbisk {

// Takes the command line and the start-up information, runs selectMode and ends the process with its result.
[[noreturn]] void runCommandLine();

// Reads the switch of `tail` and runs its mode; returns the process's exit code. `showFlag` is unused by every mode.
int selectMode(HMODULE module, HMODULE, const char* tail, int showFlag);

// The password-change switch of the older family: the system's dialog owned by the window written in `text`, or by
// the foreground window. Always 0.
int changePasswordMode(const char* text);

} // namespace orbisk
