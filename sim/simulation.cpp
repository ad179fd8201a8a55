#include "sim/simulation.h"

namespace orbisk {

std::int32_t elapsedTenths(const FrameClock& clock) {
    return static_cast<std::int32_t>(static_cast<double>(clock.elapsedSeconds) * 10.0);
}

void seedField(Simulation& simulation) {
    ++simulation.seedings;
    simulation.field.seed();
    startSchedule(simulation);
}

void startSimulation(Simulation& simulation, std::uint32_t tick) {
    simulation.clock = {.tickBase = tick, .elapsedSeconds = 0.0f};
    seedField(simulation);
}

void advanceFrameClock(Simulation& simulation, std::uint32_t tick) {
    FrameClock& clock = simulation.clock;
    // The unsigned difference makes the wrap of the tick count harmless.
    std::uint32_t elapsed = tick - clock.tickBase;
    if (elapsed >= ClockRebaseMilliseconds) {
        const std::uint32_t shift = elapsed / ClockRebaseMilliseconds * ClockRebaseMilliseconds;
        clock.tickBase += shift;
        elapsed -= shift;
        rebaseSchedule(simulation.schedule, static_cast<std::int32_t>(shift / 100));
    }
    clock.elapsedSeconds = static_cast<float>(elapsed) * 0.001f;
}

} // namespace orbisk
