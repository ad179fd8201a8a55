// A guard against structured exceptions (access faults and the like) while a mode runs.
#pragma once

#include "win32/platform.h"

namespace orbisk {

// The exit code of a process whose mode faulted: the same -1 as every other failure of the saver.
inline constexpr int FaultExitCode = -1;

// Runs mode(context). A fault that nothing handles goes to the system's report of a failing program
// (UnhandledExceptionFilter); when that report lets the program go, the running-saver state is switched off and
// the process ends with FaultExitCode.
int runGuarded(const Platform& platform, int (*mode)(const void* context), const void* context);

} // namespace orbisk
