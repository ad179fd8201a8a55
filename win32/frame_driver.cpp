#include "win32/frame_driver.h"

#include "display/frame_geometry.h"
#include "resources/resource_ids.h"
#include "sim/simulation.h"
#include "sim/tables.h"

namespace orbisk {
namespace {

// The two texts shown instead of the picture, in code page 932: "必要表示色（256以上） " when the screen's colour
// depth cannot be drawn on, "DirectDraw初期化エラー" for any other failure of the set-up.
constexpr int FailureTextLength = 22;
constexpr char DepthUnsupportedText[] = "\x95\x4b\x97\x76\x95\x5c\x8e\xa6\x90\x46\x81\x69"
                                        "256\x88\xc8\x8f\xe3\x81\x6a ";
constexpr char SetUpFailedText[] = "DirectDraw\x8f\x89\x8a\xfa\x89\xbb\x83\x47\x83\x89\x81\x5b";
static_assert(sizeof DepthUnsupportedText - 1 == FailureTextLength && sizeof SetUpFailedText - 1 == FailureTextLength);

RECT toRect(const PictureRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The refresh rate as the system reports it, for the pacer; 0 or 1 means it does not know.
DWORD reportedRefreshRate() {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) ? mode.dmDisplayFrequency : 0;
}

void loadPreviewPicture(FrameDriverState& frames, HWND window) {
    const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    frames.previewBitmap = LoadBitmapA(module, MAKEINTRESOURCEA(IDB_PREVIEW));
    BITMAP picture{};
    if (frames.previewBitmap && GetObjectA(frames.previewBitmap, sizeof picture, &picture)) {
        frames.previewWidth = picture.bmWidth;
        frames.previewHeight = picture.bmHeight;
    }
    InvalidateRect(window, nullptr, FALSE);
}

void endTimerPeriod(FrameDriverState& frames) {
    if (frames.timerPeriod == 0) return;
    frames.timer.endPeriod(frames.timerPeriod);
    frames.timerPeriod = 0;
}

// A periodic timer at the finest period the system offers; false when there is none.
bool startFrameTimer(FrameDriverState& frames) {
    TIMECAPS caps{};
    if (frames.timer.getDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) return false;
    // A resolution the system refuses leaves the ticks coarser, and the pacer holds the rate all the same.
    if (frames.timer.beginPeriod(caps.wPeriodMin) == TIMERR_NOERROR) frames.timerPeriod = caps.wPeriodMin;
    frames.pacer.start(reportedRefreshRate(), timeGetTime());
    frames.frameTimer =
        frames.timer.setEvent(caps.wPeriodMin, caps.wPeriodMin, frameTimerProc, reinterpret_cast<DWORD_PTR>(&frames),
                              TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
    if (frames.frameTimer != 0) return true;
    endTimerPeriod(frames);
    return false;
}

// After another program has changed the display mode, or the desktop has switched away and back, the surfaces'
// memory is gone and every call on them answers DDERR_SURFACELOST until they are restored. Restoring keeps the
// surfaces with their clipper; the palette is attached anew so that the screen shows it again. A restore that
// fails (the display is not back in its mode yet) is tried again after the next frame.
void restoreSurfaces(DisplayState& display) {
    if (display.primary->Restore() != DD_OK || display.offscreen->Restore() != DD_OK) return;
    if (display.palette) display.primary->SetPalette(display.palette);
}

void paintPreview(const FrameDriverState& frames, HDC target) {
    if (!frames.previewBitmap) { // no picture to show: a black window rather than nothing
        RECT client = {0, 0, static_cast<LONG>(frames.clientWidth), static_cast<LONG>(frames.clientHeight)};
        FillRect(target, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return;
    }
    const HDC source = CreateCompatibleDC(target);
    const HGDIOBJ replaced = SelectObject(source, frames.previewBitmap);
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, 0, 0, static_cast<int>(frames.clientWidth), static_cast<int>(frames.clientHeight), source, 0, 0,
               frames.previewWidth, frames.previewHeight, SRCCOPY);
    SelectObject(source, replaced);
    DeleteDC(source);
}

} // namespace

void startFrames(FrameDriverState& frames, DisplayState& display, Simulation& simulation, HWND window, bool preview) {
    frames.window = window;
    RECT client{};
    GetClientRect(window, &client);
    frames.clientWidth = static_cast<DWORD>(client.right - client.left);
    frames.clientHeight = static_cast<DWORD>(client.bottom - client.top);
    frames.screenRect = toRect(centredPicture(frames.clientWidth, frames.clientHeight));
    frames.sourceRect = {0, 0, FieldWidth, FieldHeight};
    if (preview) return loadPreviewPicture(frames, window); // the stored picture: no display, no simulation
    setUpDisplay(display, simulation, window);
    if (display.directDraw && !startFrameTimer(frames)) { // no frame would ever come: show a failure instead
        releaseDisplay(display);
        display.failure = SetUpFailure::FrameTimer;
    }
}

void stopFrames(FrameDriverState& frames, DisplayState& display, bool preview) {
    if (preview) {
        DeleteObject(frames.previewBitmap);
        return;
    }
    if (frames.frameTimer) {
        frames.timer.killEvent(frames.frameTimer);
        frames.frameTimer = 0;
    }
    endTimerPeriod(frames);
    releaseDisplay(display);
}

void presentFrame(FrameDriverState& frames, DisplayState& display, Simulation& simulation) {
    if (!display.directDraw) return;
    DDBLTFX fill{};
    fill.dwSize = sizeof fill;
    fill.dwFillColor = display.drawing.clearColour();
    const HRESULT filled =
        display.offscreen->Blt(&frames.sourceRect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof locked;
    const HRESULT lock = display.offscreen->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
    if (lock == DD_OK) {
        display.drawing.drawFrameOnCleared(simulation, static_cast<std::uint8_t*>(locked.lpSurface), locked.lPitch,
                                           GetTickCount());
        display.offscreen->Unlock(nullptr);
    }
    // A failed lock presents the cleared picture; the next frame tries again. The wait's result does not matter:
    // where it returns at once, the pacer holds the rate.
    display.directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    const HRESULT shown =
        display.primary->Blt(&frames.screenRect, display.offscreen, &frames.sourceRect, DDBLT_WAIT, nullptr);
    if (filled == DDERR_SURFACELOST || lock == DDERR_SURFACELOST || shown == DDERR_SURFACELOST)
        restoreSurfaces(display);
    frames.pacer.presented(timeGetTime());
    frames.framePending.store(0, std::memory_order_release);
}

void paintWithoutFrames(const FrameDriverState& frames, const DisplayState& display, HWND window, bool preview) {
    if (display.directDraw) return; // the frames draw the window
    PAINTSTRUCT paint;
    const HDC target = BeginPaint(window, &paint);
    if (preview) {
        paintPreview(frames, target);
    } else {
        const TextOrigin at = errorTextOrigin(frames.clientWidth, frames.clientHeight);
        const bool depth = display.failure == SetUpFailure::ColourDepth;
        TextOutA(target, at.x, at.y, depth ? DepthUnsupportedText : SetUpFailedText, FailureTextLength);
    }
    EndPaint(window, &paint);
}

void CALLBACK frameTimerProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    FrameDriverState& frames = *reinterpret_cast<FrameDriverState*>(user);
    if (!frames.pacer.frameDue(timeGetTime())) return;
    LONG idle = 0;
    if (frames.framePending.compare_exchange_strong(idle, 1, std::memory_order_acq_rel))
        PostMessageA(frames.window, FrameMessage, 0, 0);
}

} // namespace orbisk
