// Taking over the screen with DirectDraw: exclusive full-screen use at the desktop's own mode, the primary surface,
// one 640 x 480 off-screen surface in the screen's format, a clipper bound to the saver window and, at 8 bits, the
// fixed 3-3-2 palette. The DirectDraw object exists exactly when every step succeeded.
#pragma once

#include <windows.h>
#include <ddraw.h>

namespace orbisk {

struct DisplayState {
    IDirectDraw* directDraw = nullptr; // null: no display (never set up, failed, or torn down)
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* offscreen = nullptr;
    IDirectDrawClipper* clipper = nullptr;
    IDirectDrawPalette* palette = nullptr; // only at 8 bits per pixel
    WORD colourDepthUnsupported = 0;       // the screen is not at 8, 16, 24 or 32 bits per pixel; never cleared
    HWND saverWindow = nullptr;            // recorded by the frame driver before the set-up
};

extern DisplayState display;
extern PALETTEENTRY paletteTable[256];

// How the DirectDraw object is made: DirectDrawCreate, unless a test hands in its own.
using DirectDrawFactory = HRESULT(WINAPI*)(GUID* driver, IDirectDraw** object, IUnknown* outer);
void setDirectDrawFactory(DirectDrawFactory factory);

// Does nothing once the display is ready. On success the pixel format and the plot limits are known, the frame
// clock starts and the field is seeded; on a failure the DirectDraw object is released and left null.
void setUpDisplay();

// Releases the DirectDraw object, and with it everything made from it.
void releaseDisplay();

} // namespace orbisk
