// The generator, the random ring, the frame clock's tenths and the seeded layout.
#include <algorithm>
#include <numeric>

#include "sim/random.h"
#include "sim/tables.h"
#include "tests/field_fixture.h"

namespace orbisk::testing {
namespace {

TEST(Generator, FollowsTheSystemsOwnRule) {
    RandomGenerator generator;
    for (const int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(generator.rand(), expected);
    generator.srand(1);
    EXPECT_EQ(generator.rand(), 41);
    // The result is bits 16 to 30 of the new state: from state 0x7FFFFFFF the next is 0x80235AC6, whose top bit
    // is dropped.
    generator.srand(0x7FFFFFFFu);
    EXPECT_EQ(generator.rand(), 35);
}

TEST(FrameClock, CountsWholeTenthsTruncated) {
    const std::pair<float, std::int32_t> cases[] = {{0.0f, 0}, {0.96f, 9}, {9.99f, 99}, {10.0f, 100}, {0.3f, 3}};
    for (auto [seconds, tenths] : cases) EXPECT_EQ(elapsedTenths({0, seconds}), tenths) << seconds << " s";
}

using SeededField = FieldTest;

TEST_F(SeededField, RingIsFilledFromTheGeneratorsInitialState) {
    const std::uint8_t first[] = {0x29, 0x23, 0xBE, 0x84, 0xE1, 0x6C, 0xD6, 0xAE, 0x52, 0x90};
    for (std::size_t k = 0; k < std::size(first); ++k) EXPECT_EQ(field.ring.bytes[k], first[k]) << "byte " << k;
    RandomGenerator generator;
    for (std::size_t k = 0; k < 256; ++k)
        ASSERT_EQ(field.ring.bytes[k], static_cast<std::uint8_t>(generator.rand())) << "byte " << k;
    EXPECT_EQ(field.ring.cursor, 0);
}

TEST_F(SeededField, FrameClockReadsTheTickDifferenceAcrossTheWrap) {
    startSimulation(sim, 0xFFFFFF00u);
    frame(0x000000F0u); // 0x1F0 = 496 ms after the start
    EXPECT_EQ(sim.clock.elapsedSeconds, 496.0f * 0.001f);
}

TEST_F(SeededField, StacksTwoHundredOnEachBlockCentre) {
    seed();
    EXPECT_EQ(field.particleCount, 38400);
    EXPECT_EQ(sumOfCounts(), 38400);
    EXPECT_EQ(countAt(20, 20), 200);
    EXPECT_EQ(countAt(620, 460), 200);
    EXPECT_EQ(countAt(21, 20), 0);
    EXPECT_EQ(countAt(20, 21), 0);
    int centres = 0;
    for (std::int32_t x = 0; x < 640; ++x)
        for (std::int32_t y = 0; y < 480; ++y)
            if (countAt(x, y) != 0) {
                ++centres;
                EXPECT_EQ((x % 40) * 100 + y % 40, 2020) << x << "," << y;
            }
    EXPECT_EQ(centres, 192);
}

TEST_F(SeededField, LaysOutSlotsPositionsAndColoursByBlock) {
    seed();
    struct Expected {
        std::int32_t slot;
        std::int16_t x, y;
        std::uint8_t red, green, blue;
    };
    const Expected spots[] = {
        {0, 20, 20, 0, 0, 255}, {200, 20, 60, 20, 0, 255}, {2400, 60, 20, 0, 15, 240}, {38399, 620, 460, 220, 225, 30}};
    for (const Expected& e : spots) {
        const Particle& p = slot(e.slot);
        EXPECT_EQ(p.x, e.x) << "slot " << e.slot;
        EXPECT_EQ(p.y, e.y) << "slot " << e.slot;
        EXPECT_EQ(p.red, e.red) << "slot " << e.slot;
        EXPECT_EQ(p.green, e.green) << "slot " << e.slot;
        EXPECT_EQ(p.blue, e.blue) << "slot " << e.slot;
    }
    for (std::int32_t i = 0; i < field.particleCount; ++i) {
        const Particle& p = slot(i);
        const int col = i / 2400;
        const int row = i % 2400 / 200;
        ASSERT_EQ(p.x, 40 * col + 20) << "slot " << i;
        ASSERT_EQ(p.y, 40 * row + 20) << "slot " << i;
    }
}

TEST_F(SeededField, SeedingAgainAfterFramesGivesTheFieldOfOneSeeding) {
    seed();
    const std::uint64_t once = stateHash(field);
    for (std::uint32_t tick = 17; tick <= 170; tick += 17) frame(tick);
    seed();
    EXPECT_EQ(stateHash(field), once);
    EXPECT_EQ(field.ring.cursor, 0);
    EXPECT_EQ(field.particleCount, ParticleCapacity);
    EXPECT_EQ(sumOfCounts(), ParticleCapacity);
}

TEST_F(SeededField, StartsWithNoFlowAnywhere) {
    EXPECT_EQ(field.flowCode(0, 0), 0); // construction leaves code 0
    seed();
    EXPECT_TRUE(std::ranges::all_of(field.directionMap(), [](std::uint8_t code) { return code == NoFlow; }));
}

} // namespace
} // namespace orbisk::testing
