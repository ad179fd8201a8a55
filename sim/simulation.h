// One run of the simulation as a value: the generator, the field with its particles, the frame clock, the pattern
// schedule and the calendar that a pattern change reads. Runs share nothing but the constant tables, so any number
// of them may live side by side.
//
// The frame protocol that every driver follows: the display set-up starts the clock and seeds the field; each frame
// reads the clock, then runs the schedule and the particle step, which hands the particles to the picture.
#pragma once

#include <cstdint>
#include <ctime>

#include "sim/field.h"
#include "sim/random.h"
#include "sim/schedule.h"
#include "sim/step.h"

namespace orbisk {

struct FrameClock {
    std::uint32_t tickBase; // millisecond tick count when the display was set up
    float elapsedSeconds;   // seconds since then, advanced once per frame
};

// Whole tenths of a second since the display was set up.
std::int32_t elapsedTenths(const FrameClock& clock);

struct Simulation {
    RandomGenerator generator; // at its initial state; the field's ring is drawn from it
    FlowField field{generator};
    FrameClock clock{};
    PatternSchedule schedule{};
    // The calendar second that reseeds the generator at each pattern change: the system's clock when null, else the
    // second it points at, which a reproducible run keeps in step with its own clock.
    const std::time_t* calendar = nullptr;
    std::uint64_t seedings = 0; // a picture drawn before the last seeding shows another field
};

// The field seeded and the schedule started.
void seedField(Simulation& simulation);

// `tick` is the millisecond tick count at which the picture became ready.
void startSimulation(Simulation& simulation, std::uint32_t tick);

// The frame clock's first step of a frame: elapsed seconds since the start, from the tick count.
//
// The clock is a 32-bit millisecond difference read through a float: left alone it would wrap to 0 after 49.7 days
// (and the schedule would wait another 49.7 days for its next change), and the float would coarsen the tenths long
// before. So every hour of running, the clock's origin and the schedule's due times move forward together by whole
// hours: the schedule sees the same intervals, and a run shorter than an hour is not touched at all.
void advanceFrameClock(Simulation& simulation, std::uint32_t tick);

inline constexpr std::uint32_t ClockRebaseMilliseconds = 3600 * 1000;

// One frame at millisecond tick count `tick`, drawn by `draw` (step.h).
template <typename Draw>
void simulateFrame(Simulation& simulation, std::uint32_t tick, const Draw& draw) {
    advanceFrameClock(simulation, tick);
    advanceSchedule(simulation);
    simulation.field.stepParticles(draw);
}

} // namespace orbisk
