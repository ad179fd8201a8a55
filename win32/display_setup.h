// Taking over the screen with DirectDraw: exclusive full-screen use at the desktop's own mode, the primary surface,
// one 640 x 480 off-screen surface in the screen's format, a clipper bound to the saver window and, at 8 bits, the
// fixed 3-3-2 palette. The DirectDraw object exists exactly when every step succeeded.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "display/frame_drawing.h"

namespace orbisk {

struct Simulation;

// The step at which the set-up gave up, so that the window can say why it shows no picture.
enum class SetUpFailure {
    None,             // set up, or never tried
    CreateDirectDraw, // DirectDrawCreate
    CooperativeLevel, // exclusive full-screen use refused
    PrimarySurface,
    PixelFormat, // the screen's format could not be read
    ColourDepth, // the screen is not at 8, 16, 24 or 32 bits per pixel
    Palette,     // the 3-3-2 palette could not be made or attached at 8 bits
    OffscreenSurface,
    Clipper,    // made, bound to the saver window, attached to the primary surface
    FrameTimer, // no multimedia timer to drive the frames: the display was released again
};

// How the DirectDraw object is made: DirectDrawCreate, unless a test hands in its own.
using DirectDrawFactory = HRESULT(WINAPI*)(GUID* driver, IDirectDraw** object, IUnknown* outer);

struct DisplayState {
    IDirectDraw* directDraw = nullptr; // null: no display (never set up, failed, or torn down)
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* offscreen = nullptr;
    IDirectDrawClipper* clipper = nullptr;
    IDirectDrawPalette* palette = nullptr; // only at 8 bits per pixel
    SetUpFailure failure = SetUpFailure::None;
    PALETTEENTRY paletteTable[256] = {}; // the 3-3-2 palette, filled at 8 bits per pixel
    FrameDrawing drawing;                // in the screen's format, once the set-up knows it
    DirectDrawFactory createDirectDraw = DirectDrawCreate;
};

// Does nothing once the display is ready. On success the screen's format is known, the frame clock starts and the
// field is seeded; on a failure the DirectDraw object is released and left null, and `failure` names the step.
void setUpDisplay(DisplayState& display, Simulation& simulation, HWND saverWindow);

// Releases the DirectDraw object, and with it everything made from it.
void releaseDisplay(DisplayState& display);

} // namespace orbisk
