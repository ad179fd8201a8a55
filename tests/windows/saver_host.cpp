// saver_host: a stand-in for the desktop's display-settings page, whose window holds the saver's preview.
//
//   saver_host show X Y WIDTH HEIGHT   a visible top-level window with that client rectangle on the screen; prints
//                                      its handle in decimal, then "destroyed" when the window is gone, and runs
//                                      until killed (so the window's end, not the process's, is what the saver sees)
//   saver_host close HWND              sends WM_CLOSE to the window, which destroys it and its children
//   saver_host child HWND              the window's first child: class, title, style and client size
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        std::printf("destroyed\n");
        std::fflush(stdout);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int show(int x, int y, int width, int height) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = hostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "OrbiskSaverHost";
    if (!RegisterClassA(&windowClass)) return 2;
    const HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Orbisk saver host", WS_POPUP | WS_VISIBLE, x, y,
                                        width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 2;
    SetForegroundWindow(window);
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 6 && !std::strcmp(argv[1], "show"))
        return show(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    if (argc == 3 && !std::strcmp(argv[1], "close")) {
        const auto window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(argv[2], nullptr, 10)));
        return IsWindow(window) && SendMessageA(window, WM_CLOSE, 0, 0) == 0 ? 0 : 2;
    }
    if (argc == 3 && !std::strcmp(argv[1], "child")) {
        const auto window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(argv[2], nullptr, 10)));
        const HWND child = GetWindow(window, GW_CHILD);
        if (!child) return 2;
        char className[64] = "", title[64] = "";
        GetClassNameA(child, className, sizeof className);
        GetWindowTextA(child, title, sizeof title);
        RECT client{};
        GetClientRect(child, &client);
        std::printf("%s|%s|%08lx|%ldx%ld\n", className, title, static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
                    client.right, client.bottom);
        return 0;
    }
    std::fprintf(stderr, "usage: saver_host show X Y WIDTH HEIGHT | close HWND | child HWND\n");
    return 2;
}
