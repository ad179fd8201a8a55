#include "display/frame_driver.h"

#include <mmsystem.h>

#include "display/display_setup.h"
#include "display/frame_drawing.h"
#include "display/frame_geometry.h"
#include "display/pixels.h"
#include "resources/resource_ids.h"
#include "shell/saver_window.h"
#include "shell/shell_state.h"
#include "sim/tables.h"

namespace orbisk {

FrameDriverState frameDriver;

namespace {

FrameTimerStarter frameTimerStarter = timeSetEvent;

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

void loadPreviewPicture(HWND window) {
    const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    frameDriver.previewBitmap = LoadBitmapA(module, MAKEINTRESOURCEA(IDB_PREVIEW));
    BITMAP picture{};
    if (frameDriver.previewBitmap && GetObjectA(frameDriver.previewBitmap, sizeof picture, &picture)) {
        frameDriver.previewWidth = picture.bmWidth;
        frameDriver.previewHeight = picture.bmHeight;
    }
    InvalidateRect(window, nullptr, FALSE);
}

void startFrames() {
    setUpDisplay();
    if (!display.directDraw) return;
    const UINT period = finestTimerPeriod();
    timeBeginPeriod(period);
    frameDriver.pacer.start(reportedRefreshRate(), timeGetTime());
    frameDriver.frameTimer = frameTimerStarter(period, period, frameTimerProc, 0, TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
    if (frameDriver.frameTimer == 0) { // no frame would ever come: show the set-up's failure instead
        timeEndPeriod(period);
        releaseDisplay();
    }
}

void onCreate(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    frameDriver.clientWidth = static_cast<DWORD>(client.right - client.left);
    frameDriver.clientHeight = static_cast<DWORD>(client.bottom - client.top);
    display.saverWindow = window;
    frameDriver.screenRect = toRect(centredPicture(frameDriver.clientWidth, frameDriver.clientHeight));
    frameDriver.sourceRect = {0, 0, static_cast<LONG>(FieldWidth), static_cast<LONG>(FieldHeight)};
    if (shellState.preview)
        loadPreviewPicture(window); // the preview shows the stored picture: no display, no simulation
    else
        startFrames();
}

void onDestroy() {
    if (shellState.preview) {
        DeleteObject(frameDriver.previewBitmap);
        return;
    }
    if (frameDriver.frameTimer) { // stopped before the display goes, so no frame is drawn into a released surface
        timeKillEvent(frameDriver.frameTimer);
        frameDriver.frameTimer = 0;
        timeEndPeriod(finestTimerPeriod());
    }
    releaseDisplay();
}

// After another program has changed the display mode, or the desktop has switched away and back, the surfaces'
// memory is gone and every call on them answers DDERR_SURFACELOST until they are restored. Restoring keeps the
// surfaces with their clipper; the palette is attached anew so that the screen shows it again. A restore that
// fails (the display is not back in its mode yet) is tried again after the next frame.
void restoreSurfaces() {
    if (display.primary->Restore() != DD_OK || display.offscreen->Restore() != DD_OK) return;
    if (display.palette) display.primary->SetPalette(display.palette);
}

void presentFrame() {
    if (!display.directDraw) return;
    DDBLTFX fill{};
    fill.dwSize = sizeof fill;
    fill.dwFillColor = frameTarget.clearColour;
    const HRESULT filled =
        display.offscreen->Blt(&frameDriver.sourceRect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof locked;
    const HRESULT lock = display.offscreen->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
    if (lock == DD_OK) {
        drawFrameOnCleared(static_cast<std::uint8_t*>(locked.lpSurface), locked.lPitch, GetTickCount());
        display.offscreen->Unlock(nullptr);
    }
    // A failed lock presents the cleared picture; the next frame tries again.
    display.directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    const HRESULT shown =
        display.primary->Blt(&frameDriver.screenRect, display.offscreen, &frameDriver.sourceRect, DDBLT_WAIT, nullptr);
    if (filled == DDERR_SURFACELOST || lock == DDERR_SURFACELOST || shown == DDERR_SURFACELOST) restoreSurfaces();
    frameDriver.pacer.presented(timeGetTime());
    frameDriver.framePending.store(0, std::memory_order_release);
}

void paintPreview(HDC target) {
    if (!frameDriver.previewBitmap) { // no picture to show: a black window rather than nothing
        RECT client = {0, 0, static_cast<LONG>(frameDriver.clientWidth), static_cast<LONG>(frameDriver.clientHeight)};
        FillRect(target, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return;
    }
    const HDC source = CreateCompatibleDC(target);
    const HGDIOBJ replaced = SelectObject(source, frameDriver.previewBitmap);
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, 0, 0, static_cast<int>(frameDriver.clientWidth), static_cast<int>(frameDriver.clientHeight),
               source, 0, 0, frameDriver.previewWidth, frameDriver.previewHeight, SRCCOPY);
    SelectObject(source, replaced);
    DeleteDC(source);
}

void onPaint(HWND window) {
    if (display.directDraw) return; // the frames draw the window
    PAINTSTRUCT paint;
    const HDC target = BeginPaint(window, &paint);
    if (shellState.preview) {
        paintPreview(target);
    } else {
        const TextOrigin at = errorTextOrigin(frameDriver.clientWidth, frameDriver.clientHeight);
        TextOutA(target, at.x, at.y, display.colourDepthUnsupported ? DepthUnsupportedText : SetUpFailedText, 22);
    }
    EndPaint(window, &paint);
}

} // namespace

void setFrameTimerStarter(FrameTimerStarter starter) { frameTimerStarter = starter ? starter : timeSetEvent; }

void CALLBACK frameTimerProc(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (!frameDriver.pacer.frameDue(timeGetTime())) return;
    LONG idle = 0;
    if (frameDriver.framePending.compare_exchange_strong(idle, 1, std::memory_order_acq_rel))
        PostMessageA(display.saverWindow, FrameMessage, 0, 0);
}

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: onCreate(window); break;
    case WM_DESTROY: onDestroy(); break;
    case WM_PAINT: onPaint(window); break;
    case FrameMessage: presentFrame(); break;
    default: break;
    }
    return shellDefaultProc(window, message, wParam, lParam);
}

} // namespace orbisk
