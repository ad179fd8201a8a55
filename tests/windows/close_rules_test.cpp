// The saver window and its close rules, on real windows of this thread made as the saver makes them (its class and
// its window, without the message loop): each case sends messages straight to the window and looks in the thread's
// queue for the WM_CLOSE that a close request posts. The display factory always fails, so a full-screen window has
// no display and no frame timer: every frame message in the queue comes from the test's own calls of the timer.
#include <windows.h>
#include <ddraw.h>
#include <imm.h>
#include <pbt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "win32/monitor_covers.h"
#include "win32/saver_state.h"
#include "win32/saver_window.h"

namespace orbisk {
namespace {

constexpr char SaverClass[] = "WindowsScreenSaverClass";
constexpr char HostClass[] = "OrbiskCloseRulesHost";

HRESULT WINAPI noDirectDraw(GUID*, IDirectDraw** object, IUnknown*) {
    *object = nullptr;
    return DDERR_NODIRECTDRAWHW;
}

// What the preview's host window received.
struct HostLog {
    int helps = 0, menus = 0;
    WPARAM helpWParam = 0, menuWParam = 0;
    LPARAM menuLParam = 0;
    bool helpReadable = false;
    HELPINFO help = {};
} hostLog;

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP) {
        ++hostLog.helps;
        hostLog.helpWParam = wParam;
        hostLog.helpReadable = lParam != 0;
        if (lParam) hostLog.help = *reinterpret_cast<const HELPINFO*>(lParam); // only valid while handled
        return TRUE;
    }
    if (message == WM_CONTEXTMENU) {
        ++hostLog.menus;
        hostLog.menuWParam = wParam;
        hostLog.menuLParam = lParam;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The password verifier's stand-in: counts its calls, notes what it saw and answers as scripted. Like the real
// one's dialog it shows the cursor, and it may act on the window while it "shows" (as messages arriving meanwhile).
struct VerifierScript {
    int calls = 0;
    BOOL answer = FALSE;
    HWND window = nullptr;
    bool sawVerifying = false;
    void (*meanwhile)(HWND) = nullptr;
} script;

// The debounce's clock, which the cases set; the verifier's dialog takes 30 ms of it.
DWORD fakeTick = 0;
DWORD WINAPI fakeTickCount() { return fakeTick; }

BOOL WINAPI scriptedVerifier(HWND window) {
    ++script.calls;
    fakeTick += 30;
    script.window = window;
    script.sawVerifying = saverStateOf(window)->window.verifying;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (script.meanwhile) script.meanwhile(window);
    return script.answer;
}

// Removes the posted `message`s of `window` from the queue and counts them.
int takePosted(HWND window, UINT message) {
    int count = 0;
    MSG posted;
    while (PeekMessageA(&posted, window, message, message, PM_REMOVE)) ++count;
    return count;
}

bool quitPosted() {
    MSG quit;
    return PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

POINT cursorNow() {
    POINT at{};
    GetCursorPos(&at);
    return at;
}

bool samePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

class CloseRules : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(registerSaverClass(GetModuleHandleA(nullptr)));
        WNDCLASSA hostClass{};
        hostClass.lpfnWndProc = hostProc;
        hostClass.hInstance = GetModuleHandleA(nullptr);
        hostClass.lpszClassName = HostClass;
        ASSERT_TRUE(RegisterClassA(&hostClass));
    }

    void SetUp() override {
        state = std::make_unique<SaverState>();
        state->window.platform.module = GetModuleHandleA(nullptr);
        state->window.tickCount = fakeTickCount;
        state->display.createDirectDraw = noDirectDraw;
        hostLog = {};
        script = {};
    }

    void TearDown() override {
        if (saver && IsWindow(saver)) DestroyWindow(saver);
        if (host) DestroyWindow(host);
        MSG left;
        while (PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE)) {
        } // the quit message and whatever the windows' end posted
        saver = host = nullptr;
    }

    void setFamily(bool older) {
        window().platform.olderFamily = older;
        window().autoPlayMessage = older ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
    }

    WindowState& window() { return state->window; }

    // Handles what the creation queued; a close request among it is a fault.
    void settle() {
        int closes = 0;
        MSG queued;
        while (PeekMessageA(&queued, nullptr, 0, 0, PM_REMOVE)) {
            if (queued.message == WM_CLOSE)
                ++closes;
            else
                DispatchMessageA(&queued);
        }
        EXPECT_EQ(closes, 0) << "making the window asked to close it";
    }

