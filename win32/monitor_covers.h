// The monitors beside the primary one. The full-screen saver draws on the primary monitor, where DirectDraw's
// primary surface is, and covers every other monitor with a black window of its own whose input is the saver's.
#pragma once

#include <windows.h>

namespace orbisk {

inline constexpr int MaxOtherMonitors = 15;

struct Monitors {
    RECT primary = {};
    RECT others[MaxOtherMonitors] = {};
    int otherCount = 0; // 0 also where the system cannot enumerate its monitors (Windows 95, NT 4)
};

Monitors findMonitors();

// Black topmost windows over the other monitors. They are owned by the saver window, so they go with it; they never
// take the activation, and every input message that reaches them is handed to the saver window.
void coverOtherMonitors(HWND saverWindow, const Monitors& monitors);

} // namespace orbisk
