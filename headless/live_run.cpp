#include "headless/live_run.h"

namespace orbisk {

LiveRun::LiveRun(std::uint32_t fixedClockFps, std::uint32_t now) : simulation_(std::make_unique<Simulation>()) {
    if (fixedClockFps == 0) {
        startSimulation(*simulation_, now);
        return;
    }
    fixedClock_.emplace(fixedClockFps, DefaultEpoch);
    simulation_->calendar = fixedClock_->calendar();
    startSimulation(*simulation_, 0);
}

} // namespace orbisk
