#include "win32/close_rules.h"

#include <cstdlib>

namespace orbisk {
namespace {

constexpr DWORD VerifyDebounceMs = 200; // a close request this soon after a verification is refused unasked
constexpr WPARAM CriticalResume = 3;    // PWR_CRITICALRESUME of WM_POWER

void requestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

// A saver that stays keeps the screen. Losing the activation to another program's window also minimised the
// exclusive full-screen window (DirectDraw does that); restored and in front again, it hides that window, and its
// lost surfaces come back with the next frame.
void takeScreenBack(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
}

// Mouse movement closes only beyond the threshold, measured from the start (or the last refused close); the cursor's
// own position counts, not the message's.
void onMouseMove(WindowState& state, HWND window) {
    POINT now{};
    GetCursorPos(&now);
    const DWORD moved =
        static_cast<DWORD>(std::abs(now.x - state.startCursor.x) + std::abs(now.y - state.startCursor.y));
    if (moved > state.mouseThreshold) {
        requestClose(window);
        state.startCursor = now;
    }
}

bool verifies(const WindowState& state) { return !state.preview && !state.closing && state.platform.olderFamily; }

} // namespace

void hideCursor() { SetCursor(nullptr); }

bool watchingInput(const WindowState& state) { return !state.preview && !state.closing && !state.verifying; }

BOOL onInput(WindowState& state, HWND window, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_SETCURSOR: hideCursor(); return TRUE;
    case WM_SHOWWINDOW:
        if (wParam) hideCursor();
        return FALSE;
    case WM_ACTIVATEAPP:
        if (wParam)
            takeScreenBack(window);
        else
            requestClose(window);
        return FALSE;
    case WM_POWER:
        if (wParam == CriticalResume) requestClose(window);
        return FALSE;
    case WM_MOUSEMOVE: onMouseMove(state, window); return FALSE;
    default: requestClose(window); return FALSE; // WM_POWERBROADCAST, a key or a button
    }
}

bool onClose(WindowState& state, HWND window) {
    if (!verifies(state) || verifyBeforeClose(state, window)) return true;
    GetCursorPos(&state.startCursor);             // movement counts afresh from here
    if (!state.verifying) takeScreenBack(window); // not over the verifier's own dialog
    return false;
}

LRESULT onVerifyRequest(const WindowState& state, HWND window) {
    if (!verifies(state)) return 0;
    return state.verifier ? state.verifier(window) : 1;
}

LRESULT onAutoPlay(const WindowState& state, HWND window) {
    requestClose(window);
    return state.verifier ? 1 : 0;
}

BOOL verifyBeforeClose(WindowState& state, HWND window) {
    if (state.verifying || state.closing) return FALSE;
    if (!state.verifier) {
        state.closing = TRUE;
        return TRUE;
    }
    if (state.lastVerifyTick != static_cast<DWORD>(-1) && state.tickCount() - state.lastVerifyTick < VerifyDebounceMs)
        return state.closing;
    state.verifying = true;
    // A timer's message is made when the queue is read, one per timer at a time: two reads take those of up to two
    // timers, so that the verifier's dialog is not kept waiting behind their work.
    MSG dropped;
    for (int k = 0; k < 2; ++k) PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    state.closing = static_cast<BOOL>(SendMessageA(window, VerifyRequest, 0, 0));
    state.verifying = false;
    if (!state.closing) hideCursor(); // the verifier's dialog showed it
    state.lastVerifyTick = state.tickCount();
    return state.closing;
}

} // namespace orbisk
