// The command line of orbisk-x11, which follows the conventions of XScreenSaver's hacks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"

namespace orbisk {

enum class HackWindow {
    Own,        // a window of its own
    Fullscreen, // a window of its own, over the whole screen
    Root,       // the root window
    Given,      // a window made by someone else, named by its id
};

struct HackOptions {
    HackWindow window = HackWindow::Own;
    std::uint32_t windowId = 0; // for HackWindow::Given
    std::string display;        // empty: $DISPLAY
    bool printFps = false;
    bool useShm = true;
    std::uint32_t fixedClockFps = 0; // 0: the real clock
    std::uint64_t frames = 0;        // 0: until stopped
    std::uint32_t scale = 0;         // each picture pixel as scale × scale pixels; 0: the largest that fits
    bool printVersion = false;
};

using ParsedHackCommand = ParsedCommand<HackOptions>;

// `screensaverWindow` is the value of XSCREENSAVER_WINDOW, if it is set. A window id given on the command line
// comes first, then that variable (an XScreenSaver-style daemon sets it and may also pass --root), then --root.
ParsedHackCommand parseHackCommand(const std::vector<std::string>& arguments,
                                   const std::optional<std::string>& screensaverWindow);

// A window id as X clients write them: decimal, or hexadecimal after 0x; X's ids are 29 bits and never 0.
std::optional<std::uint32_t> parseWindowId(const std::string& text);

extern const char HackUsage[];

// "orbisk-x11 " and the version, with a line end.
extern const char HackVersion[];

} // namespace orbisk
