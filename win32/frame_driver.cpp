#include "win32/frame_driver.h"

#include <mmsystem.h>

#include "display/frame_geometry.h"
#include "resources/resource_ids.h"
#include "sim/tables.h"
#include "win32/saver_state.h"
#include "win32/saver_window.h"

namespace orbisk {
namespace {

// The two texts shown instead of the picture, in code page 932: "必要表示色（256以上） " when the screen's colour
// depth cannot be drawn on, "DirectDraw初期化エラー" for any other failure of the set-up.
constexpr char DepthUnsupportedText[] = "\x95\x4b\x97\x76\x95\x5c\x8e\xa6\x90\x46\x81\x69"
                                        "256\x88\xc8\x8f\xe3\x81\x6a ";
constexpr char SetUpFailedText[] = "DirectDraw\x8f\x89\x8a\xfa\x89\xbb\x83\x47\x83\x89\x81\x5b";
static_assert(sizeof DepthUnsupportedText - 1 == 22 && sizeof SetUpFailedText - 1 == 22);

RECT toRect(const PictureRect& r) { return {r.left, r.top, r.right, r.bottom}; }

UINT finestTimerPeriod() {
    TIMECAPS caps{};
    timeGetDevCaps(&caps, sizeof caps);
    return caps.wPeriodMin;
}

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

void startFrames(SaverState& state, HWND window) {
    setUpDisplay(state.display, state.simulation, window);
    if (!state.display.directDraw) return;
    FrameDriverState& frames = state.frames;
    const UINT period = finestTimerPeriod();
    timeBeginPeriod(period);
    frames.pacer.start(reportedRefreshRate(), timeGetTime());
    frames.frameTimer = frames.startTimer(period, period, frameTimerProc, reinterpret_cast<DWORD_PTR>(&state),
                                          TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
    if (frames.frameTimer == 0) { // no frame would ever come: show the set-up's failure instead
        timeEndPeriod(period);
        releaseDisplay(state.display);
    }
}

void onCreate(SaverState& state, HWND window) {
    // The frame timer posts to the window, and its first tick may come before CreateWindowEx has returned it.
    state.shell.saverWindow = window;
    FrameDriverState& frames = state.frames;
    RECT client{};
    GetClientRect(window, &client);
    frames.clientWidth = static_cast<DWORD>(client.right - client.left);
    frames.clientHeight = static_cast<DWORD>(client.bottom - client.top);
    frames.screenRect = toRect(centredPicture(frames.clientWidth, frames.clientHeight));
    frames.sourceRect = {0, 0, static_cast<LONG>(FieldWidth), static_cast<LONG>(FieldHeight)};
    if (state.shell.preview)
        loadPreviewPicture(frames, window); // the preview shows the stored picture: no display, no simulation
    else
        startFrames(state, window);
}

void onDestroy(SaverState& state) {
    FrameDriverState& frames = state.frames;
    if (state.shell.preview) {
        DeleteObject(frames.previewBitmap);
        return;
    }
    if (frames.frameTimer) { // stopped before the display goes, so no frame is drawn into a released surface
        timeKillEvent(frames.frameTimer);
        frames.frameTimer = 0;
        timeEndPeriod(finestTimerPeriod());
    }
    releaseDisplay(state.display);
}

// After another program has changed the display mode, or the desktop has switched away and back, the surfaces'
// memory is gone and every call on them answers DDERR_SURFACELOST until they are restored. Restoring keeps the
// surfaces with their clipper; the palette is attached anew so that the screen shows it again. A restore that
// fails (the display is not back in its mode yet) is tried again after the next frame.
void restoreSurfaces(DisplayState& display) {
    if (display.primary->Restore() != DD_OK || display.offscreen->Restore() != DD_OK) return;
    if (display.palette) display.primary->SetPalette(display.palette);
}

void presentFrame(SaverState& state) {
    DisplayState& display = state.display;
    FrameDriverState& frames = state.frames;
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
        display.drawing.drawFrameOnCleared(state.simulation, static_cast<std::uint8_t*>(locked.lpSurface),
                                           locked.lPitch, GetTickCount());
        display.offscreen->Unlock(nullptr);
    }
    // A failed lock presents the cleared picture; the next frame tries again.
    display.directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    const HRESULT shown =
        display.primary->Blt(&frames.screenRect, display.offscreen, &frames.sourceRect, DDBLT_WAIT, nullptr);
    if (filled == DDERR_SURFACELOST || lock == DDERR_SURFACELOST || shown == DDERR_SURFACELOST)
        restoreSurfaces(display);
    frames.pacer.presented(timeGetTime());
    frames.framePending.store(0, std::memory_order_release);
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
    StretchBlt(target, 0, 0, static_cast<int>(frames.clientWidth), static_cast<int>(frames.clientHeight), source, 0,
               0, frames.previewWidth, frames.previewHeight, SRCCOPY);
    SelectObject(source, replaced);
    DeleteDC(source);
}

void onPaint(const SaverState& state, HWND window) {
    if (state.display.directDraw) return; // the frames draw the window
    PAINTSTRUCT paint;
    const HDC target = BeginPaint(window, &paint);
    if (state.shell.preview) {
        paintPreview(state.frames, target);
    } else {
        const TextOrigin at = errorTextOrigin(state.frames.clientWidth, state.frames.clientHeight);
        TextOutA(target, at.x, at.y, state.display.colourDepthUnsupported ? DepthUnsupportedText : SetUpFailedText,
                 22);
    }
    EndPaint(window, &paint);
}

} // namespace

void CALLBACK frameTimerProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    SaverState& state = *reinterpret_cast<SaverState*>(user);
    if (!state.frames.pacer.frameDue(timeGetTime())) return;
    LONG idle = 0;
    if (state.frames.framePending.compare_exchange_strong(idle, 1, std::memory_order_acq_rel))
        PostMessageA(state.shell.saverWindow, FrameMessage, 0, 0);
}

LRESULT saverWindowProc(SaverState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: onCreate(state, window); break;
    case WM_DESTROY: onDestroy(state); break;
    case WM_PAINT: onPaint(state, window); break;
    case FrameMessage: presentFrame(state); break;
    default: break;
    }
    return shellDefaultProc(state.shell, window, message, wParam, lParam);
}

} // namespace orbisk
