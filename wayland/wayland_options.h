// The command line of orbisk-wayland: the options of orbisk-x11 that a Wayland client can have, with the same
// limits and messages, and --idle, which waits for the seat to be idle itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/arguments.h"

namespace orbisk {

struct WaylandOptions {
    bool printFps = false;
    std::uint32_t fixedClockFps = 0; // 0: the real clock
    std::uint64_t frames = 0;        // 0: until stopped
    std::uint32_t scale = 0;         // each picture pixel as scale × scale pixels; 0: the largest that fits
    std::uint32_t idleSeconds = 0;   // 0: show the picture at once; else each time the seat has been idle this long
    bool printVersion = false;
};

using ParsedWaylandCommand = ParsedCommand<WaylandOptions>;

// The compositor counts idleness in 32-bit milliseconds.
inline constexpr long long LargestIdleSeconds = 0xFFFFFFFFLL / 1000;

ParsedWaylandCommand parseWaylandCommand(const std::vector<std::string>& arguments);

extern const char WaylandUsage[];

// "orbisk-wayland " and the version, with a line end.
extern const char WaylandVersion[];

} // namespace orbisk