    void openFullScreen(bool older) {
        setFamily(older);
        saver = openSaverWindow(*state, nullptr);
        ASSERT_NE(saver, nullptr);
        ASSERT_EQ(window().handle, saver);
        settle();
        ASSERT_EQ(state->frames.frameTimer, 0u) << "a frame timer without a display";
        ASSERT_EQ(state->display.failure, SetUpFailure::CreateDirectDraw);
    }

    void openPreview(bool older) {
        setFamily(older);
        host = CreateWindowExA(0, HostClass, "Desktop", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr,
                               window().platform.module, nullptr);
        ASSERT_NE(host, nullptr);
        saver = openSaverWindow(*state, host);
        ASSERT_NE(saver, nullptr);
        settle();
    }

    void loadVerifier(BOOL answer) {
        script.answer = answer;
        window().verifier = scriptedVerifier;
    }

    std::unique_ptr<SaverState> state;
    HWND saver = nullptr, host = nullptr;
};

TEST_F(CloseRules, ClassAndWindowsAreTheShippedOnes) {
    WNDCLASSA registered{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), SaverClass, &registered));
    EXPECT_EQ(registered.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC));
    EXPECT_EQ(registered.hIcon, nullptr);
    EXPECT_EQ(registered.hCursor, nullptr);
    EXPECT_EQ(registered.hbrBackground, GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(registered.cbClsExtra + registered.cbWndExtra, 0);

    openFullScreen(false);
    char title[64] = {};
    GetWindowTextA(saver, title, sizeof title);
    EXPECT_STREQ(title, "Screen Saver");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(saver, GWL_STYLE)), 0x96000000u); // popup, visible, clipping
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(saver, GWL_EXSTYLE)), static_cast<DWORD>(WS_EX_TOPMOST));
    RECT placed{}, screen{};
    GetWindowRect(saver, &placed);
    const HDC screenContext = GetDC(nullptr);
    GetClipBox(screenContext, &screen);
    ReleaseDC(nullptr, screenContext);
    EXPECT_TRUE(EqualRect(&placed, &screen)) << "not the screen's clip box";

    TearDown();
    SetUp();
    openPreview(false);
    GetWindowTextA(saver, title, sizeof title);
    EXPECT_STREQ(title, "Preview");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(saver, GWL_STYLE)), 0x52000000u); // child, visible, clipping
    EXPECT_EQ(GetWindowLongA(saver, GWL_EXSTYLE), 0);
    RECT client{}, hostClient{};
    GetClientRect(saver, &client);
    GetClientRect(host, &hostClient);
    EXPECT_TRUE(EqualRect(&client, &hostClient)) << "the preview does not fill its host";
}

// The input method, where something loaded it, is detached from the window while it lives and given back at its end.
TEST_F(CloseRules, InputMethodIsDetachedAndGivenBack) {
    openFullScreen(false);
    const HIMC saved = window().savedImeContext;
    ASSERT_NE(saved, nullptr) << "IMM32, linked into this test, was not detached";
    EXPECT_EQ(ImmGetContext(saver), nullptr);
    SendMessageA(saver, WM_DESTROY, 0, 0); // the saver's end, without the window's
    const HIMC restored = ImmGetContext(saver);
    EXPECT_EQ(restored, saved);
    ImmReleaseContext(saver, restored);
}

