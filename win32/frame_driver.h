// The frame driver: the saver's own window procedure and the multimedia timer that asks it for frames.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

#include "display/frame_pacer.h"

namespace orbisk {

struct SaverState;

// How the frame timer is started: timeSetEvent, unless a test hands in its own.
using FrameTimerStarter = MMRESULT(WINAPI*)(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user,
                                            UINT flags);

struct FrameDriverState {
    DWORD clientWidth = 0, clientHeight = 0; // the client area at creation
    RECT screenRect = {};                     // the picture's place on the screen
    RECT sourceRect = {};                     // the whole off-screen surface
    UINT frameTimer = 0;                      // 0: no timer
    // 1 from the tick that posts a frame message until that frame has been presented, so at most one is queued.
    // The timer's thread sets it and the window's thread clears it.
    std::atomic<LONG> framePending{0};
    FramePacer pacer;
    HBITMAP previewBitmap = nullptr;
    LONG previewWidth = 0, previewHeight = 0;
    FrameTimerStarter startTimer = timeSetEvent;
};

// The frame message that the timer posts to the saver window.
inline constexpr UINT FrameMessage = WM_USER;

// Acts on creation, destruction, paint and the frame message, then hands every message to shellDefaultProc.
LRESULT saverWindowProc(SaverState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The timer's callback; `user` is the run's SaverState.
void CALLBACK frameTimerProc(UINT timer, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

} // namespace orbisk
