// The frame protocol that every driver of the simulation follows: the display set-up starts the clock and seeds
// the field; each frame reads the clock, then runs the schedule and the particle step, which plots the picture.
#pragma once

#include <cstdint>

namespace orbisk {

// `tick` is the millisecond tick count at which the picture became ready.
void startSimulation(std::uint32_t tick);

// One frame at millisecond tick count `tick`; the picture must be locked into the frame target.
void simulateFrame(std::uint32_t tick);

// The frame clock's first step of a frame: elapsed seconds since the start, from the tick count.
//
// The clock is a 32-bit millisecond difference read through a float: left alone it would wrap to 0 after 49.7 days
// (and the schedule would wait another 49.7 days for its next change), and the float would coarsen the tenths long
// before. So every hour of running, the clock's origin and the schedule's due times move forward together by whole
// hours: the schedule sees the same intervals, and a run shorter than an hour is not touched at all.
void advanceFrameClock(std::uint32_t tick);

inline constexpr std::uint32_t ClockRebaseMilliseconds = 3600 * 1000;

} // namespace orbisk
