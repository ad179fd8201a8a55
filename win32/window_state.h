// What the saver window keeps of a run: its mode, the state of its close rules, the input method it detached and the
// password verifier it asks.
#pragma once

#include <windows.h>
#include <imm.h>

#include "win32/platform.h"

namespace orbisk {

using ImeAssociate = HIMC(WINAPI*)(HWND, HIMC); // ImmAssociateContext
using PasswordVerifier = BOOL(WINAPI*)(HWND);   // VerifyScreenSavePwd of the password provider

struct WindowState {
    Platform platform;
    HWND handle = nullptr;
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
