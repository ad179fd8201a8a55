#include "win32/fault_guard.h"

#include <windows.h>

#include "win32/saver_running.h"

namespace orbisk {
namespace {

// The process's top-level filter takes no context: what it needs is kept here while the guard is set.
LPTOP_LEVEL_EXCEPTION_FILTER outerFilter = nullptr;
Platform guardedPlatform;

// GCC has no __try, and a fault in a window procedure unwinds through the system's message dispatch, so the guard
// is the process's top-level filter for as long as the mode runs. The process ends here rather than unwinding back
// into the mode's caller: nothing of the mode's state is worth saving once it has faulted.
LONG WINAPI guardFilter(EXCEPTION_POINTERS* fault) {
    // UnhandledExceptionFilter calls the top-level filter itself: put the outer one back first.
    SetUnhandledExceptionFilter(outerFilter);
    const LONG verdict = UnhandledExceptionFilter(fault);
    if (verdict != EXCEPTION_EXECUTE_HANDLER) return verdict; // a debugger took it, or the report resumes
    setSaverRunning(guardedPlatform, false);
    ExitProcess(static_cast<UINT>(FaultExitCode));
}

} // namespace

int runGuarded(const Platform& platform, int (*mode)(const void* context), const void* context) {
    guardedPlatform = platform;
    outerFilter = SetUnhandledExceptionFilter(guardFilter);
    const int result = mode(context);
    SetUnhandledExceptionFilter(outerFilter);
    return result;
}

} // namespace orbisk