TEST_F(CloseRules, TitleNeverChanges) {
    for (const bool preview : {false, true}) {
        SCOPED_TRACE(preview ? "preview" : "full screen");
        TearDown();
        SetUp();
        if (preview)
            openPreview(false);
        else
            openFullScreen(false);
        EXPECT_EQ(SendMessageA(saver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed")), 0);
        char title[64] = {};
        GetWindowTextA(saver, title, sizeof title);
        EXPECT_STREQ(title, preview ? "Preview" : "Screen Saver");
    }
}

TEST_F(CloseRules, FullScreenSwallowsSwitchingAndSaverCommands) {
    openFullScreen(false);
    for (const WPARAM command : {SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(SendMessageA(saver, WM_SYSCOMMAND, command, 0), 0);
        EXPECT_TRUE(IsWindow(saver));
        EXPECT_EQ(takePosted(saver, WM_CLOSE), 0);
    }
}

// The messages that can close the full-screen saver, each tried in the four situations in which only the first
// (full screen, nothing in progress) closes.
TEST_F(CloseRules, InputClosesOnlyTheRunningFullScreenSaver) {
    struct Trigger {
        const char* name;
        UINT message;
        WPARAM wParam;
        bool closes;
    };
    const Trigger triggers[] = {
        {"activation lost", WM_ACTIVATEAPP, FALSE, true},
        {"activation gained", WM_ACTIVATEAPP, TRUE, false},
        {"power: suspend request", WM_POWER, 1, false},
        {"power: suspend resume", WM_POWER, 2, false},
        {"power: critical resume", WM_POWER, 3, true},
        {"power broadcast: query suspend", WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, true},
        {"power broadcast: status change", WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, true},
        {"power broadcast: resume", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true},
        {"key", WM_KEYDOWN, 'A', true},
        {"system key", WM_SYSKEYDOWN, 'A', true},
        {"left button", WM_LBUTTONDOWN, MK_LBUTTON, true},
        {"right button", WM_RBUTTONDOWN, MK_RBUTTON, true},
        {"middle button", WM_MBUTTONDOWN, MK_MBUTTON, true},
        {"mouse far from the start", WM_MOUSEMOVE, 0, true},
        {"cursor shape", WM_SETCURSOR, 0, false},
        {"shown", WM_SHOWWINDOW, TRUE, false},
    };
    enum Situation { Running, Preview, Closing, Verifying };
    for (const Situation situation : {Running, Preview, Closing, Verifying}) {
        static const char* const names[] = {"running", "preview", "closing", "verifying"};
        SCOPED_TRACE(names[situation]);
        TearDown();
        SetUp();
        if (situation == Preview)
            openPreview(false);
        else
            openFullScreen(false);
        window().closing = situation == Closing;
        window().verifying = situation == Verifying;
        for (const Trigger& trigger : triggers) {
            SCOPED_TRACE(trigger.name);
            const POINT now = cursorNow();
            window().startCursor = {now.x - 50, now.y - 50};
            SendMessageA(saver, trigger.message, trigger.wParam, MAKELPARAM(1, 1));
            EXPECT_EQ(takePosted(saver, WM_CLOSE), trigger.closes && situation == Running ? 1 : 0);
            EXPECT_TRUE(IsWindow(saver));
        }
    }
}

// Only the cursor's own distance from the start counts, as |dx| + |dy| beyond 4; the message's coordinates do not.
TEST_F(CloseRules, MouseMovementClosesBeyondFourPixelsFromTheStart) {
    struct Move {
        int dx, dy;
        bool closes;
    };
    const Move moves[] = {{0, 0, false},  {3, 1, false}, {3, 2, true},    {0, 4, false},  {0, 5, true},
                          {-4, 0, false}, {-5, 0, true}, {-2, -2, false}, {-2, -3, true}, {2, -3, true}};
    openFullScreen(false);
    for (const Move& move : moves) {
        SCOPED_TRACE(testing::Message() << move.dx << ", " << move.dy);
        const POINT now = cursorNow();
        const POINT start = {now.x - move.dx, now.y - move.dy};
        window().startCursor = start;
        SendMessageA(saver, WM_MOUSEMOVE, 0, MAKELPARAM(900, 700)); // far off in the message: ignored
        EXPECT_EQ(takePosted(saver, WM_CLOSE), move.closes ? 1 : 0);
        // A close measures afresh from where the cursor is; a small move keeps the old start, so moves add up.
        EXPECT_TRUE(samePoint(window().startCursor, move.closes ? now : start));
    }
}

TEST_F(CloseRules, FullScreenKeepsTheCursorHidden) {
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {{"cursor shape", WM_SETCURSOR, 0}, {"shown", WM_SHOWWINDOW, TRUE}, {"paint", WM_PAINT, 0}};
    openFullScreen(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        const LRESULT result = SendMessageA(saver, c.message, c.wParam, 0);
        if (c.message == WM_SETCURSOR) {
            EXPECT_EQ(result, 1);
        }
        EXPECT_EQ(GetCursor(), nullptr);
    }
}

// Without a display the window shows the set-up's failure text instead of the picture: it starts 80 pixels left of
// the centre, on the middle line (the text's box is the paint context's white background).
TEST_F(CloseRules, AFailedSetUpShowsItsTextLeftOfTheCentre) {
    openFullScreen(false);
    RECT client{};
    GetClientRect(saver, &client);
    UpdateWindow(saver);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC window = GetDC(saver), copy = CreateCompatibleDC(window);
    const HBITMAP picture = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ replaced = SelectObject(copy, picture);
    BitBlt(copy, 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
    RECT lit = {client.right, client.bottom, -1, -1};
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (LONG y = 0; y < client.bottom; ++y)
        for (LONG x = 0; x < client.right; ++x)
            if (pixels[y * client.right + x] & 0xFFFFFF)
                lit = {std::min(lit.left, x), std::min(lit.top, y), std::max(lit.right, x), std::max(lit.bottom, y)};
    SelectObject(copy, replaced);
    DeleteObject(picture);
    DeleteDC(copy);
    ReleaseDC(saver, window);
    EXPECT_EQ(lit.left, client.right / 2 - 80);
    EXPECT_EQ(lit.top, client.bottom / 2);
    EXPECT_GT(lit.right, client.right / 2) << "no text of 22 characters";
}

TEST_F(CloseRules, PreviewHandsHelpAndContextMenuToItsHost) {
    openPreview(false);
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_WINDOW;
    help.iCtrlId = 7;
    help.hItemHandle = saver;
    help.dwContextId = 1234;
    help.MousePos = {11, 22};
    EXPECT_EQ(SendMessageA(saver, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);
    EXPECT_EQ(SendMessageA(saver, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(saver), MAKELPARAM(33, 44)), 1);
    MSG queued;
    while (PeekMessageA(&queued, host, 0, 0, PM_REMOVE)) DispatchMessageA(&queued);

    EXPECT_EQ(hostLog.helps, 1);
    EXPECT_EQ(hostLog.helpWParam, reinterpret_cast<WPARAM>(host));
    ASSERT_TRUE(hostLog.helpReadable);
    EXPECT_EQ(hostLog.help.cbSize, sizeof help);
    EXPECT_EQ(hostLog.help.iContextType, HELPINFO_WINDOW);
    EXPECT_EQ(hostLog.help.iCtrlId, 7);
    EXPECT_EQ(hostLog.help.hItemHandle, saver);
    EXPECT_EQ(hostLog.help.dwContextId, 1234u);
    EXPECT_TRUE(samePoint(hostLog.help.MousePos, POINT{11, 22}));

    EXPECT_EQ(hostLog.menus, 1);
    EXPECT_EQ(hostLog.menuWParam, reinterpret_cast<WPARAM>(host));
    EXPECT_EQ(hostLog.menuLParam, MAKELPARAM(33, 44));
}

// A close that needs no password (or a preview, which is never guarded) destroys the window at once; `closing` is
// set only where a verification decided it, on the older family.
TEST_F(CloseRules, UnguardedCloseDestroysTheWindowAtOnce) {
    struct Case {
        const char* name;
        bool older, preview, withVerifier;
        UINT message;
        WPARAM wParam;
        BOOL closing;
    };
    const Case cases[] = {
        {"newer family", false, false, false, WM_CLOSE, 0, FALSE},
        {"newer family, a verifier loaded", false, false, true, WM_CLOSE, 0, FALSE},
        {"newer family, close command", false, false, false, WM_SYSCOMMAND, SC_CLOSE, FALSE},
        {"older family without a password", true, false, false, WM_CLOSE, 0, TRUE},
        {"older family without a password, close command", true, false, false, WM_SYSCOMMAND, SC_CLOSE, TRUE},
        {"older family preview with a password", true, true, true, WM_CLOSE, 0, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (c.preview)
            openPreview(c.older);
        else
            openFullScreen(c.older);
        if (c.withVerifier) loadVerifier(FALSE);
        SendMessageA(saver, c.message, c.wParam, 0);
        EXPECT_FALSE(IsWindow(saver));
        EXPECT_TRUE(quitPosted());
        EXPECT_EQ(window().closing, c.closing);
        EXPECT_EQ(script.calls, 0);
    }
}

TEST_F(CloseRules, RefusedVerificationKeepsTheSaverRunning) {
    openFullScreen(true);
    loadVerifier(FALSE);
    for (int k = 0; k < 3; ++k) PostMessageA(saver, WM_TIMER, 1, 0);
    window().startCursor = {-1000, -1000};
    fakeTick = 5000;

    EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(script.calls, 1);
    EXPECT_EQ(script.window, saver);
    EXPECT_TRUE(script.sawVerifying);
    EXPECT_TRUE(IsWindow(saver));
    EXPECT_FALSE(quitPosted());
    EXPECT_EQ(window().closing, FALSE);
    EXPECT_FALSE(window().verifying);
    EXPECT_EQ(window().lastVerifyTick, 5030u) << "not read after the verifier returned";
    EXPECT_TRUE(samePoint(window().startCursor, cursorNow()));
    EXPECT_EQ(GetCursor(), nullptr) << "the cursor the verifier showed stays visible";
    EXPECT_EQ(takePosted(saver, WM_TIMER), 1) << "two pending timer messages are dropped before verifying";
    EXPECT_EQ(takePosted(saver, WM_CLOSE), 0);
}

// Whether a close request asks the verifier, by the time since the last verification ended.
TEST_F(CloseRules, CloseSoonAfterARefusalIsRefusedUnasked) {
    struct Case {
        const char* name;
        DWORD last, now;
        bool asked;
    };
    const Case cases[] = {{"no verification yet", static_cast<DWORD>(-1), 0, true},
                          {"just now", 7000, 7000, false},
                          {"199 ms ago", 7000, 7199, false},
                          {"200 ms ago", 7000, 7200, true},
                          {"150 ms ago, across the wrap of the tick count", 0xFFFFFFA0u, 54, false},
                          {"a second ago", 7000, 8000, true}};
    openFullScreen(true);
    loadVerifier(FALSE);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script.calls = 0;
        window().lastVerifyTick = c.last;
        fakeTick = c.now;
        window().startCursor = {-1000, -1000};
        EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
        EXPECT_EQ(script.calls, c.asked ? 1 : 0);
        EXPECT_TRUE(IsWindow(saver));
        EXPECT_TRUE(samePoint(window().startCursor, cursorNow())) << "movement is not measured afresh";
    }
}

TEST_F(CloseRules, NothingClosesWhileTheVerifierIsShowing) {
    openFullScreen(true);
    loadVerifier(FALSE);
    static LRESULT nestedClose;
    script.meanwhile = [](HWND window) {
        nestedClose = SendMessageA(window, WM_CLOSE, 0, 0);
        SendMessageA(window, WM_KEYDOWN, 'A', 0);
        SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    };
    nestedClose = -1;
    SendMessageA(saver, WM_CLOSE, 0, 0);
    EXPECT_EQ(script.calls, 1);
    EXPECT_EQ(nestedClose, 0);
    EXPECT_EQ(takePosted(saver, WM_CLOSE), 0);

    // The same with the flag set from outside.
    script = {};
    loadVerifier(TRUE);
    window().verifying = true;
    EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(script.calls, 0);
    EXPECT_TRUE(IsWindow(saver));
}

TEST_F(CloseRules, AcceptedVerificationCloses) {
    openFullScreen(true);
    loadVerifier(TRUE);
    SendMessageA(saver, WM_CLOSE, 0, 0);
    EXPECT_EQ(script.calls, 1);
    EXPECT_NE(window().closing, FALSE);
    EXPECT_FALSE(window().verifying);
    EXPECT_FALSE(IsWindow(saver));
    EXPECT_TRUE(quitPosted());
}

// The verify request answers with the verifier's result, 1 without a verifier, and means nothing on newer systems.
TEST_F(CloseRules, VerifyRequestRunsTheVerifier) {
    struct Case {
        const char* name;
        bool older, withVerifier;
        BOOL answer;
        LRESULT result;
        int calls;
    };
    const Case cases[] = {{"accepted", true, true, TRUE, 1, 1},
                          {"refused", true, true, FALSE, 0, 1},
                          {"no verifier", true, false, FALSE, 1, 0},
                          {"newer family", false, true, TRUE, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        openFullScreen(c.older);
        if (c.withVerifier) loadVerifier(c.answer);
        EXPECT_EQ(SendMessageA(saver, WM_APP, 0, 0), c.result);
        EXPECT_EQ(script.calls, c.calls);
        EXPECT_TRUE(IsWindow(saver));
    }
}

TEST_F(CloseRules, QueryCancelAutoPlayCloses) {
    struct Case {
        const char* name;
        bool older, preview, withVerifier;
        LRESULT result;
        bool closes;
    };
    const Case cases[] = {
        {"full screen with a password", true, false, true, 1, true},
        {"full screen without a password", true, false, false, 0, true},
        {"preview with a password", true, true, true, 1, true},
        {"preview without a password", true, true, false, 0, true},
        {"newer family", false, false, true, 0, false},
    };
    const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (c.preview)
            openPreview(c.older);
        else
            openFullScreen(c.older);
        if (c.withVerifier) loadVerifier(FALSE);
        EXPECT_EQ(SendMessageA(saver, autoPlay, 0, 0), c.result);
        EXPECT_EQ(takePosted(saver, WM_CLOSE), c.closes ? 1 : 0);
        EXPECT_EQ(script.calls, 0) << "the close is verified when it is handled, not here";
    }
}

// A refused close, and an activation regained, put the saver back in front of another program's window, which took
// the activation and (as DirectDraw does) left the saver minimised.
TEST_F(CloseRules, ARefusedCloseTakesTheScreenBack) {
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        bool debounced;
    };
    const Case cases[] = {{"the verifier refused", WM_CLOSE, 0, false},
                          {"the debounce refused", WM_CLOSE, 0, true},
                          {"activated again", WM_ACTIVATEAPP, TRUE, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        openFullScreen(true);
        loadVerifier(FALSE);
        host = CreateWindowExA(0, HostClass, "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, window().platform.module, nullptr);
        SetForegroundWindow(host);
        ShowWindow(saver, SW_MINIMIZE);
        ASSERT_TRUE(IsIconic(saver));
        if (c.debounced) window().lastVerifyTick = fakeTick;
        SendMessageA(saver, c.message, c.wParam, 0);
        EXPECT_EQ(script.calls, c.message == WM_CLOSE && !c.debounced ? 1 : 0);
        EXPECT_FALSE(IsIconic(saver));
        EXPECT_EQ(GetForegroundWindow(), saver);
    }
}

// The window over another monitor never takes the activation, hides the cursor as the saver does, hands input to
// the saver's close rules, and goes with the saver window.
TEST_F(CloseRules, InputOverAnotherMonitorIsTheSaversInput) {
    openFullScreen(false);
    Monitors monitors;
    monitors.others[0] = {4000, 0, 4100, 100};
    monitors.otherCount = 1;
    coverOtherMonitors(saver, monitors);
    const HWND cover = FindWindowA("OrbiskMonitorCover", nullptr);
    ASSERT_NE(cover, nullptr);
    EXPECT_EQ(GetWindow(cover, GW_OWNER), saver);
    EXPECT_TRUE(IsWindowVisible(cover));
    EXPECT_EQ(SendMessageA(cover, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(saver), 0), MA_NOACTIVATE);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(SendMessageA(cover, WM_SETCURSOR, reinterpret_cast<WPARAM>(cover), 0), 1);
    EXPECT_EQ(GetCursor(), nullptr);
    for (const UINT input : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_MOUSEMOVE}) {
        SCOPED_TRACE(input);
        const POINT now = cursorNow();
        window().startCursor = {now.x - 50, now.y - 50};
        SendMessageA(cover, input, 0, 0);
        EXPECT_EQ(takePosted(saver, WM_CLOSE), 1);
    }
    DestroyWindow(saver);
    EXPECT_FALSE(IsWindow(cover));
}

DWORD WINAPI tickMany(void* frames) {
    for (int k = 0; k < 2000; ++k) frameTimerProc(0, 0, reinterpret_cast<DWORD_PTR>(frames), 0, 0);
    return 0;
}

TEST_F(CloseRules, TimerQueuesAtMostOneFrameMessage) {
    openFullScreen(false);
    const auto tick = [this] { frameTimerProc(0, 0, reinterpret_cast<DWORD_PTR>(&state->frames), 0, 0); };
    std::atomic<LONG>& pending = state->frames.framePending;

    for (int k = 0; k < 100; ++k) tick();
    EXPECT_EQ(takePosted(saver, FrameMessage), 1);
    EXPECT_EQ(pending.load(), 1);
    for (int k = 0; k < 100; ++k) tick();
    EXPECT_EQ(takePosted(saver, FrameMessage), 0) << "ticks while a frame is pending are dropped";

    pending.store(0); // the frame was presented
    tick();
    EXPECT_EQ(takePosted(saver, FrameMessage), 1);

    // Ticks from several threads at once still queue one message.
    pending.store(0);
    HANDLE threads[4];
    for (HANDLE& thread : threads) thread = CreateThread(nullptr, 0, tickMany, &state->frames, 0, nullptr);
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
    EXPECT_EQ(takePosted(saver, FrameMessage), 1);
    EXPECT_EQ(pending.load(), 1);

    // Without a display a frame message draws nothing and presents nothing, so the flag stays.
    SendMessageA(saver, FrameMessage, 0, 0);
    EXPECT_EQ(pending.load(), 1);
    EXPECT_TRUE(IsWindow(saver));
}

} // namespace
} // namespace orbisk
