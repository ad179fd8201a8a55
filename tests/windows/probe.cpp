// probe: what the end-to-end scripts cannot see through X. Window handles are read and printed in decimal, as the
// saver's command line writes them; texts are printed as the hexadecimal bytes of their ANSI (code page 932) form.
//
//   probe find-caption HEXBYTES TIMEOUT_MS   a top-level window whose caption has exactly these bytes
//   probe controls HWND                      one line per child: id, class, style, ext style, client rect on the
//                                            screen (left,top,right,bottom), text, picture
//   probe owner HWND                         the window's owner, 0 for none
//   probe foreground                         the foreground window
//   probe placement HWND                     minimised|normal and the window's rectangle on the screen
//                                            (left,top,right,bottom)
//   probe activate HWND                      makes the window the foreground window
//   probe is-window HWND                     exit code 0 if the handle is a window, 1 if not
//   probe host [CAPTION]                     a visible top-level window in the foreground, until killed
//   probe host-at X Y WIDTH HEIGHT           the same as a bare white popup whose client area is exactly that
//                                            rectangle: a stand-in for the desktop's preview window
//   probe child HWND                         the window's first child: class|title|style|client width x height
//   probe resize HWND WIDTH HEIGHT           gives the window that size, where it is
//   probe command HWND ID                    sends WM_COMMAND (BN_CLICKED) from control ID, as a click would
//   probe send HWND MESSAGE WPARAM LPARAM    sends any message (decimal or 0x numbers), prints the result
//   probe post HWND MESSAGE WPARAM LPARAM    posts it
//   probe first-child HWND                   the window's first child, 0 for none
//   probe ticks                              GetTickCount, the milliseconds the system's clock reads
//   probe close-box HWND                     the screen point at the middle of the caption's close box
//   probe platform                           GetVersionExA: platform id, major.minor
//   probe monitors                           one line per monitor: left,top,right,bottom
//   probe run COMMANDLINE                    starts a program with exactly this command line, waits for it and
//                                            prints its exit code (unsigned, so -1 is 4294967295), or
//                                            not-started-ERROR
// Exit code 2: bad arguments or nothing found.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

unsigned long long number(const char* text) { return std::strtoull(text, nullptr, 0); }
HWND window(const char* text) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(number(text))); }
unsigned long long decimal(HWND window) { return reinterpret_cast<UINT_PTR>(window); }

std::string hex(const char* bytes, int length) {
    std::string text;
    char pair[3];
    for (int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
        text += pair;
    }
    return text;
}

std::string captionHex(HWND window) {
    char caption[512];
    return hex(caption, GetWindowTextA(window, caption, sizeof caption));
}

struct Search {
    const char* wanted;
    HWND found;
};

BOOL CALLBACK matchCaption(HWND candidate, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (captionHex(candidate) != search->wanted) return TRUE;
    search->found = candidate;
    return FALSE;
}

int findCaption(const char* wanted, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        Search search{wanted, nullptr};
        EnumWindows(matchCaption, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            std::printf("%llu\n", decimal(search.found));
            return 0;
        }
        if (GetTickCount() - start >= timeout) return 2;
        Sleep(50);
    }
}

// Whether a static control holds a picture: "bitmap", "icon" or "-". (Its size is out of reach: GDI handles belong
// to their process.)
const char* picture(HWND control) {
    if (SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0)) return "bitmap";
    if (SendMessageA(control, STM_GETICON, 0, 0)) return "icon";
    return "-";
}

// Children in z-order, which for a dialog is the order of its template.
int controls(HWND parent) {
    if (!IsWindow(parent)) return 2;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[64];
        GetClassNameA(child, className, sizeof className);
        RECT rect;
        GetClientRect(child, &rect);
        MapWindowPoints(child, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        const std::string text = captionHex(child);
        std::printf("%d %s %08lx %08lx %ld,%ld,%ld,%ld %s %s\n", static_cast<short>(GetDlgCtrlID(child)), className,
                    static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
                    static_cast<unsigned long>(GetWindowLongA(child, GWL_EXSTYLE)), rect.left, rect.top, rect.right,
                    rect.bottom, text.empty() ? "-" : text.c_str(),
                    std::strcmp(className, "Static") == 0 ? picture(child) : "-");
    }
    return 0;
}

