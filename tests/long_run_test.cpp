// The frame clock over long runs: the patterns keep changing every ten seconds across the wrap of the 32-bit tick
// count and beyond 49.7 days, and the rebasing of the clock is invisible to the schedule.
#include <vector>

#include "tests/field_fixture.h"
#include "tests/golden_values.h"

namespace orbisk::testing {
namespace {

class LongRun : public FieldTest {
protected:
    void SetUp() override { sim.calendar = &second; }
    const std::time_t second = DefaultEpoch;

    // The schedule's part of a frame at `tick`; true when it made a pattern change.
    bool scheduleFrame(std::uint32_t tick) {
        const std::int32_t due = sim.schedule.nextChangeTenths;
        advanceFrameClock(sim, tick);
        advanceSchedule(sim);
        return sim.schedule.nextChangeTenths != due;
    }
};

TEST_F(LongRun, PatternsChangeEveryTenSecondsAcrossTheTickWrapAndTheRebases) {
    const std::uint32_t start = 0xFFFFFFFFu - 3000; // three seconds before the tick count wraps
    startSimulation(sim, start);
    std::vector<std::uint32_t> changes; // milliseconds since the start
    for (std::uint32_t ms = 20; ms <= 3 * ClockRebaseMilliseconds + 60000; ms += 20) {
        if (scheduleFrame(start + ms)) changes.push_back(ms);
        ASSERT_LT(start + ms - sim.clock.tickBase, ClockRebaseMilliseconds) << "no rebase by " << ms << " ms";
    }
    ASSERT_EQ(changes.size(), 3u * 360 + 6);
    for (std::size_t k = 1; k < changes.size(); ++k) {
        // A change is due 100 tenths after the frame of the last one; with a frame every 20 ms it comes in the
        // first frame that reaches it, so the rhythm is ten seconds, give or take the float's rounding of a tenth.
        const std::uint32_t interval = changes[k] - changes[k - 1];
        ASSERT_TRUE(interval >= 9980 && interval <= 10040) << "interval " << interval << " ms ending at " << changes[k];
    }
}

TEST_F(LongRun, SixtyDaysOfTenSecondFramesChangeThePatternInEveryFrame) {
    const std::uint32_t start = 123456789;
    startSimulation(sim, start);
    constexpr std::uint32_t Frames = 60u * 24 * 360;
    std::uint32_t changes = 0;
    for (std::uint32_t k = 1; k <= Frames; ++k) changes += scheduleFrame(start + k * 10000u);
    EXPECT_EQ(changes, Frames);
}

TEST(FrameClock, FiftyDaysOfTicksGiveTheGoldenChecksum) { EXPECT_EQ(frameClockSweep(), FrameClockSweepChecksum); }

} // namespace
} // namespace orbisk::testing
