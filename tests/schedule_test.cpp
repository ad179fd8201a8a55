// Pattern changes and stage ticks as the frame clock advances.
#include <algorithm>

#include "sim/random.h"
#include "sim/tables.h"
#include "tests/field_fixture.h"

namespace orbisk::testing {
namespace {

// The calendar second at which a change picks the given stage pattern.
std::time_t secondChoosingPattern(int pattern) {
    RandomGenerator generator;
    for (std::uint32_t second = 0;; ++second) {
        generator.srand(second);
        const int grid = generator.rand() & 0xFF;
        if ((generator.rand() & 0x0F) == pattern && grid != 0) return second;
    }
}

class Schedule : public FieldTest {
protected:
    void SetUp() override {
        sim.calendar = &fixedSecond;
        seed();
    }

    std::time_t fixedSecond = DefaultEpoch;

    void frameAt(std::int32_t tenths) {
        sim.clock.elapsedSeconds = static_cast<float>(tenths) / 10.0f + 0.001f;
        ASSERT_EQ(elapsedTenths(sim.clock), tenths);
        advanceSchedule(sim);
    }

    std::uint8_t codeOfBlock(int r, int c) { return field.flowCode(40 * c + 7, 40 * r + 33); }

    bool mapUniform(std::uint8_t code) {
        return std::ranges::all_of(field.directionMap(), [code](std::uint8_t v) { return v == code; });
    }
};

TEST_F(Schedule, StartsHoldingWithNoFlowForTenSeconds) {
    const PatternSchedule& s = sim.schedule;
    EXPECT_EQ(s.nextChangeTenths, 100);
    EXPECT_EQ(s.nextStageTenths, 1);
    EXPECT_EQ(s.lastStage, 0);
    std::vector<std::int32_t> ticks;
    for (std::int32_t t = 1; t < 100; ++t) {
        const std::uint8_t before = s.stage;
        frameAt(t);
        if (s.stage != before) ticks.push_back(t);
    }
    EXPECT_TRUE(mapUniform(NoFlow));
    ASSERT_EQ(ticks.size(), 33u);
    for (std::size_t k = 0; k < ticks.size(); ++k) EXPECT_EQ(ticks[k], static_cast<std::int32_t>(1 + 3 * k));
}

TEST_F(Schedule, ChangeFrameOnlyChangesAndTheTickFollows) {
    for (std::int32_t t = 1; t < 100; ++t) frameAt(t);
    const PatternSchedule& s = sim.schedule;
    ASSERT_EQ(s.nextStageTenths, 100); // the tick that fell due with the change
    frameAt(100);
    EXPECT_EQ(s.gridIndex, 254);
    EXPECT_EQ(s.patternIndex, 8);
    EXPECT_EQ(s.stage, 0);
    EXPECT_EQ(s.lastStage, 16);
    EXPECT_EQ(s.nextChangeTenths, 200);
    EXPECT_EQ(s.nextStageTenths, 100);
    EXPECT_TRUE(mapUniform(NoFlow)); // a change stamps nothing

    frameAt(101); // stage 1 of pattern 8: block columns 0
    EXPECT_EQ(s.stage, 1);
    EXPECT_EQ(s.nextStageTenths, 104);
    for (int r = 0; r < 12; ++r) {
        EXPECT_EQ(codeOfBlock(r, 0), DirectionGrids[254][blockPosition(r, 0)]);
        EXPECT_EQ(codeOfBlock(r, 15), NoFlow); // stage 2
    }
    frameAt(103);
    EXPECT_EQ(codeOfBlock(0, 15), NoFlow);
    frameAt(104);
    EXPECT_EQ(s.stage, 2);
    EXPECT_EQ(codeOfBlock(0, 15), DirectionGrids[254][blockPosition(0, 15)]);
}

TEST_F(Schedule, CalendarSecondPicksThePair) {
    fixedSecond = 0;
    frameAt(100);
    EXPECT_EQ(sim.schedule.gridIndex, 38);
    EXPECT_EQ(sim.schedule.patternIndex, 7);
    // The next change counts from its own frame, not from the old due time.
    frameAt(250);
    EXPECT_EQ(sim.schedule.nextChangeTenths, 350);
}

TEST_F(Schedule, RevealsStageByStageUntilNoOldCodeIsLeft) {
    fixedSecond = secondChoosingPattern(1);
    frameAt(100);
    const std::int32_t grid = sim.schedule.gridIndex;
    ASSERT_EQ(sim.schedule.patternIndex, 1);
    frameAt(101);
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 16; ++c)
            ASSERT_EQ(codeOfBlock(r, c),
                      (r + c) % 2 ? NoFlow : DirectionGrids[static_cast<std::size_t>(grid)][blockPosition(r, c)]);
    frameAt(104);
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 16; ++c)
            ASSERT_EQ(codeOfBlock(r, c), DirectionGrids[static_cast<std::size_t>(grid)][blockPosition(r, c)]);
    EXPECT_EQ(sim.schedule.stage, 2);
    frameAt(107); // holding: stages past the last stamp nothing
    EXPECT_EQ(sim.schedule.stage, 3);

