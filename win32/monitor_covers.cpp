#include "win32/monitor_covers.h"

#include "win32/proc_address.h"

namespace orbisk {
namespace {

constexpr char CoverClassName[] = "OrbiskMonitorCover";

// Windows 98 and 2000 brought several monitors; the older systems' user32 lacks the function.
using MonitorEnumerator = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);

BOOL CALLBACK addMonitor(HMONITOR, HDC, LPRECT rect, LPARAM context) {
    Monitors& monitors = *reinterpret_cast<Monitors*>(context);
    if (rect->left == 0 && rect->top == 0) // the primary monitor's corner is the origin of the virtual screen
        monitors.primary = *rect;
    else if (monitors.otherCount < MaxOtherMonitors)
        monitors.others[monitors.otherCount++] = *rect;
    return TRUE;
}

LRESULT CALLBACK coverWindowProc(HWND cover, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE; // the saver window keeps the activation, and with it the keyboard
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        // Input on another monitor is input on the saver: its own rules decide (the cursor position, not the
        // message's coordinates, measures a movement).
        return SendMessageA(GetWindow(cover, GW_OWNER), message, wParam, lParam);
    default: return DefWindowProcA(cover, message, wParam, lParam);
    }
}

bool registerCoverClass(HINSTANCE module) {
    WNDCLASSA coverClass{};
    coverClass.lpfnWndProc = coverWindowProc;
    coverClass.hInstance = module;
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = CoverClassName;
    return RegisterClassA(&coverClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

Monitors findMonitors() {
    Monitors monitors;
    const auto enumerate = procAddress<MonitorEnumerator>(GetModuleHandleA("USER32.DLL"), "EnumDisplayMonitors");
    if (enumerate) enumerate(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void coverOtherMonitors(HWND saverWindow, const Monitors& monitors) {
    const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(saverWindow, GWLP_HINSTANCE));
    if (monitors.otherCount == 0 || !registerCoverClass(module)) return;
    for (int k = 0; k < monitors.otherCount; ++k) {
        const RECT& at = monitors.others[k];
        const HWND cover =
            CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, CoverClassName, "", WS_POPUP, at.left, at.top,
                            at.right - at.left, at.bottom - at.top, saverWindow, nullptr, module, nullptr);
        if (cover) ShowWindow(cover, SW_SHOWNOACTIVATE);
    }
}

} // namespace orbisk
