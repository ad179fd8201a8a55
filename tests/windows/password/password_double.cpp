// A stand-in for the older family's password provider PASSWORD.CPL, for the tests only (never shipped).
//
// VerifyScreenSavePwd (saver window) behaves like the provider's dialog: it keeps the thread's messages flowing for
// a while (ORBISK_PASSWORD_DIALOG_MS, 250 ms unless set), so that input arriving meanwhile reaches the saver window,
// and then answers with the number found in the file that ORBISK_PASSWORD_ANSWER names, read afresh at every call
// (no file or no variable: 0, the password was wrong). A test switches from refusing to accepting by rewriting it.
//
// Built with ORBISK_WITHOUT_VERIFIER it exports nothing and only logs its loading and unloading.
//
// Every event is appended as one line to the file that ORBISK_PASSWORD_LOG names:
//   load TICK                                 the library was mapped into a process
//   enter TICK DEPTH RUNNING                  a call began; DEPTH 2 or more is a call made while another was running
//   return TICK DEPTH RUNNING ANSWER          the call answered
//   unload TICK                               the library was freed
// TICK is GetTickCount; RUNNING is what SPI_GETSCREENSAVERRUNNING reports then (1 or 0), or "-" if it fails.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

void logLine(const char* line) {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("ORBISK_PASSWORD_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
    CloseHandle(file);
}

#ifndef ORBISK_WITHOUT_VERIFIER
LONG depth = 0;

const char* runningState() {
    BOOL running = FALSE;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) return "-";
    return running ? "1" : "0";
}

DWORD environmentNumber(const char* name, DWORD fallback) {
    char text[32];
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    return length == 0 || length >= sizeof text ? fallback : static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

BOOL scriptedAnswer() {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("ORBISK_PASSWORD_ANSWER", path, sizeof path);
    if (length == 0 || length >= sizeof path) return FALSE;
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    char text[32] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return static_cast<BOOL>(std::strtol(text, nullptr, 10));
}

// The provider's modal dialog runs a message loop of its own; so does this, for the given time.
void pumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}
#endif

} // namespace

// Built a second time without it, as a provider that lacks the function.
#ifndef ORBISK_WITHOUT_VERIFIER
extern "C" __attribute__((dllexport)) BOOL WINAPI VerifyScreenSavePwd(HWND /*saverWindow*/) {
    const LONG level = InterlockedIncrement(&depth);
    char line[128];
    std::snprintf(line, sizeof line, "enter %lu %ld %s\n", GetTickCount(), level, runningState());
    logLine(line);
    pumpMessages(environmentNumber("ORBISK_PASSWORD_DIALOG_MS", 250));
    const BOOL answer = scriptedAnswer();
    std::snprintf(line, sizeof line, "return %lu %ld %s %d\n", GetTickCount(), level, runningState(), answer);
    logLine(line);
    InterlockedDecrement(&depth);
    return answer;
}
#endif

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    char line[64];
    if (reason == DLL_PROCESS_ATTACH || reason == DLL_PROCESS_DETACH) {
        std::snprintf(line, sizeof line, "%s %lu\n", reason == DLL_PROCESS_ATTACH ? "load" : "unload", GetTickCount());
        logLine(line);
    }
    return TRUE;
}