    // Every cell, not only the sampled ones, now holds the grid's code of its block.
    for (std::int32_t x = 0; x < 640; ++x)
        for (std::int32_t y = 0; y < 480; ++y)
            ASSERT_EQ(field.flowCode(x, y),
                      DirectionGrids[static_cast<std::size_t>(grid)][blockPosition(y / 40, x / 40)]);
}

TEST_F(Schedule, WholePatternInOneTick) {
    fixedSecond = secondChoosingPattern(0);
    frameAt(100);
    frameAt(101);
    EXPECT_TRUE(std::ranges::all_of(field.directionMap(), [](std::uint8_t v) { return v < 8; }));
    EXPECT_EQ(sim.schedule.lastStage, 1);
}

TEST_F(Schedule, LateFramesStampOneStageAndRestartTheRhythm) {
    frameAt(100); // pattern 8, sixteen column stages
    frameAt(101);
    ASSERT_EQ(sim.schedule.stage, 1);
    frameAt(121); // two seconds late: one stage only
    EXPECT_EQ(sim.schedule.stage, 2);
    EXPECT_EQ(sim.schedule.nextStageTenths, 124);
    EXPECT_EQ(codeOfBlock(0, 15), DirectionGrids[254][blockPosition(0, 15)]);
    EXPECT_EQ(codeOfBlock(0, 1), NoFlow);
    frameAt(123);
    EXPECT_EQ(sim.schedule.stage, 2);
    // A change that falls due in a late frame takes the place of the tick.
    frameAt(230);
    EXPECT_EQ(sim.schedule.stage, 0);
    EXPECT_EQ(sim.schedule.nextChangeTenths, 330);
    EXPECT_EQ(sim.schedule.nextStageTenths, 124);
}

TEST_F(Schedule, StampOfAnAbsentStageWritesNothing) {
    const DirectionMap before = field.directionMap();
    stampStage(field, 5, 0, 0);
    stampStage(field, 5, 0, 2);  // pattern 0 has only stage 1
    stampStage(field, 5, 1, 16); // pattern 1 has two
    EXPECT_TRUE(field.directionMap() == before);
    stampStage(field, 5, 0, 1);
    EXPECT_TRUE(mapUniform(5));
}

TEST_F(Schedule, TenthsBoundaryOfTheFirstChange) {
    sim.clock.elapsedSeconds = 9.99f;
    advanceSchedule(sim);
    EXPECT_EQ(sim.schedule.lastStage, 0);
    sim.clock.elapsedSeconds = 10.0f;
    advanceSchedule(sim);
    EXPECT_EQ(sim.schedule.lastStage, 16);
}

} // namespace
} // namespace orbisk::testing
