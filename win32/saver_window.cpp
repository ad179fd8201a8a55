#include "win32/saver_window.h"

#include "win32/close_rules.h"
#include "win32/monitor_covers.h"
#include "win32/password_verifier.h"
#include "win32/proc_address.h"

namespace orbisk {
namespace {

constexpr char WindowClassName[] = "WindowsScreenSaverClass";
constexpr char FullScreenTitle[] = "Screen Saver";
constexpr char PreviewTitle[] = "Preview";
// The desktop's savers ask for icon 100; this program's icon group is 102, so the class gets none, and the saver's
// windows show no icon.
constexpr int ClassIcon = 100;
constexpr UINT HelpForwardTimeoutMs = 1000; // the preview's host may be hung: its help is not worth a hung saver

struct WindowPlan {
    DWORD exStyle, style;
    const char* title;
    int x, y, width, height;
};

WindowPlan previewPlan(HWND parent) {
    RECT client{};
    GetClientRect(parent, &client);
    return {0,
            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
            PreviewTitle,
            0,
            0,
            client.right - client.left,
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
    return {WS_EX_TOPMOST,
            WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
            FullScreenTitle,
            box.left,
            box.top,
            box.right - box.left,
            box.bottom - box.top};
}

// A second full-screen start brings the running saver to the front instead.
bool bringRunningSaverForward() {
    const HWND running = FindWindowA(WindowClassName, FullScreenTitle);
    if (!running || !IsWindow(running)) return false;
    SetForegroundWindow(running);
    return true;
}

void detachInputMethod(WindowState& state, HWND window) {
    // IMM32 is used only if something else loaded it: the saver has no text input of its own.
    state.imeModule = GetModuleHandleA("IMM32.DLL");
    if (!state.imeModule) return;
    state.imeAssociate = procAddress<ImeAssociate>(state.imeModule, "ImmAssociateContext");
    if (state.imeAssociate) state.savedImeContext = state.imeAssociate(window, nullptr);
}

void restoreInputMethod(const WindowState& state, HWND window) {
    if (state.imeModule && state.imeAssociate && state.savedImeContext)
        state.imeAssociate(window, state.savedImeContext);
}

// The preview's help and context-menu requests belong to the desktop's window around it. WM_HELP carries a
// pointer to a record that lives only while the message is handled, so it is sent (and waited for, within limits)
// rather than posted; the system copies the record for a window of another process.
LRESULT forwardToParent(HWND window, UINT message, LPARAM lParam) {
    const HWND parent = GetParent(window);
    if (!parent || !IsWindow(parent)) return 1;
    const auto parentHandle = reinterpret_cast<WPARAM>(parent);
    if (message == WM_HELP)
        SendMessageTimeoutA(parent, message, parentHandle, lParam, SMTO_ABORTIFHUNG, HelpForwardTimeoutMs, nullptr);
    else
        PostMessageA(parent, message, parentHandle, lParam);
    return 1;
}

// The commands that would switch away from the full-screen saver, or start a saver again.
bool isSwallowedCommand(WPARAM command) {
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

// The window's state is its creation data, kept in GWLP_USERDATA from the first message that carries it.
SaverState* stateOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* const state = static_cast<SaverState*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        state->window.handle = window; // the frame timer may post to it before CreateWindowEx has returned
    }
    return saverStateOf(window);
}

void onCreate(SaverState& saver, HWND window) {
    detachInputMethod(saver.window, window);
    GetCursorPos(&saver.window.startCursor);
    if (!saver.window.preview) hideCursor();
    startFrames(saver.frames, saver.display, saver.simulation, window, saver.window.preview);
}

void onDestroy(SaverState& saver, HWND window) {
    restoreInputMethod(saver.window, window);
    PostQuitMessage(0);
    stopFrames(saver.frames, saver.display, saver.window.preview);
}

void onPaint(const SaverState& saver, HWND window) {
    if (saver.window.closing) return; // the default procedure validates the window
    if (!saver.window.preview) hideCursor();
    paintWithoutFrames(saver.frames, saver.display, window, saver.window.preview);
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

bool registerSaverClass(HMODULE module) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = saverWindowProc;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconA(module, MAKEINTRESOURCEA(ClassIcon));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = WindowClassName;
    return RegisterClassA(&windowClass) != 0;
}

HWND openSaverWindow(SaverState& state, HWND parent) {
    const HMODULE module = state.window.platform.module;
    if (parent) {
        const WindowPlan plan = previewPlan(parent);
        state.window.preview = true; // before the window exists: its creation reads it
        return CreateWindowExA(plan.exStyle, WindowClassName, plan.title, plan.style, plan.x, plan.y, plan.width,
                               plan.height, parent, nullptr, module, &state);
    }
    const Monitors monitors = findMonitors();
    const WindowPlan plan = fullScreenPlan(monitors);
    const HWND window = CreateWindowExA(plan.exStyle, WindowClassName, plan.title, plan.style, plan.x, plan.y,
                                        plan.width, plan.height, nullptr, nullptr, module, &state);
    if (!window) return nullptr;
    coverOtherMonitors(window, monitors);
    SetForegroundWindow(window);
    return window;
}

int runSaverWindow(const Platform& platform, HWND parent) {
    // One saver window runs per process; its state is static, so that nothing is allocated while it runs.
    static SaverState state;
    state.window.platform = platform;
    if (!parent) {
        if (bringRunningSaverForward()) return 0;
        loadPasswordVerifier(state.window);
    }
    state.window.autoPlayMessage = platform.olderFamily ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
    // No window, so no quit message: the saver could not run.
    const int result = registerSaverClass(platform.module) && openSaverWindow(state, parent) ? runMessageLoop() : -1;
    unloadPasswordVerifier(state.window);
    return result;
}

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SaverState* const saver = stateOf(window, message, lParam);
    if (!saver) return DefWindowProcA(window, message, wParam, lParam); // the few messages before WM_NCCREATE
    WindowState& state = saver->window;
    switch (message) {
    case WM_CREATE: onCreate(*saver, window); break;
    case WM_DESTROY: onDestroy(*saver, window); break;
    case WM_PAINT: onPaint(*saver, window); break;
    case FrameMessage: presentFrame(saver->frames, saver->display, saver->simulation); break;
    case WM_SETTEXT: return 0; // the title never changes
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (state.preview) return forwardToParent(window, message, lParam);
        break;
    case WM_SYSCOMMAND:
        if (!state.preview && isSwallowedCommand(wParam)) return 0;
        break;
    case WM_TIMER:
        if (state.closing) return 0;
        Sleep(0); // yields once per timer message: a timer set to fire often cannot starve threads of our priority
        break;
    case WM_CLOSE:
        if (!onClose(state, window)) return 0;
        break;
    case VerifyRequest: return onVerifyRequest(state, window);
    case WM_SETCURSOR:
    case WM_SHOWWINDOW:
    case WM_ACTIVATEAPP:
    case WM_POWER:
    case WM_POWERBROADCAST:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
        if (watchingInput(state) && onInput(state, window, message, wParam)) return TRUE;
        break;
    default:
        if (message != 0 && message == state.autoPlayMessage) return onAutoPlay(state, window);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace orbisk
