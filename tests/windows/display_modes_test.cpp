// The display set-up and one frame's plot against Wine's own DirectDraw, at each colour depth the saver draws on.
// The test program (never the saver) switches the process's display mode first, so the saver's set-up, which keeps
// whatever mode it finds, meets a real screen at 8, 16 or 32 bits per pixel.
#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "win32/saver_state.h"

namespace orbisk {
namespace {

struct Depth {
    DWORD bitsPerPixel;
    std::uint32_t bytesPerPixel;
    std::uint32_t masks[3];
    std::int32_t shifts[3];
};

const Depth Depths[] = {
    {8, 1, {0xE0, 0x1C, 0x03}, {0, -3, -6}},
    {16, 2, {0xF800, 0x07E0, 0x001F}, {8, 3, -3}},
    {32, 4, {0xFF0000, 0xFF00, 0xFF}, {16, 8, 0}},
};

void PrintTo(const Depth& depth, std::ostream* out) { *out << depth.bitsPerPixel << " bits per pixel"; }

std::string depthName(const ::testing::TestParamInfo<Depth>& info) {
    return "Bits" + std::to_string(info.param.bitsPerPixel);
}

// The depth of the process's screen as GDI sees it.
int screenDepth() {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits;
}

HWND makeFullScreenWindow() {
    static const ATOM windowClass = [] {
        WNDCLASSA c{};
        c.lpfnWndProc = DefWindowProcA;
        c.hInstance = GetModuleHandleA(nullptr);
        c.lpszClassName = "OrbiskDisplayModesTest";
        return RegisterClassA(&c);
    }();
    if (!windowClass) return nullptr;
    return CreateWindowExA(WS_EX_TOPMOST, "OrbiskDisplayModesTest", "", WS_POPUP | WS_VISIBLE, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// The pixel value at (x, y) of a locked picture, from its bytes, little-endian.
std::uint32_t pixelAt(const std::uint8_t* surface, LONG pitch, std::uint32_t bytesPerPixel, int x, int y) {
    const std::uint8_t* at = surface + y * pitch + x * static_cast<int>(bytesPerPixel);
    std::uint32_t value = 0;
    for (std::uint32_t b = 0; b < bytesPerPixel; ++b) value |= static_cast<std::uint32_t>(at[b]) << (8 * b);
    return value;
}

class DisplayModes : public ::testing::TestWithParam<Depth> {
protected:
    void SetUp() override {
        window_ = makeFullScreenWindow();
        ASSERT_NE(window_, nullptr);
        ASSERT_EQ(DirectDrawCreate(nullptr, &modeSetter_, nullptr), DD_OK);
        ASSERT_EQ(modeSetter_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
        ASSERT_EQ(modeSetter_->SetDisplayMode(1024, 768, GetParam().bitsPerPixel), DD_OK);
        // The saver's set-up takes exclusive use of the display itself; this object only keeps the mode.
        ASSERT_EQ(modeSetter_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
        ASSERT_EQ(screenDepth(), static_cast<int>(GetParam().bitsPerPixel)) << "the mode did not stay";
    }

    void TearDown() override {
        releaseDisplay(display);
        if (modeSetter_) {
            modeSetter_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
            EXPECT_EQ(modeSetter_->RestoreDisplayMode(), DD_OK);
            modeSetter_->SetCooperativeLevel(window_, DDSCL_NORMAL);
            modeSetter_->Release();
        }
        if (window_) DestroyWindow(window_);
    }

    void setUpDisplay() { orbisk::setUpDisplay(display, state_->simulation, window_); }

    HWND window_ = nullptr;
    IDirectDraw* modeSetter_ = nullptr;
    std::unique_ptr<SaverState> state_ = std::make_unique<SaverState>();
    DisplayState& display = state_->display;
    FlowField& field = state_->simulation.field;
};

TEST_P(DisplayModes, SetUpReadsTheScreensFormatAndInstallsThePaletteOnlyAtEightBits) {
    const Depth& depth = GetParam();
    setUpDisplay();
    ASSERT_NE(display.directDraw, nullptr);
    EXPECT_EQ(display.failure, SetUpFailure::None);

    const PixelFormat& format = display.drawing.format();
    EXPECT_EQ(format.bytesPerPixel, depth.bytesPerPixel);
    EXPECT_EQ(format.redMask, depth.masks[0]);
    EXPECT_EQ(format.greenMask, depth.masks[1]);
    EXPECT_EQ(format.blueMask, depth.masks[2]);
    EXPECT_EQ(format.redShift, depth.shifts[0]);
    EXPECT_EQ(format.greenShift, depth.shifts[1]);
    EXPECT_EQ(format.blueShift, depth.shifts[2]);
    EXPECT_EQ(field.particleCount, 38400);

    // The screen is the depth the saver found; the set-up changed no mode.
    EXPECT_EQ(screenDepth(), static_cast<int>(depth.bitsPerPixel));

    IDirectDrawPalette* installed = nullptr;
    const HRESULT got = display.primary->GetPalette(&installed);
    if (depth.bitsPerPixel != 8) {
        EXPECT_EQ(got, DDERR_NOPALETTEATTACHED);
        EXPECT_EQ(installed, nullptr);
        return;
    }
    ASSERT_EQ(got, DD_OK);
    ASSERT_NE(installed, nullptr);
    EXPECT_EQ(installed, display.palette);
    PALETTEENTRY entries[256]{};
    ASSERT_EQ(installed->GetEntries(0, 0, 256, entries), DD_OK);
    installed->Release();
    int wrong = 0;
    for (int e = 0; e < 256; ++e) {
        const int red = ((e >> 5) & 7) * 255 / 7, green = ((e >> 2) & 7) * 255 / 7, blue = (e & 3) * 85;
        if (entries[e].peRed == red && entries[e].peGreen == green && entries[e].peBlue == blue) continue;
        if (++wrong <= 5)
            ADD_FAILURE() << "entry " << e << " is (" << int(entries[e].peRed) << ", " << int(entries[e].peGreen)
                          << ", " << int(entries[e].peBlue) << "), not (" << red << ", " << green << ", " << blue
                          << ")";
    }
    EXPECT_EQ(wrong, 0);
}

// One frame as the frame driver draws it, read back from the real off-screen surface: each cell shows the colour
// of the particle plotted there last (the lowest slot, since the step runs from the last slot down), every other
// cell keeps the clear colour.
TEST_P(DisplayModes, AFramesParticlesLandOnTheRealSurface) {
    const Depth& depth = GetParam();
    setUpDisplay();
    ASSERT_NE(display.directDraw, nullptr);

    DDBLTFX fill{};
    fill.dwSize = sizeof fill;
    fill.dwFillColor = display.drawing.clearColour();
    ASSERT_EQ(display.offscreen->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), DD_OK);
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof locked;
    ASSERT_EQ(display.offscreen->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    display.drawing.drawFrameOnCleared(state_->simulation, static_cast<std::uint8_t*>(locked.lpSurface), locked.lPitch,
                                       GetTickCount());
    ASSERT_EQ(display.offscreen->Unlock(nullptr), DD_OK);

    // What the frame should show, from where the particles now stand.
    std::vector<std::int64_t> expected(640 * 480, -1);
    for (std::int32_t i = field.particleCount - 1; i >= 0; --i) {
        const Particle& p = field.particles[static_cast<std::size_t>(i)];
        expected[p.y * 640 + p.x] = packColour(display.drawing.format(), p.red, p.green, p.blue);
    }

    DDSURFACEDESC readBack{};
    readBack.dwSize = sizeof readBack;
    ASSERT_EQ(display.offscreen->Lock(nullptr, &readBack, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
    EXPECT_EQ(readBack.dwWidth, 640u);
    EXPECT_EQ(readBack.dwHeight, 480u);
    EXPECT_EQ(readBack.ddpfPixelFormat.dwRGBBitCount, depth.bitsPerPixel);
    EXPECT_GE(readBack.lPitch, static_cast<LONG>(640 * depth.bytesPerPixel));
    const auto* surface = static_cast<const std::uint8_t*>(readBack.lpSurface);
    int particleCells = 0, wrongParticleCells = 0, wrongEmptyCells = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const std::uint32_t actual = pixelAt(surface, readBack.lPitch, depth.bytesPerPixel, x, y);
            const std::int64_t want = expected[y * 640 + x];
            if (want >= 0) ++particleCells;
            const std::uint32_t wanted = want >= 0 ? static_cast<std::uint32_t>(want) : 0;
            if (actual == wanted) continue;
            int& wrong = want >= 0 ? wrongParticleCells : wrongEmptyCells;
            if (++wrong <= 5)
                ADD_FAILURE() << "(" << x << ", " << y << ") holds 0x" << std::hex << actual << ", not 0x" << wanted
                              << (want >= 0 ? " (a particle's colour)" : " (clear)");
        }
    display.offscreen->Unlock(nullptr);
    EXPECT_EQ(wrongParticleCells, 0);
    EXPECT_EQ(wrongEmptyCells, 0);
    // The frame moved particles off their stacks: far more cells are lit than the 192 stacks of the seeding.
    EXPECT_GT(particleCells, 192);
}

INSTANTIATE_TEST_SUITE_P(EachDepth, DisplayModes, ::testing::ValuesIn(Depths), depthName);

} // namespace
} // namespace orbisk
