// The window orbisk-x11 draws in: its own, the root window, or one that someone else made.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <string>

#include "x11/hack_options.h"
#include "x11/visual_format.h"

namespace orbisk {

struct HackWindowState {
    Window window = None;
    bool own = false;
    Visual* visual = nullptr;
    int depth = 0;
    DrawingFormat format{};
    std::uint32_t width = 0, height = 0;
    Colormap palette = None;  // made for the 3-3-2 palette at 8 bits
    Colormap borrowed = None; // of a window made by someone else that now holds the palette: put back at the end
    // A window of its own closes on the window manager's WM_PROTOCOLS message of WM_DELETE_WINDOW.
    Atom protocols = None, deleteWindow = None;
};

// Finds or makes the window, checks that its visual can be drawn on, gives it the palette when it needs one and
// asks for its structure, exposure and (own window) close events. Empty, with `error` set, when that fails.
std::optional<HackWindowState> openHackWindow(Display* display, const HackOptions& options, std::string& error);

// Destroys what openHackWindow made and gives a window made by someone else its colormap back.
void closeHackWindow(Display* display, const HackWindowState& state);

// The screen's refresh rate if the server tells it (RandR), else 0.
std::uint32_t serverRefreshRate(Display* display, Window window);

} // namespace orbisk
