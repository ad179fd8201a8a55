// Taking over the screen with DirectDraw: exclusive full-screen use at the desktop's own mode, the primary surface,
// one 640 x 480 off-screen surface in the screen's format, a clipper bound to the saver window and, at 8 bits, the
// fixed 3-3-2 palette. The DirectDraw object exists exactly when every step succeeded.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "display/frame_drawing.h"

namespace orbisk {

struct Simulation;

// How the DirectDraw object is made: DirectDrawCreate, unless a test hands in its own.
using DirectDrawFactory = HRESULT(WINAPI*)(GUID* driver, IDirectDraw** object, IUnknown* outer);

struct DisplayState {
    IDirectDraw* directDraw = nullptr; // null: no display (never set up, failed, or torn down)
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* offscreen = nullptr;
    IDirectDrawClipper* clipper = nullptr;
    IDirectDrawPalette* palette = nullptr; // only at 8 bits per pixel
    WORD colourDepthUnsupported = 0;       // the screen is not at 8, 16, 24 or 32 bits per pixel; never cleared
    PALETTEENTRY paletteTable[256] = {};   // the 3-3-2 palette, filled at 8 bits per pixel
    FrameDrawing drawing;                  // in the screen's format, once the set-up knows it
    DirectDrawFactory createDirectDraw = DirectDrawCreate;
};

// Does nothing once the display is ready. On success the screen's format is known, the frame clock starts and the
// field is seeded; on a failure the DirectDraw object is released and left null.
void setUpDisplay(DisplayState& display, Simulation& simulation, HWND saverWindow);

// Releases the DirectDraw object, and with it everything made from it.
void releaseDisplay(DisplayState& display);

} // namespace orbisk
