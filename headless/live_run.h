// The saver's run in a program that shows it on a screen (orbisk-x11, orbisk-wayland): one simulation, on the real
// clock (the millisecond tick at which each frame is drawn) or, so that its frames are orbisk-render's, on the
// renderer's FixedClock from DefaultEpoch.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "headless/headless.h"
#include "sim/simulation.h"

namespace orbisk {

class LiveRun {
public:
    // Started at tick `now`; `fixedClockFps` 0 is the real clock.
    LiveRun(std::uint32_t fixedClockFps, std::uint32_t now);
    LiveRun(const LiveRun&) = delete; // the simulation reads the fixed clock's calendar where it is
    LiveRun& operator=(const LiveRun&) = delete;

    Simulation& simulation() { return *simulation_; }
    // The tick of the frame that is drawn at `now`.
    std::uint32_t frameTick(std::uint32_t now) { return fixedClock_ ? fixedClock_->nextFrame() : now; }

private:
    std::optional<FixedClock> fixedClock_;
    std::unique_ptr<Simulation> simulation_;
};

} // namespace orbisk
