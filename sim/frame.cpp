#include "sim/frame.h"

#include "sim/field.h"
#include "sim/schedule.h"

namespace orbisk {

void startSimulation(std::uint32_t tick) {
    frameClock.elapsedSeconds = 0.0f;
    frameClock.tickBase = tick;
    seedField();
}

void advanceFrameClock(std::uint32_t tick) {
    // The unsigned difference makes the wrap of the tick count harmless.
    std::uint32_t elapsed = tick - frameClock.tickBase;
    if (elapsed >= ClockRebaseMilliseconds) {
        const std::uint32_t shift = elapsed / ClockRebaseMilliseconds * ClockRebaseMilliseconds;
        frameClock.tickBase += shift;
        elapsed -= shift;
        rebaseSchedule(static_cast<std::int32_t>(shift / 100));
    }
    frameClock.elapsedSeconds = static_cast<float>(elapsed) * 0.001f;
}

void simulateFrame(std::uint32_t tick) {
    advanceFrameClock(tick);
    advanceSchedule();
    flowField.stepParticles();
}

} // namespace orbisk
