// The frame clock read at every millisecond a saver could see, reduced to one checksum: the clock is the core's
// only floating point (a float multiply from ticks to seconds, a double multiply from seconds to tenths), so this is
// where the 32-bit Windows build, which computes on the x87, could part from the native one. Both test it against
// the same golden value.
#pragma once

#include <cstdint>
#include <cstring>

#include "sim/field.h"
#include "sim/frame.h"
#include "headless/headless.h"

namespace orbisk {

inline constexpr std::uint64_t FrameClockSweepChecksum = 0x0f5eff18198b6523;

// Every tick of the first 2^24 milliseconds (4.66 hours: each value the clock can hand to its float, several times
// over), then every 4093rd tick on through the wrap of the 32-bit tick count, as a saver running for fifty days
// would read them. Checksum (FNV-1a, 64 bits) of the float's bits and the whole tenths at each tick.
inline std::uint64_t frameClockSweep() {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto mix = [&hash](std::uint32_t word) {
        for (int b = 0; b < 4; ++b) hash = (hash ^ ((word >> (8 * b)) & 0xFF)) * 0x100000001b3ull;
    };
    const auto readAt = [&mix](std::uint32_t tick) {
        advanceFrameClock(tick);
        std::uint32_t bits;
        std::memcpy(&bits, &frameClock.elapsedSeconds, sizeof bits);
        mix(bits);
        mix(static_cast<std::uint32_t>(elapsedTenths()));
    };
    resetSimulation();
    startSimulation(0);
    constexpr std::uint64_t Exhaustive = std::uint64_t{1} << 24;
    for (std::uint64_t tick = 0; tick < Exhaustive; ++tick) readAt(static_cast<std::uint32_t>(tick));
    for (std::uint64_t tick = Exhaustive; tick < (std::uint64_t{1} << 32) + Exhaustive; tick += 4093)
        readAt(static_cast<std::uint32_t>(tick));
    return hash;
}

} // namespace orbisk
