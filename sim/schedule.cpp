#include "sim/schedule.h"

#include <algorithm>

#include "sim/field.h"
#include "sim/random.h"
#include "sim/tables.h"

namespace orbisk {
namespace {

constexpr std::int32_t PatternTenths = 100;
constexpr std::int32_t StageTenths = 3;

std::time_t systemCalendar() { return std::time(nullptr); }

constinit CalendarClock calendarClock = systemCalendar;

void fillBlock(int row, int column, std::uint8_t code) {
    flowField.fillFlowCode(BlockSize * column, BlockSize * row, BlockSize, BlockSize, code);
}

} // namespace

PatternSchedule patternSchedule;

void setCalendarClock(CalendarClock clock) { calendarClock = clock ? clock : systemCalendar; }

void stampStage(std::int32_t gridIndex, std::int32_t patternIndex, std::uint8_t stage) {
    const DirectionGrid& grid = DirectionGrids[static_cast<std::size_t>(gridIndex)];
    const StagePattern& pattern = StagePatterns[static_cast<std::size_t>(patternIndex)];
    for (int r = 0; r < BlockRows; ++r)
        for (int c = 0; c < BlockColumns; ++c)
            if (pattern[blockPosition(r, c)] == stage) fillBlock(r, c, grid[blockPosition(r, c)]);
}

void startSchedule() {
    const std::int32_t t = elapsedTenths();
    patternSchedule = {.nextChangeTenths = t + PatternTenths,
                       .nextStageTenths = t + 1,
                       .gridIndex = 0,
                       .patternIndex = 0,
                       .stage = 0,
                       .lastStage = 0};
    stampStage(0, 0, 1); // grid 0 is no flow everywhere, pattern 0 one stage of all blocks
}

void advanceSchedule() {
    PatternSchedule& s = patternSchedule;
    const std::int32_t t = elapsedTenths();
    if (t >= s.nextChangeTenths) {
        // A change stamps nothing and leaves the stage ticks in their rhythm.
        s.nextChangeTenths = t + PatternTenths;
        srand(static_cast<std::uint32_t>(calendarClock()));
        s.gridIndex = rand() & 0xFF;
        s.patternIndex = rand() & 0x0F;
        s.stage = 0;
        const StagePattern& pattern = StagePatterns[static_cast<std::size_t>(s.patternIndex)];
        s.lastStage = *std::max_element(pattern.begin(), pattern.end());
    } else if (t >= s.nextStageTenths) {
        s.nextStageTenths = t + StageTenths;
        ++s.stage;
        if (s.stage <= s.lastStage) stampStage(s.gridIndex, s.patternIndex, s.stage);
    }
}

void rebaseSchedule(std::int32_t tenths) {
    patternSchedule.nextChangeTenths -= tenths;
    patternSchedule.nextStageTenths -= tenths;
}

} // namespace orbisk
