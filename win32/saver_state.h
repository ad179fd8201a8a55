// The state of one run of the saver window, in one value: the window's, the display's, the frame driver's and the
// simulation. It exists before the window does; the window reaches it through GWLP_USERDATA, given at creation.
#pragma once

#include <windows.h>

#include "sim/simulation.h"
#include "win32/display_setup.h"
#include "win32/frame_driver.h"
#include "win32/window_state.h"

namespace orbisk {

struct SaverState {
    WindowState window;
    DisplayState display;
    FrameDriverState frames;
    Simulation simulation;
};

// The state a saver window was created with (CreateWindowExA's creation data); null before WM_NCCREATE.
inline SaverState* saverStateOf(HWND window) {
    return reinterpret_cast<SaverState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

} // namespace orbisk
