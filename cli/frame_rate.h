// What the programs that show frames (orbisk-x11, orbisk-wayland) share: the clock they show them by, and the line
// of frames per second that --fps prints.
#pragma once

#include <cstdint>

namespace orbisk {

// Milliseconds of the monotonic clock; like the Windows tick count it wraps, which the frame clock allows for.
std::uint32_t monotonicMilliseconds();

// "PROGRAM: N.N frames/s" on standard error once a second, counted from the frames shown.
class FrameRateLine {
public:
    FrameRateLine(const char* program, std::uint32_t now) : program_(program), since_(now) {}

    void frameShown(std::uint32_t now);

private:
    const char* program_;
    std::uint32_t since_;
    std::uint32_t frames_ = 0;
};

} // namespace orbisk
