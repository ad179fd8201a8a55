// The rules by which the full-screen saver closes: input asks to close, and on the older family a close goes on only
// once the password verifier has accepted it. The preview closes by none of them.
#pragma once

#include <windows.h>

#include "win32/window_state.h"

namespace orbisk {

// Sent to the saver window to run the password verifier.
inline constexpr UINT VerifyRequest = WM_APP;

// Whether input counts: in the full-screen saver, neither closing nor verifying.
bool watchingInput(const WindowState& state);

// A key, a button, a cursor movement, a cursor or show message, a change of activation or of the power: asks to close
// (or hides the cursor, or takes the screen back). Returns TRUE where the message is answered here (WM_SETCURSOR).
BOOL onInput(WindowState& state, HWND window, UINT message, WPARAM wParam);

// WM_CLOSE: whether it may destroy the window. A refused close measures movement afresh and takes the screen back.
bool onClose(WindowState& state, HWND window);

// The verify request: the verifier's answer, 1 when none is loaded; 0 where the request means nothing.
LRESULT onVerifyRequest(const WindowState& state, HWND window);

// "QueryCancelAutoPlay": closes, and answers 1 (cancel AutoPlay) while a password guards the desktop.
LRESULT onAutoPlay(const WindowState& state, HWND window);

// Whether a close may go on: at once without a password verifier, else when the verifier accepts.
BOOL verifyBeforeClose(WindowState& state, HWND window);

void hideCursor();

} // namespace orbisk
