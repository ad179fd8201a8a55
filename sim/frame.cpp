#include "sim/frame.h"

#include "sim/field.h"
#include "sim/schedule.h"

namespace orbisk {

void startSimulation(std::uint32_t tick) {
    frameClock.elapsedSeconds = 0.0f;
    frameClock.tickBase = tick;
    seedField();
}

void simulateFrame(std::uint32_t tick) {
    // The unsigned difference makes the wrap of the tick count harmless.
    frameClock.elapsedSeconds = static_cast<float>(tick - frameClock.tickBase) * 0.001f;
    advanceSchedule();
    flowField.stepParticles();
}

} // namespace orbisk
