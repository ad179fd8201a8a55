#include "sim/schedule.h"

#include <algorithm>
#include <ctime>

#include "sim/simulation.h"
#include "sim/tables.h"

namespace orbisk {
namespace {

constexpr std::int32_t PatternTenths = 100;
constexpr std::int32_t StageTenths = 3;

void fillBlock(FlowField& field, int row, int column, std::uint8_t code) {
    field.fillFlowCode(BlockSize * column, BlockSize * row, BlockSize, BlockSize, code);
}

std::time_t calendarSecond(const Simulation& simulation) {
    return simulation.calendar ? *simulation.calendar : std::time(nullptr);
}

} // namespace

void stampStage(FlowField& field, std::int32_t gridIndex, std::int32_t patternIndex, std::uint8_t stage) {
    const DirectionGrid& grid = DirectionGrids[static_cast<std::size_t>(gridIndex)];
    const StagePattern& pattern = StagePatterns[static_cast<std::size_t>(patternIndex)];
    for (int r = 0; r < BlockRows; ++r)
        for (int c = 0; c < BlockColumns; ++c)
            if (pattern[blockPosition(r, c)] == stage) fillBlock(field, r, c, grid[blockPosition(r, c)]);
}

void startSchedule(Simulation& simulation) {
    const std::int32_t t = elapsedTenths(simulation.clock);
    simulation.schedule = {.nextChangeTenths = t + PatternTenths,
                           .nextStageTenths = t + 1,
                           .gridIndex = 0,
                           .patternIndex = 0,
                           .stage = 0,
                           .lastStage = 0};
    stampStage(simulation.field, 0, 0, 1); // grid 0 is no flow everywhere, pattern 0 one stage of all blocks
}

void advanceSchedule(Simulation& simulation) {
    PatternSchedule& s = simulation.schedule;
    const std::int32_t t = elapsedTenths(simulation.clock);
    if (t >= s.nextChangeTenths) {
        // A change stamps nothing and leaves the stage ticks in their rhythm.
        s.nextChangeTenths = t + PatternTenths;
        RandomGenerator& generator = simulation.generator;
        generator.srand(static_cast<std::uint32_t>(calendarSecond(simulation)));
        s.gridIndex = generator.rand() & 0xFF;
        s.patternIndex = generator.rand() & 0x0F;
        s.stage = 0;
        const StagePattern& pattern = StagePatterns[static_cast<std::size_t>(s.patternIndex)];
        s.lastStage = *std::max_element(pattern.begin(), pattern.end());
    } else if (t >= s.nextStageTenths) {
        s.nextStageTenths = t + StageTenths;
        ++s.stage;
        if (s.stage <= s.lastStage) stampStage(simulation.field, s.gridIndex, s.patternIndex, s.stage);
    }
}

void rebaseSchedule(PatternSchedule& schedule, std::int32_t tenths) {
    schedule.nextChangeTenths -= tenths;
    schedule.nextStageTenths -= tenths;
}

} // namespace orbisk
