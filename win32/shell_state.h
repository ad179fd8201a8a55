// What the shell keeps of a run: set up once at start and read by the saver window, the frame driver and the
// password hooks.
#pragma once

#include <windows.h>
#include <imm.h>

namespace orbisk {

using ImeAssociate = HIMC(WINAPI*)(HWND, HIMC); // ImmAssociateContext
using PasswordVerifier = BOOL(WINAPI*)(HWND);   // VerifyScreenSavePwd of the password provider

// What the entry learns of the system, once, before any mode runs.
struct Platform {
    HMODULE module = nullptr; // resources are loaded from here
    bool olderFamily = false; // Windows 95/98/Me: the password features are used only there
};

struct ShellState {
    Platform platform;
    HWND saverWindow = nullptr;
    bool preview = false; // the saver window is a child of the desktop's preview window
    BOOL closing = FALSE; // closing was allowed; the verifier's answer when there was one
    bool verifying = false;
    UINT autoPlayMessage = 0; // "QueryCancelAutoPlay", registered only on the older family
    POINT startCursor = {0, 0};
    DWORD mouseThreshold = 4; // the largest cursor movement (|dx| + |dy|) that does not close the saver
    DWORD lastVerifyTick = static_cast<DWORD>(-1); // -1: no verification yet
    HMODULE imeModule = nullptr;
    ImeAssociate imeAssociate = nullptr;
    HIMC savedImeContext = nullptr;
    HMODULE verifierModule = nullptr;
    PasswordVerifier verifier = nullptr;
    DWORD(WINAPI* tickCount)() = GetTickCount; // the debounce's clock, unless a test hands in its own
};

} // namespace orbisk
