// The frame driver: the multimedia timer that asks the saver window for frames, the frames it draws, and what the
// window shows instead of them (the preview's stored picture, the set-up's failure text).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

#include "display/frame_pacer.h"
#include "win32/display_setup.h"

namespace orbisk {

struct Simulation;

// The multimedia timer's functions: winmm's, unless a test hands in its own.
struct FrameTimerApi {
    MMRESULT(WINAPI* getDevCaps)(LPTIMECAPS caps, UINT size) = timeGetDevCaps;
    MMRESULT(WINAPI* beginPeriod)(UINT period) = timeBeginPeriod;
    MMRESULT(WINAPI* endPeriod)(UINT period) = timeEndPeriod;
    MMRESULT(WINAPI* setEvent)
    (UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) = timeSetEvent;
    MMRESULT(WINAPI* killEvent)(UINT timer) = timeKillEvent;
};

struct FrameDriverState {
    // The saver window, which the timer posts to: its first tick may come before CreateWindowEx has returned it.
    HWND window = nullptr;
    DWORD clientWidth = 0, clientHeight = 0; // the client area at creation
    RECT screenRect = {};                    // the picture's place on the screen
    RECT sourceRect = {};                    // the whole off-screen surface
    UINT frameTimer = 0;                     // 0: no timer
    UINT timerPeriod = 0;                    // the resolution asked for while the timer runs; 0: none
    // 1 from the tick that posts a frame message until that frame has been presented, so at most one is queued.
    // The timer's thread sets it and the window's thread clears it.
    std::atomic<LONG> framePending{0};
    FramePacer pacer;
    HBITMAP previewBitmap = nullptr;
    LONG previewWidth = 0, previewHeight = 0;
    FrameTimerApi timer;
};

// The frame message that the timer posts to the saver window.
inline constexpr UINT FrameMessage = WM_USER;

// On creation: the picture's place, then in the preview the stored picture, else the display and the frame timer.
void startFrames(FrameDriverState& frames, DisplayState& display, Simulation& simulation, HWND window, bool preview);

// On destruction: the timer stopped before the display goes, so that no frame is drawn into a released surface.
void stopFrames(FrameDriverState& frames, DisplayState& display, bool preview);

// The frame message: one frame drawn and presented.
void presentFrame(FrameDriverState& frames, DisplayState& display, Simulation& simulation);

// WM_PAINT: the preview's picture, or without a display the set-up's failure text; nothing while frames are drawn.
void paintWithoutFrames(const FrameDriverState& frames, const DisplayState& display, HWND window, bool preview);

// The timer's callback; `user` is the FrameDriverState.
void CALLBACK frameTimerProc(UINT timer, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

} // namespace orbisk
