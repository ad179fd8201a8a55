// The display set-up and the frame driver against a scripted DirectDraw and multimedia timer: every object records
// the calls made on it and answers what the case scripts, so each step can be made to fail in turn and the state it
// leaves behind inspected.
#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "headless/headless.h"
#include "win32/saver_state.h"

namespace orbisk {
namespace {

// Every method of IDirectDraw answers E_NOTIMPL unless a fake overrides it.
struct InertDirectDraw : IDirectDraw {
    HRESULT STDMETHODCALLTYPE Compact() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD, LPDIRECTDRAWCLIPPER*, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreatePalette(DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE*, IUnknown*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC, LPDIRECTDRAWSURFACE*, IUnknown*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DuplicateSurface(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDisplayModes(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumSurfaces(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FlipToGDISurface() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDCAPS, LPDDCAPS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplayMode(LPDDSURFACEDESC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFourCCCodes(LPDWORD, LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGDISurface(LPDIRECTDRAWSURFACE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMonitorFrequency(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetScanLine(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVerticalBlankStatus(WINBOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RestoreDisplayMode() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD, HANDLE) override { return E_NOTIMPL; }
};

// Every method of IDirectDrawSurface answers E_NOTIMPL unless a fake overrides it.
struct InertDirectDrawSurface : IDirectDrawSurface {
    HRESULT STDMETHODCALLTYPE AddAttachedSurface(LPDIRECTDRAWSURFACE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddOverlayDirtyRect(LPRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Blt(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDBLTFX) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BltBatch(LPDDBLTBATCH, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAttachedSurfaces(LPVOID, LPDDENUMSURFACESCALLBACK) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS, LPDIRECTDRAWSURFACE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBltStatus(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDSCAPS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipper(LPDIRECTDRAWCLIPPER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetColorKey(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDC(HDC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFlipStatus(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOverlayPosition(LPLONG, LPLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPalette(LPDIRECTDRAWPALETTE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(LPDDPIXELFORMAT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, LPDDSURFACEDESC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsLost() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Lock(LPRECT, LPDDSURFACEDESC, DWORD, HANDLE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Restore() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetColorKey(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOverlayPosition(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPalette(LPDIRECTDRAWPALETTE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UpdateOverlayDisplay(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE) override { return E_NOTIMPL; }
};

// Every method of IDirectDrawClipper answers E_NOTIMPL unless a fake overrides it.
struct InertDirectDrawClipper : IDirectDrawClipper {
    HRESULT STDMETHODCALLTYPE GetClipList(LPRECT, LPRGNDATA, LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHWnd(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsClipListChanged(WINBOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetClipList(LPRGNDATA, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetHWnd(DWORD, HWND) override { return E_NOTIMPL; }
};

// Every method of IDirectDrawPalette answers E_NOTIMPL unless a fake overrides it.
struct InertDirectDrawPalette : IDirectDrawPalette {
    HRESULT STDMETHODCALLTYPE GetCaps(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEntries(DWORD, DWORD, DWORD, LPPALETTEENTRY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, DWORD, LPPALETTEENTRY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetEntries(DWORD, DWORD, DWORD, LPPALETTEENTRY) override { return E_NOTIMPL; }
};

// What one case expects of DirectDraw: the result of each step (DD_OK unless scripted), the screen's format, and
// the record of what was asked.
struct Script {
    std::map<std::string, HRESULT> results;
    DWORD bitCount = 32;
    DWORD masks[3] = {0xFF0000, 0xFF00, 0xFF};

    std::vector<std::string> calls;      // DirectDraw's, with the arguments of a frame's
    std::vector<std::string> events;     // the timer's calls and the objects' releases, in order
    std::map<std::string, int> releases; // per object
    int factoryCalls = 0;
    DWORD cooperativeFlags = 0;
    HWND cooperativeWindow = nullptr, clipperWindow = nullptr;
    DDSURFACEDESC offscreenDescription{};
    DWORD paletteFlags = 0;
    PALETTEENTRY paletteEntries[256]{};
    IDirectDrawPalette* attachedPalette = nullptr;
    IDirectDrawClipper* attachedClipper = nullptr;
    std::set<std::string> lost; // surfaces whose memory is gone until they are restored

    HRESULT step(const std::string& name) {
        calls.push_back(name);
        const auto scripted = results.find(name);
        return scripted == results.end() ? DD_OK : scripted->second;
    }
};

Script* script = nullptr;

std::string hex(DWORD value) {
    char text[12];
    std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(value));
    return text;
}

std::string rect(const RECT* r) {
    if (!r) return "everything";
    return std::to_string(r->left) + "," + std::to_string(r->top) + "," + std::to_string(r->right) + "," +
           std::to_string(r->bottom);
}

// The multimedia timer: its calls go to the events, with their arguments; a timer is 7 unless scripted to fail.
MMRESULT WINAPI fakeGetDevCaps(LPTIMECAPS caps, UINT size) {
    script->events.push_back("timeGetDevCaps size " + std::to_string(size));
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return static_cast<MMRESULT>(script->step("timeGetDevCaps"));
}
MMRESULT WINAPI fakeBeginPeriod(UINT period) {
    script->events.push_back("timeBeginPeriod " + std::to_string(period));
    return TIMERR_NOERROR;
}
MMRESULT WINAPI fakeEndPeriod(UINT period) {
    script->events.push_back("timeEndPeriod " + std::to_string(period));
    return TIMERR_NOERROR;
}
MMRESULT WINAPI fakeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
    script->events.push_back("timeSetEvent " + std::to_string(delay) + " " + std::to_string(resolution) + " flags " +
                             hex(flags) + (callback == frameTimerProc ? " frameTimerProc" : " another callback") +
                             (user ? "" : " no user value"));
    return script->step("timeSetEvent") == DD_OK ? 7 : 0;
}
MMRESULT WINAPI fakeKillEvent(UINT timer) {
    script->events.push_back("timeKillEvent " + std::to_string(timer));
    return TIMERR_NOERROR;
}

// The reference counting every fake shares: releases are counted per object, nothing is freed.
template <typename Interface>
struct Counted : Interface {
    explicit Counted(std::string name) : name_(std::move(name)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override {
        ++script->releases[name_];
        script->events.push_back("Release " + name_);
        return 0;
    }
    std::string name_;
};

struct FakePalette : Counted<InertDirectDrawPalette> {
    FakePalette() : Counted("palette") {}
};

struct FakeClipper : Counted<InertDirectDrawClipper> {
    FakeClipper() : Counted("clipper") {}
    HRESULT STDMETHODCALLTYPE SetHWnd(DWORD, HWND window) override {
        script->clipperWindow = window;
        return script->step("SetHWnd");
    }
};

struct FakeSurface : Counted<InertDirectDrawSurface> {
    using Counted::Counted;
    HRESULT STDMETHODCALLTYPE GetPixelFormat(LPDDPIXELFORMAT format) override {
        const HRESULT result = script->step("GetPixelFormat");
        if (format->dwSize != sizeof *format) return DDERR_INVALIDPARAMS;
        format->dwFlags = script->bitCount == 8 ? DDPF_RGB | DDPF_PALETTEINDEXED8 : DDPF_RGB;
        format->dwRGBBitCount = script->bitCount;
        format->dwRBitMask = script->masks[0];
        format->dwGBitMask = script->masks[1];
        format->dwBBitMask = script->masks[2];
        return result;
    }
    HRESULT STDMETHODCALLTYPE SetPalette(LPDIRECTDRAWPALETTE palette) override {
        script->attachedPalette = palette;
        return script->step("SetPalette");
    }
    HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER clipper) override {
        script->attachedClipper = clipper;
        return script->step("SetClipper");
    }
    HRESULT STDMETHODCALLTYPE Blt(LPRECT to, LPDIRECTDRAWSURFACE source, LPRECT from, DWORD flags,
                                  LPDDBLTFX effects) override {
        std::string call = name_ + " Blt to " + rect(to) + " flags " + hex(flags);
        if (source) call += " from " + std::string(source == this ? "itself" : "another surface") + " " + rect(from);
        if (effects) call += " fill colour " + hex(effects->dwFillColor) + " record size " + hex(effects->dwSize);
        script->calls.push_back(call);
        return script->lost.count(name_) ? DDERR_SURFACELOST : DD_OK;
    }
    HRESULT STDMETHODCALLTYPE Lock(LPRECT area, LPDDSURFACEDESC locked, DWORD flags, HANDLE event) override {
        script->calls.push_back(name_ + " Lock " + rect(area) + " flags " + hex(flags) +
                                (event ? " with an event" : "") + " record size " + hex(locked->dwSize));
        if (script->lost.count(name_)) return DDERR_SURFACELOST;
        pixels.assign(std::size_t{640} * 480 * 4, 0);
        locked->lpSurface = pixels.data();
        locked->lPitch = 640 * 4;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID) override {
        script->calls.push_back(name_ + " Unlock");
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE Restore() override {
        script->lost.erase(name_);
        return script->step("Restore " + name_);
    }
    std::vector<std::uint8_t> pixels;
};

struct FakeDirectDraw : Counted<InertDirectDraw> {
    FakeDirectDraw() : Counted("directDraw") {}
    FakeSurface primary{"primary"}, offscreen{"offscreen"};
    FakeClipper clipper;
    FakePalette palette;

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        script->cooperativeWindow = window;
        script->cooperativeFlags = flags;
        return script->step("SetCooperativeLevel");
    }
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE* surface,
                                            IUnknown*) override {
        const bool isPrimary =
            (description->dwFlags & DDSD_CAPS) && (description->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
        if (!isPrimary) script->offscreenDescription = *description;
        const HRESULT result = script->step(isPrimary ? "CreateSurface primary" : "CreateSurface offscreen");
        *surface = result == DD_OK ? (isPrimary ? &primary : &offscreen) : nullptr;
        return result;
    }
    HRESULT STDMETHODCALLTYPE CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* made,
                                            IUnknown*) override {
        script->paletteFlags = flags;
        std::copy(entries, entries + 256, script->paletteEntries);
        const HRESULT result = script->step("CreatePalette");
        *made = result == DD_OK ? &palette : nullptr;
        return result;
    }
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD, LPDIRECTDRAWCLIPPER* made, IUnknown*) override {
        const HRESULT result = script->step("CreateClipper");
        *made = result == DD_OK ? &clipper : nullptr;
        return result;
    }
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD, DWORD, DWORD) override { return script->step("SetDisplayMode"); }
    HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD flags, HANDLE) override {
        script->calls.push_back("WaitForVerticalBlank flags " + hex(flags));
        return DD_OK;
    }
};

FakeDirectDraw* fakeDirectDraw = nullptr;

// Hands out the fake even when told to fail, as a careless driver might: a failed creation must not be trusted.
HRESULT WINAPI makeFake(GUID*, IDirectDraw** object, IUnknown*) {
    ++script->factoryCalls;
    *object = fakeDirectDraw;
    const auto scripted = script->results.find("DirectDrawCreate");
    return scripted == script->results.end() ? DD_OK : scripted->second;
}

const HWND SaverWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));

class DisplaySetUp : public ::testing::Test {
protected:
    void SetUp() override {
        script = &script_;
        fakeDirectDraw = &directDraw_;
        fresh();
    }
    void TearDown() override {
        script = nullptr;
        fakeDirectDraw = nullptr;
    }
    // A new run, and a new script for it.
    void fresh() {
        script_ = Script{};
        state_ = std::make_unique<SaverState>();
        state_->display.createDirectDraw = makeFake;
        state_->frames.timer = {fakeGetDevCaps, fakeBeginPeriod, fakeEndPeriod, fakeSetEvent, fakeKillEvent};
    }
    void setUpDisplay() { orbisk::setUpDisplay(display(), simulation(), SaverWindow); }
    void useFormat(DWORD bitCount, DWORD red, DWORD green, DWORD blue) {
        script_.bitCount = bitCount;
        script_.masks[0] = red, script_.masks[1] = green, script_.masks[2] = blue;
    }
    int releasesOf(const std::string& object) { return script_.releases[object]; }
    DisplayState& display() { return state_->display; }
    Simulation& simulation() { return state_->simulation; }
    std::int32_t particles() { return simulation().field.particleCount; }
    std::uint64_t fieldHash() { return stateHash(simulation().field); }
    void startFrames(HWND window = SaverWindow) {
        orbisk::startFrames(state_->frames, display(), simulation(), window, false);
    }
    void presentFrame() { orbisk::presentFrame(state_->frames, display(), simulation()); }

    Script script_;
    FakeDirectDraw directDraw_;
    std::unique_ptr<SaverState> state_;
};

// Each step of the set-up failing in turn: the set-up stops there, and nothing of the display is left.
TEST_F(DisplaySetUp, EveryFailedStepReleasesTheObjectOnceAndLeavesNoDisplay) {
    using enum SetUpFailure;
    const struct {
        const char* step;
        DWORD bits;
        SetUpFailure failure;
    } steps[] = {{"DirectDrawCreate", 32, CreateDirectDraw},
                 {"SetCooperativeLevel", 32, CooperativeLevel},
                 {"CreateSurface primary", 32, PrimarySurface},
                 {"GetPixelFormat", 32, PixelFormat},
                 {"CreatePalette", 8, Palette},
                 {"SetPalette", 8, Palette},
                 {"CreateSurface offscreen", 16, OffscreenSurface},
                 {"CreateClipper", 24, Clipper},
                 {"SetHWnd", 32, Clipper},
                 {"SetClipper", 8, Clipper}};
    for (const auto& [step, bits, failure] : steps) {
        SCOPED_TRACE(std::string(step) + " fails at " + std::to_string(bits) + " bits");
        fresh();
        useFormat(bits,
                  bits == 16  ? 0xF800
                  : bits == 8 ? 0
                              : 0xFF0000,
                  bits == 16  ? 0x07E0
                  : bits == 8 ? 0
                              : 0xFF00,
                  bits == 16  ? 0x001F
                  : bits == 8 ? 0
                              : 0xFF);
        script_.results[step] = DDERR_GENERIC;

        setUpDisplay();

        EXPECT_EQ(display().directDraw, nullptr);
        const bool created = std::string(step) != "DirectDrawCreate";
        EXPECT_EQ(releasesOf("directDraw"), created ? 1 : 0);
        // What the object made goes with it: releasing them as well would release them twice.
        for (const char* made : {"primary", "offscreen", "clipper", "palette"}) EXPECT_EQ(releasesOf(made), 0) << made;
        EXPECT_EQ(display().failure, failure);
        EXPECT_EQ(particles(), 0) << "the field was seeded";
        if (created) {
            EXPECT_EQ(script_.calls.back(), step) << "the set-up went on after the failure";
        }
    }
}

TEST_F(DisplaySetUp, ADepthItCannotDrawOnIsToldApartFromOtherFailures) {
    for (const DWORD bits : {1u, 4u, 15u, 0u}) {
        SCOPED_TRACE(bits);
        fresh();
        useFormat(bits, 0, 0, 0);

        setUpDisplay();

        EXPECT_EQ(display().directDraw, nullptr);
        EXPECT_EQ(releasesOf("directDraw"), 1);
        EXPECT_EQ(display().failure, SetUpFailure::ColourDepth);
        EXPECT_EQ(particles(), 0);
        EXPECT_EQ(script_.calls.back(), "GetPixelFormat");
    }
}

TEST_F(DisplaySetUp, SucceedsWithoutChangingTheDisplayModeAndBindsEverythingToTheSaverWindow) {
    setUpDisplay();

    ASSERT_EQ(display().directDraw, static_cast<IDirectDraw*>(&directDraw_));
    EXPECT_EQ(display().primary, static_cast<IDirectDrawSurface*>(&directDraw_.primary));
    EXPECT_EQ(display().offscreen, static_cast<IDirectDrawSurface*>(&directDraw_.offscreen));
    EXPECT_EQ(display().clipper, static_cast<IDirectDrawClipper*>(&directDraw_.clipper));
    EXPECT_EQ(display().palette, nullptr) << "a palette only at 8 bits";
    EXPECT_EQ(script_.calls,
              (std::vector<std::string>{"SetCooperativeLevel", "CreateSurface primary", "GetPixelFormat",
                                        "CreateSurface offscreen", "CreateClipper", "SetHWnd", "SetClipper"}));
    EXPECT_EQ(script_.cooperativeWindow, SaverWindow);
    EXPECT_EQ(script_.cooperativeFlags, static_cast<DWORD>(DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN));
    EXPECT_EQ(script_.clipperWindow, SaverWindow);
    EXPECT_EQ(script_.attachedClipper, static_cast<IDirectDrawClipper*>(&directDraw_.clipper));
    const DDSURFACEDESC& off = script_.offscreenDescription;
    EXPECT_EQ(off.dwWidth, 640u);
    EXPECT_EQ(off.dwHeight, 480u);
    EXPECT_TRUE(off.ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN);
    EXPECT_FALSE(off.dwFlags & DDSD_PIXELFORMAT) << "the off-screen surface takes the screen's own format";
    EXPECT_EQ(releasesOf("directDraw"), 0);
    EXPECT_EQ(particles(), 38400) << "the field is seeded";

    // Once the display is ready a second set-up asks nothing and leaves the field as it is.
    const auto callsBefore = script_.calls;
    const std::uint64_t fieldBefore = fieldHash();
    setUpDisplay();
    EXPECT_EQ(script_.factoryCalls, 1);
    EXPECT_EQ(script_.calls, callsBefore);
    EXPECT_EQ(display().directDraw, static_cast<IDirectDraw*>(&directDraw_));
    EXPECT_EQ(fieldHash(), fieldBefore);
}

struct FormatCase {
    DWORD bits, red, green, blue;
    std::uint32_t bytesPerPixel, wantRed, wantGreen, wantBlue;
    std::int32_t redShift, greenShift, blueShift;
};

TEST_F(DisplaySetUp, TakesTheScreensPixelFormatAtEachDepth) {
    const FormatCase cases[] = {
        {32, 0xFF0000, 0xFF00, 0xFF, 4, 0xFF0000, 0xFF00, 0xFF, 16, 8, 0},
        {24, 0xFF0000, 0xFF00, 0xFF, 3, 0xFF0000, 0xFF00, 0xFF, 16, 8, 0},
        {16, 0xF800, 0x07E0, 0x001F, 2, 0xF800, 0x07E0, 0x001F, 8, 3, -3},
        // At 8 bits the screen reports no masks: the 3-3-2 palette's are used.
        {8, 0, 0, 0, 1, 0xE0, 0x1C, 0x03, 0, -3, -6},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.bits);
        fresh();
        useFormat(c.bits, c.red, c.green, c.blue);

        setUpDisplay();

        ASSERT_NE(display().directDraw, nullptr);
        const PixelFormat& format = display().drawing.format();
        EXPECT_EQ(format.bytesPerPixel, c.bytesPerPixel);
        EXPECT_EQ(format.redMask, c.wantRed);
        EXPECT_EQ(format.greenMask, c.wantGreen);
        EXPECT_EQ(format.blueMask, c.wantBlue);
        EXPECT_EQ(format.redShift, c.redShift);
        EXPECT_EQ(format.greenShift, c.greenShift);
        EXPECT_EQ(format.blueShift, c.blueShift);
        EXPECT_EQ(display().palette != nullptr, c.bits == 8);
    }
}

TEST_F(DisplaySetUp, InstallsTheThreeThreeTwoPaletteAtEightBits) {
    useFormat(8, 0, 0, 0);

    setUpDisplay();

    ASSERT_NE(display().directDraw, nullptr);
    EXPECT_TRUE(script_.paletteFlags & DDPCAPS_8BIT);
    EXPECT_EQ(script_.attachedPalette, static_cast<IDirectDrawPalette*>(&directDraw_.palette));
    auto rgb = [](const PALETTEENTRY& e) { return std::vector<int>{e.peRed, e.peGreen, e.peBlue}; };
    const PALETTEENTRY* tables[] = {display().paletteTable,
                                    script_.paletteEntries}; // ours, and what DirectDraw was given
    for (const PALETTEENTRY* table : tables) {
        EXPECT_EQ(rgb(table[0x00]), (std::vector<int>{0, 0, 0}));
        EXPECT_EQ(rgb(table[0x92]), (std::vector<int>{145, 145, 170}));
        EXPECT_EQ(rgb(table[0x1F]), (std::vector<int>{0, 255, 255}));
        EXPECT_EQ(rgb(table[0xE0]), (std::vector<int>{255, 0, 0}));
        EXPECT_EQ(rgb(table[0xFF]), (std::vector<int>{255, 255, 255}));
    }
}

// The surfaces lost (another program changed the display mode, or the desktop switched away and back): the frame
// that finds them so restores them and attaches the palette again, and the next frame draws as before.
TEST_F(DisplaySetUp, AFrameThatFindsTheSurfacesLostRestoresThemForTheNext) {
    useFormat(8, 0, 0, 0);
    setUpDisplay();
    ASSERT_NE(display().directDraw, nullptr);
    script_.lost = {"primary", "offscreen"};
    script_.calls.clear();
    script_.attachedPalette = nullptr;
    const std::uint64_t seeded = fieldHash();

    presentFrame();
    EXPECT_EQ(fieldHash(), seeded) << "a frame was drawn into a lost surface";
    EXPECT_TRUE(script_.lost.empty()) << "the surfaces were not restored";
    EXPECT_EQ(script_.attachedPalette, static_cast<IDirectDrawPalette*>(&directDraw_.palette));

    presentFrame();
    EXPECT_NE(fieldHash(), seeded) << "the frame after the restore drew nothing";
    EXPECT_EQ(display().directDraw, static_cast<IDirectDraw*>(&directDraw_));
}

// Without a frame timer no frame would ever be drawn: the display goes, so that the window shows the set-up's
// failure text instead of a screen that never changes.
TEST_F(DisplaySetUp, ATimerThatCannotStartLeavesNoDisplay) {
    for (const char* step : {"timeGetDevCaps", "timeSetEvent"}) {
        SCOPED_TRACE(step);
        fresh();
        script_.results[step] = TIMERR_NOCANDO;
        startFrames();

        EXPECT_EQ(display().directDraw, nullptr);
        EXPECT_EQ(display().failure, SetUpFailure::FrameTimer);
        EXPECT_EQ(state_->frames.frameTimer, 0u);
        EXPECT_EQ(script_.events.back(), "Release directDraw");
        EXPECT_EQ(std::count(script_.events.begin(), script_.events.end(), "timeBeginPeriod 1"),
                  std::count(script_.events.begin(), script_.events.end(), "timeEndPeriod 1"));
    }
}

// A run's timer and one frame, with every argument: the timer at the finest period, the picture cleared to black,
// locked and drawn, and copied onto the centre of a 1024 x 768 screen after the wait for the vertical blank; at the
// end the timer stops before the display goes.
TEST_F(DisplaySetUp, ARunsTimerAndFrameAndItsEnd) {
    useFormat(16, 0xF800, 0x07E0, 0x001F);
    const HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    startFrames(window);
    ASSERT_NE(display().directDraw, nullptr);
    EXPECT_EQ(script_.events, (std::vector<std::string>{"timeGetDevCaps size 8", "timeBeginPeriod 1",
                                                        "timeSetEvent 1 1 flags 1 frameTimerProc"}));

    script_.calls.clear();
    presentFrame();
    EXPECT_EQ(script_.calls, (std::vector<std::string>{
                                 "offscreen Blt to 0,0,640,480 flags 1000400 fill colour 0 record size 64",
                                 "offscreen Lock everything flags 1 record size 6c",
                                 "offscreen Unlock",
                                 "WaitForVerticalBlank flags 1",
                                 "primary Blt to 192,144,832,624 flags 1000000 from another surface 0,0,640,480",
                             }));
    EXPECT_EQ(state_->frames.framePending.load(), 0);

    script_.events.clear();
    stopFrames(state_->frames, display(), false);
    EXPECT_EQ(script_.events, (std::vector<std::string>{"timeKillEvent 7", "timeEndPeriod 1", "Release directDraw"}));
    DestroyWindow(window);
}

} // namespace
} // namespace orbisk
