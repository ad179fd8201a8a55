// The flow pattern schedule: every ten seconds a random direction grid and stage pattern are chosen, and the
// grid's codes are stamped into the direction map one stage every three tenths of a second.
#pragma once

#include <cstdint>

namespace orbisk {

class FlowField;
struct Simulation;

struct PatternSchedule {
    std::int32_t nextChangeTenths;
    std::int32_t nextStageTenths;
    std::int32_t gridIndex;
    std::int32_t patternIndex;
    std::uint8_t stage;     // 0 right after a change; counts on past the last stage
    std::uint8_t lastStage; // highest stage of the current pattern; 0 after the start
};

void startSchedule(Simulation& simulation);
void advanceSchedule(Simulation& simulation);

// Moves the due times back by `tenths`, as the frame clock's origin moves forward by as much.
void rebaseSchedule(PatternSchedule& schedule, std::int32_t tenths);

// Writes the grid's code into every cell of each block whose stage in the pattern equals `stage`.
void stampStage(FlowField& field, std::int32_t gridIndex, std::int32_t patternIndex, std::uint8_t stage);

} // namespace orbisk