int host(const char* caption, DWORD style, int x, int y, int width, int height) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "OrbiskProbeHost";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(0, windowClass.lpszClassName, caption, style | WS_VISIBLE, x, y, width, height,
                                        nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 2;
    SetForegroundWindow(window);
    std::printf("%llu\n", decimal(window));
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

int child(HWND parent) {
    const HWND first = GetWindow(parent, GW_CHILD);
    if (!first) return 2;
    char className[64] = "", title[64] = "";
    GetClassNameA(first, className, sizeof className);
    GetWindowTextA(first, title, sizeof title);
    RECT client{};
    GetClientRect(first, &client);
    std::printf("%s|%s|%08lx|%ldx%ld\n", className, title, static_cast<unsigned long>(GetWindowLongA(first, GWL_STYLE)),
                client.right, client.bottom);
    return 0;
}

// Asks the window itself where its close box is: the middle of the points that it hit-tests as HTCLOSE.
int closeBox(HWND window) {
    RECT frame;
    if (!GetWindowRect(window, &frame)) return 2;
    long sumX = 0, sumY = 0, count = 0;
    for (long y = frame.top; y < frame.top + 40 && y < frame.bottom; y += 2)
        for (long x = frame.right - 64; x < frame.right; x += 2)
            if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) sumX += x, sumY += y, ++count;
    if (count == 0) return 2;
    std::printf("%ld %ld\n", sumX / count, sumY / count);
    return 0;
}

int placement(HWND window) {
    RECT frame;
    if (!GetWindowRect(window, &frame)) return 2;
    std::printf("%s %ld,%ld,%ld,%ld\n", IsIconic(window) ? "minimised" : "normal", frame.left, frame.top, frame.right,
                frame.bottom);
    return 0;
}

BOOL CALLBACK printMonitor(HMONITOR, HDC, LPRECT rect, LPARAM) {
    std::printf("%ld,%ld,%ld,%ld\n", rect->left, rect->top, rect->right, rect->bottom);
    return TRUE;
}

int platform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return 2;
    std::printf("%lu %lu.%lu\n", version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
    return 0;
}

// CreateProcessA with the bytes as given: the shell and Wine would quote a tab or a space.
int run(char* commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("not-started-%lu\n", GetLastError());
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("%lu\n", code);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY); // lines end in LF, for the scripts
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "find-caption" && argc == 4) return findCaption(argv[2], static_cast<DWORD>(number(argv[3])));
    if (verb == "controls" && argc == 3) return controls(window(argv[2]));
    if (verb == "owner" && argc == 3) return std::printf("%llu\n", decimal(GetWindow(window(argv[2]), GW_OWNER))), 0;
    if (verb == "foreground" && argc == 2) return std::printf("%llu\n", decimal(GetForegroundWindow())), 0;
    if (verb == "placement" && argc == 3) return placement(window(argv[2]));
    if (verb == "activate" && argc == 3) return SetForegroundWindow(window(argv[2])) ? 0 : 2;
    if (verb == "is-window" && argc == 3) return IsWindow(window(argv[2])) ? 0 : 1;
    if (verb == "host" && argc <= 3)
        return host(argc == 3 ? argv[2] : "Orbisk probe host", WS_OVERLAPPEDWINDOW, 20, 20, 200, 100);
    if (verb == "host-at" && argc == 6) {
        const auto at = [&](int k) { return static_cast<int>(number(argv[k])); };
        return host("Orbisk probe host", WS_POPUP, at(2), at(3), at(4), at(5));
    }
    if (verb == "child" && argc == 3) return child(window(argv[2]));
    if (verb == "resize" && argc == 5)
        return SetWindowPos(window(argv[2]), nullptr, 0, 0, static_cast<int>(number(argv[3])),
                            static_cast<int>(number(argv[4])), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 2;
    if (verb == "command" && argc == 4) {
        const HWND dialog = window(argv[2]);
        const int id = static_cast<int>(number(argv[3]));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        return 0;
    }
    if (verb == "send" && argc == 6) {
        const LRESULT result = SendMessageA(window(argv[2]), static_cast<UINT>(number(argv[3])),
                                            static_cast<WPARAM>(number(argv[4])), static_cast<LPARAM>(number(argv[5])));
        return std::printf("%lld\n", static_cast<long long>(result)), 0;
    }
    if (verb == "post" && argc == 6)
        return PostMessageA(window(argv[2]), static_cast<UINT>(number(argv[3])), static_cast<WPARAM>(number(argv[4])),
                            static_cast<LPARAM>(number(argv[5])))
                   ? 0
                   : 2;
    if (verb == "first-child" && argc == 3)
        return std::printf("%llu\n", decimal(GetWindow(window(argv[2]), GW_CHILD))), 0;
    if (verb == "ticks" && argc == 2) return std::printf("%lu\n", GetTickCount()), 0;
    if (verb == "close-box" && argc == 3) return closeBox(window(argv[2]));
    if (verb == "platform" && argc == 2) return platform();
    if (verb == "monitors" && argc == 2) return EnumDisplayMonitors(nullptr, nullptr, printMonitor, 0) ? 0 : 2;
    if (verb == "run" && argc == 3) return run(argv[2]);
    std::fprintf(stderr, "probe: unknown command or wrong arguments (see probe.cpp)\n");
    return 2;
}
