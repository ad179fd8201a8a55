// The frame protocol that every driver of the simulation follows: the display set-up starts the clock and seeds
// the field; each frame reads the clock, then runs the schedule and the particle step, which plots the picture.
#pragma once

#include <cstdint>

namespace orbisk {

// `tick` is the millisecond tick count at which the picture became ready.
void startSimulation(std::uint32_t tick);

// One frame at millisecond tick count `tick`; the picture must be locked into the frame target.
void simulateFrame(std::uint32_t tick);

} // namespace orbisk
