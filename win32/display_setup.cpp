#include "win32/display_setup.h"

#include "display/palette.h"
#include "sim/simulation.h"
#include "sim/tables.h"

namespace orbisk {

#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(DDSURFACEDESC) == 108 && sizeof(DDPIXELFORMAT) == 32, "the 32-bit DirectDraw records");
#endif

namespace {

void fillPaletteTable(PALETTEENTRY (&table)[256]) {
    for (int e = 0; e < 256; ++e) {
        const Colour c = paletteColour(static_cast<std::uint8_t>(e));
        table[e] = {c.red, c.green, c.blue, 0};
    }
}

bool createSurface(DisplayState& display, DDSURFACEDESC& description, IDirectDrawSurface** surface) {
    description.dwSize = sizeof description;
    return display.directDraw->CreateSurface(&description, surface, nullptr) == DD_OK;
}

bool isDrawableDepth(DWORD bitCount) { return bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32; }

// The screen's channel masks; at 8 bits those of the 3-3-2 palette, which is installed (false when it cannot be).
bool chooseMasks(DisplayState& display, const DDPIXELFORMAT& format, DWORD masks[3]) {
    if (format.dwRGBBitCount != 8) {
        masks[0] = format.dwRBitMask, masks[1] = format.dwGBitMask, masks[2] = format.dwBBitMask;
        return true;
    }
    fillPaletteTable(display.paletteTable);
    if (display.directDraw->CreatePalette(DDPCAPS_8BIT, display.paletteTable, &display.palette, nullptr) != DD_OK ||
        display.primary->SetPalette(display.palette) != DD_OK)
        return false;
    masks[0] = PaletteRedMask, masks[1] = PaletteGreenMask, masks[2] = PaletteBlueMask;
    return true;
}

} // namespace

void releaseDisplay(DisplayState& display) {
    if (!display.directDraw) return;
    display.directDraw->Release();
    display.directDraw = nullptr;
}

void setUpDisplay(DisplayState& display, Simulation& simulation, HWND saverWindow) {
    if (display.directDraw) return;
    display.failure = SetUpFailure::None;
    const auto giveUp = [&display](SetUpFailure failure) {
        releaseDisplay(display);
        display.failure = failure;
    };
    if (display.createDirectDraw(nullptr, &display.directDraw, nullptr) != DD_OK) {
        display.directDraw = nullptr; // a failed creation's pointer is not to be trusted, nor released
        display.failure = SetUpFailure::CreateDirectDraw;
        return;
    }
    // Exclusive and full screen, but no display mode is set: the desktop keeps its resolution and depth.
    if (display.directDraw->SetCooperativeLevel(saverWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK)
        return giveUp(SetUpFailure::CooperativeLevel);

    DDSURFACEDESC primary{};
    primary.dwFlags = DDSD_CAPS;
    primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE; // no back buffer, no flipping
    if (!createSurface(display, primary, &display.primary)) return giveUp(SetUpFailure::PrimarySurface);

    // Without a readable pixel format there is nothing sound to draw with.
    DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    if (display.primary->GetPixelFormat(&format) != DD_OK) return giveUp(SetUpFailure::PixelFormat);
    DWORD masks[3];
    if (!isDrawableDepth(format.dwRGBBitCount)) return giveUp(SetUpFailure::ColourDepth);
    if (!chooseMasks(display, format, masks)) return giveUp(SetUpFailure::Palette);

    DDSURFACEDESC offscreen{};
    offscreen.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH; // no pixel format: the screen's
    offscreen.dwWidth = FieldWidth;
    offscreen.dwHeight = FieldHeight;
    offscreen.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    if (!createSurface(display, offscreen, &display.offscreen)) return giveUp(SetUpFailure::OffscreenSurface);

    if (display.directDraw->CreateClipper(0, &display.clipper, nullptr) != DD_OK ||
        display.clipper->SetHWnd(0, saverWindow) != DD_OK || display.primary->SetClipper(display.clipper) != DD_OK)
        return giveUp(SetUpFailure::Clipper);

    // The tick base is read before the seeding, so the seeding's time counts into the first frame.
    const DWORD tick = GetTickCount();
    PixelFormat screen;
    screen.adopt(format.dwRGBBitCount, masks[0], masks[1], masks[2]);
    display.drawing = FrameDrawing(screen);
    startSimulation(simulation, tick);
}

} // namespace orbisk
