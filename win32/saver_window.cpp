#include "win32/saver_window.h"

#include <cstdlib>

#include "win32/monitor_covers.h"
#include "win32/password_verifier.h"
#include "win32/proc_address.h"
#include "win32/saver_state.h"

namespace orbisk {
namespace {

constexpr char WindowClassName[] = "WindowsScreenSaverClass";
constexpr char FullScreenTitle[] = "Screen Saver";
constexpr char PreviewTitle[] = "Preview";
constexpr UINT VerifyRequest = WM_APP;    // sent to the saver window to run the password verifier
constexpr DWORD VerifyDebounceMs = 200;   // a close request this soon after a verification is refused unasked
constexpr WPARAM CriticalResume = 3;      // PWR_CRITICALRESUME of WM_POWER

struct WindowPlan {
    DWORD exStyle, style;
    const char* title;
    int x, y, width, height;
};

WindowPlan previewPlan(HWND parent) {
    RECT client{};
    GetClientRect(parent, &client);
    return {0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, PreviewTitle, 0, 0, client.right - client.left,
            client.bottom - client.top};
}

// The screen's clip box; with several monitors the primary one, on which the picture is centred (the clip box is
// then the whole virtual screen, or, where Wine remembers an older screen, something else again).
WindowPlan fullScreenPlan(const Monitors& monitors) {
    RECT box = monitors.primary;
    if (monitors.otherCount == 0) {
        const HDC screen = GetDC(nullptr);
        GetClipBox(screen, &box);
        ReleaseDC(nullptr, screen);
    }
    return {WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, FullScreenTitle, box.left,
            box.top, box.right - box.left, box.bottom - box.top};
}

// A second full-screen start brings the running saver to the front instead.
bool bringRunningSaverForward() {
    const HWND running = FindWindowA(WindowClassName, FullScreenTitle);
    if (!running || !IsWindow(running)) return false;
    SetForegroundWindow(running);
    return true;
}

void hideCursor() { SetCursor(nullptr); }

// A saver that stays keeps the screen. Losing the activation to another program's window also minimised the
// exclusive full-screen window (DirectDraw does that); restored and in front again, it hides that window, and its
// lost surfaces come back with the next frame.
void takeScreenBack(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
}

void detachInputMethod(ShellState& shell, HWND window) {
    // IMM32 is used only if something else loaded it: the saver has no text input of its own.
    shell.imeModule = GetModuleHandleA("IMM32.DLL");
    if (!shell.imeModule) return;
    shell.imeAssociate = procAddress<ImeAssociate>(shell.imeModule, "ImmAssociateContext");
    if (shell.imeAssociate) shell.savedImeContext = shell.imeAssociate(window, nullptr);
}

void restoreInputMethod(const ShellState& shell, HWND window) {
    if (shell.imeModule && shell.imeAssociate && shell.savedImeContext)
        shell.imeAssociate(window, shell.savedImeContext);
}

// The preview's help and context-menu requests belong to the desktop's window around it. WM_HELP carries a
// pointer to a record that lives only while the message is handled, so it is sent (and waited for, within limits)
// rather than posted; the system copies the record for a window of another process.
LRESULT forwardToParent(HWND window, UINT message, LPARAM lParam) {
    const HWND parent = GetParent(window);
    if (!parent || !IsWindow(parent)) return 1;
    const auto parentHandle = reinterpret_cast<WPARAM>(parent);
    if (message == WM_HELP)
        SendMessageTimeoutA(parent, message, parentHandle, lParam, SMTO_ABORTIFHUNG, 1000, nullptr);
    else
        PostMessageA(parent, message, parentHandle, lParam);
    return 1;
}

bool isSwallowedCommand(WPARAM command) {
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

void requestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

// Mouse movement closes only beyond the threshold, measured from the start (or the last refused close).
void onMouseMove(ShellState& shell, HWND window) {
    POINT now{};
    GetCursorPos(&now);
    const DWORD moved =
        static_cast<DWORD>(std::abs(now.x - shell.startCursor.x) + std::abs(now.y - shell.startCursor.y));
    if (moved > shell.mouseThreshold) {
        requestClose(window);
        shell.startCursor = now;
    }
}

int runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int runSaverWindow(const Platform& platform, HWND parent) {
    // One saver window runs per process; its state is static, so that nothing is allocated while it runs.
    static SaverState state;
    ShellState& shell = state.shell;
    shell.platform = platform;

    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = shellWindowProc;
    windowClass.hInstance = platform.module;
    windowClass.hIcon = LoadIconA(platform.module, MAKEINTRESOURCEA(100)); // none: the icon group is 102
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = WindowClassName;

    WindowPlan plan{};
    Monitors monitors;
    if (parent) {
        plan = previewPlan(parent);
        shell.preview = true; // before the window exists: the frame driver reads it on creation
    } else {
        monitors = findMonitors();
        plan = fullScreenPlan(monitors);
        if (bringRunningSaverForward()) return 0;
        loadPasswordVerifier(shell);
    }
    shell.autoPlayMessage = platform.olderFamily ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    int result = -1; // no window, so no quit message: the saver could not run
    if (RegisterClassA(&windowClass)) {
        shell.saverWindow = CreateWindowExA(plan.exStyle, WindowClassName, plan.title, plan.style, plan.x, plan.y,
                                            plan.width, plan.height, parent, nullptr, platform.module, &state);
    }
    if (shell.saverWindow) {
        if (!parent) {
            coverOtherMonitors(shell.saverWindow, monitors);
            SetForegroundWindow(shell.saverWindow);
        }
        result = runMessageLoop();
    }
    unloadPasswordVerifier(shell);
    return result;
}

LRESULT CALLBACK shellWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    SaverState* const state = saverStateOf(window);
    if (!state) return DefWindowProcA(window, message, wParam, lParam); // the few messages before WM_NCCREATE
    ShellState& shell = state->shell;
    const bool fullScreen = !shell.preview;
    switch (message) {
    case WM_CREATE:
        detachInputMethod(shell, window);
        GetCursorPos(&shell.startCursor);
        if (fullScreen) hideCursor();
        break;
    case WM_DESTROY:
        restoreInputMethod(shell, window);
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0; // the title never changes
    case WM_PAINT:
        if (shell.closing) return DefWindowProcA(window, message, wParam, lParam);
        if (fullScreen) hideCursor();
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (!fullScreen) return forwardToParent(window, message, lParam);
        break;
    case WM_SYSCOMMAND:
        if (fullScreen && isSwallowedCommand(wParam)) return 0;
        break;
    case WM_TIMER:
        if (shell.closing) return 0;
        Sleep(0);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (shell.closing) return DefWindowProcA(window, message, wParam, lParam);
        break;
    default:
        break;
    }
    return saverWindowProc(*state, window, message, wParam, lParam);
}

LRESULT shellDefaultProc(ShellState& shell, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool olderFamily = shell.platform.olderFamily;
    if (!shell.preview && !shell.closing) {
        if (message == WM_CLOSE && olderFamily) {
            if (!verifyBeforeClose(shell, window)) {
                GetCursorPos(&shell.startCursor); // movement counts afresh from here
                if (!shell.verifying) takeScreenBack(window); // not over the verifier's own dialog
                return 0;
            }
        } else if (message == VerifyRequest && olderFamily) {
            return shell.verifier ? shell.verifier(window) : 1;
        } else if (!shell.verifying) {
            switch (message) {
            case WM_SHOWWINDOW:
                if (wParam) hideCursor();
                break;
            case WM_SETCURSOR:
                hideCursor();
                return 1;
            case WM_ACTIVATEAPP:
                if (wParam) takeScreenBack(window);
                else requestClose(window);
                break;
            case WM_POWER:
                if (wParam == CriticalResume) requestClose(window);
                break;
            case WM_POWERBROADCAST:
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
                requestClose(window);
                break;
            case WM_MOUSEMOVE:
                onMouseMove(shell, window);
                break;
            default:
                break;
            }
        }
    }
    if (message != 0 && message == shell.autoPlayMessage) {
        requestClose(window);
        return shell.verifier ? 1 : 0; // 1 cancels AutoPlay while a password guards the desktop
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL verifyBeforeClose(ShellState& shell, HWND window) {
    if (shell.verifying || shell.closing) return FALSE;
    if (!shell.verifier) {
        shell.closing = TRUE;
        return TRUE;
    }
    if (shell.lastVerifyTick != static_cast<DWORD>(-1) && shell.tickCount() - shell.lastVerifyTick < VerifyDebounceMs)
        return shell.closing;
    shell.verifying = true;
    MSG dropped;
    for (int k = 0; k < 2; ++k) PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    shell.closing = static_cast<BOOL>(SendMessageA(window, VerifyRequest, 0, 0));
    shell.verifying = false;
    if (!shell.closing) hideCursor(); // the verifier's dialog showed it
    shell.lastVerifyTick = shell.tickCount();
    return shell.closing;
}

} // namespace orbisk
