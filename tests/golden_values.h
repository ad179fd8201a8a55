// The golden values that pin the simulation, checked by the native tests and by the 32-bit Windows build's: a
// change of any of them means the saver no longer gives the pictures it gave.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "sim/simulation.h"

namespace orbisk {

// stateHash of the renderer's run (60 frames a second, calendar from 1,000,000,000) after its first frame, and after
// a minute of frames.
inline constexpr std::uint64_t FirstFrameStateHash = 0x51884402315fe6c5;
inline constexpr std::uint64_t MinuteStateHash = 0x6396d435231831dc;

// The frame clock read at every millisecond a saver could see, reduced to one checksum: the clock is the core's
// only floating point (a float multiply from ticks to seconds, a double multiply from seconds to tenths), so this is
// where the 32-bit Windows build, which computes on the x87, could part from the native one.
inline constexpr std::uint64_t FrameClockSweepChecksum = 0x0f5eff18198b6523;

// Every tick of the first 2^24 milliseconds (4.66 hours: each value the clock can hand to its float, several times
// over), then every 4093rd tick on through the wrap of the 32-bit tick count, as a saver running for fifty days
// would read them. Checksum (FNV-1a, 64 bits) of the float's bits and the whole tenths at each tick.
inline std::uint64_t frameClockSweep() {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto mix = [&hash](std::uint32_t word) {
        for (int b = 0; b < 4; ++b) hash = (hash ^ ((word >> (8 * b)) & 0xFF)) * 0x100000001b3ull;
    };
    const auto simulation = std::make_unique<Simulation>();
    const auto readAt = [&mix, &simulation](std::uint32_t tick) {
        advanceFrameClock(*simulation, tick);
        std::uint32_t bits;
        std::memcpy(&bits, &simulation->clock.elapsedSeconds, sizeof bits);
        mix(bits);
        mix(static_cast<std::uint32_t>(elapsedTenths(simulation->clock)));
    };
    startSimulation(*simulation, 0);
    constexpr std::uint64_t Exhaustive = std::uint64_t{1} << 24;
    for (std::uint64_t tick = 0; tick < Exhaustive; ++tick) readAt(static_cast<std::uint32_t>(tick));
    for (std::uint64_t tick = Exhaustive; tick < (std::uint64_t{1} << 32) + Exhaustive; tick += 4093)
        readAt(static_cast<std::uint32_t>(tick));
    return hash;
}

} // namespace orbisk
