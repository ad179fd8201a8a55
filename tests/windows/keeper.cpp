// Keeps a Wine session's desktop up for as long as the session lasts: an invisible window with a message loop.
// Wine's background programs start under it (so they hold none of a test's output), and a program that ends while
// it runs is gone at once instead of after the server's linger.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "OrbiskTestKeeper";
    RegisterClassA(&windowClass);
    CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    std::puts("ready"); // the desktop is up: the session may start its tests
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
