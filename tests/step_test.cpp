// The particle step: the first frame from the seeded field, wrap-around, blocked moves and colour drift.
#include <algorithm>

#include "sim/tables.h"
#include "tests/field_fixture.h"

namespace orbisk::testing {
namespace {

class ParticleStep : public FieldTest {
protected:
    // Ring bytes that make a lone particle on a no-flow cell choose `move` straight: the tie-break's bit 0 gives
    // the signs of the pushes, the third byte's low bits 0 keep the preferred move.
    void steerLoneParticle(int move) {
        const Step step = DirectionStep[static_cast<std::size_t>(move)];
        ASSERT_TRUE(step.dx != 0 && step.dy != 0) << "a lone particle's tie-break always moves diagonally";
        field.ring.bytes[0] = step.dx > 0 ? 1 : 0;
        field.ring.bytes[1] = step.dy > 0 ? 1 : 0;
        field.ring.bytes[2] = 0;
        field.ring.cursor = 0;
    }
};

void expectParticle(const Particle& p, int x, int y, int red, int green, int blue) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.red, red);
    EXPECT_EQ(p.green, green);
    EXPECT_EQ(p.blue, blue);
}

// The last slots are stepped first: each leaves the stack at (620, 460) for a free corner and takes 4 of each channel
// towards the colour of its move.
TEST_F(ParticleStep, FirstParticlesSteppedLeaveTheLastStackDiagonally) {
    seed();
    step();
    expectParticle(slot(38399), 621, 461, 224, 221, 34);
    expectParticle(slot(38398), 619, 459, 216, 229, 26);
    expectParticle(slot(38397), 621, 459, 216, 221, 34);
}

TEST_F(ParticleStep, LoneParticleDrawsThreeBytesForTheTieBreak) {
    place({{620, 460, 220, 225, 30}});
    step();
    expectParticle(slot(0), 621, 461, 224, 221, 34);
    EXPECT_EQ(field.ring.cursor, 3);
    EXPECT_EQ(countAt(620, 460), 0);
    EXPECT_EQ(countAt(621, 461), 1);
}

TEST_F(ParticleStep, FirstFrameSendsEightFromEveryStackOneToEachNeighbour) {
    seed();
    step();
    EXPECT_EQ(field.ring.cursor, 204);
    int moved = 0;
    for (std::int32_t i = 0; i < field.particleCount; ++i) {
        const Particle& p = slot(i);
        if (p.x % 40 != 20 || p.y % 40 != 20) ++moved;
    }
    EXPECT_EQ(moved, 1536);
    for (int col = 0; col < 16; ++col)
        for (int row = 0; row < 12; ++row) {
            const int cx = 40 * col + 20;
            const int cy = 40 * row + 20;
            ASSERT_EQ(countAt(cx, cy), 192);
            for (const Step& s : DirectionStep)
                if (s.dx || s.dy) {
                    ASSERT_EQ(countAt(cx + s.dx, cy + s.dy), 1) << cx << "," << cy;
                }
        }
}

TEST_F(ParticleStep, FlowIsAddedToThePushes) {
    seed();
    fillFlow(0); // everything falls
    step();
    expectParticle(slot(38399), 621, 461, 224, 221, 34);
    expectParticle(slot(38398), 619, 460, 224, 229, 26);
    expectParticle(slot(38397), 620, 460, 220, 225, 30); // pushes cancel: it stays
}

TEST_F(ParticleStep, StayingWithoutPushDrawsNothing) {
    // Slot 1 is visited first: its lower neighbour pushes it up, the flow down cancels the push.
    place({{100, 101, 1, 2, 3}, {100, 100, 4, 5, 6}});
    field.setFlowCode(100, 100, 0);
    field.ring.bytes.fill(2); // low bits 2: straight
    step();
    expectParticle(slot(1), 100, 100, 4, 5, 6);
    // Slot 0 is pushed down by slot 1 and draws the only byte of the frame.
    expectParticle(slot(0), 100, 102, 5, 0, 0);
    EXPECT_EQ(field.ring.cursor, 1);
}

TEST_F(ParticleStep, WrapsAtEveryEdge) {
    const struct {
        std::int16_t x, y;
        int move;
        std::int16_t toX, toY;
    } cases[] = {{0, 0, 3, 639, 479},   {639, 479, 7, 0, 0},   {0, 479, 1, 639, 0},   {639, 0, 5, 0, 479},
                 {0, 200, 3, 639, 199}, {639, 200, 7, 0, 201}, {300, 0, 5, 301, 479}, {300, 479, 1, 299, 0}};
    for (const auto& c : cases) {
        place({{c.x, c.y, 0, 0, 0}});
        steerLoneParticle(c.move);
        step();
        EXPECT_EQ(slot(0).x, c.toX) << "from " << c.x << "," << c.y << " move " << c.move;
        EXPECT_EQ(slot(0).y, c.toY) << "from " << c.x << "," << c.y << " move " << c.move;
        EXPECT_EQ(countAt(c.toX, c.toY), 1);
        EXPECT_EQ(countAt(c.x, c.y), 0);
    }
}

TEST_F(ParticleStep, SeesNeighboursAcrossTheEdges) {
    // The particle under test is the last slot, so it is visited first; its neighbour is across an edge.
    const struct {
        std::int16_t neighbourX, neighbourY, x, y, toX, toY;
    } cases[] = {{0, 0, 639, 479, 638, 478},   // down-right of the corner is the opposite corner
                 {0, 200, 639, 200, 638, 200}, // right of column 639 is column 0
                 {639, 200, 0, 200, 1, 200},   // left of column 0 is column 639
                 {300, 0, 300, 479, 300, 478}, // below row 479 is row 0
                 {300, 479, 300, 0, 300, 1}};  // above row 0 is row 479
    for (const auto& c : cases) {
        place({{c.neighbourX, c.neighbourY, 0, 0, 0}, {c.x, c.y, 0, 0, 0}});
        field.ring.bytes.fill(0); // straight
        step();
        EXPECT_EQ(slot(1).x, c.toX) << "from " << c.x << "," << c.y;
        EXPECT_EQ(slot(1).y, c.toY) << "from " << c.x << "," << c.y;
    }
}

TEST_F(ParticleStep, SurroundedParticleNeverMovesButDrawsAndPlots) {
    place({{320, 240, 10, 20, 30}});
    for (const Step& s : DirectionStep)
        if (s.dx || s.dy) field.setCellCount(320 + s.dx, 240 + s.dy, 1);
    for (int frame = 1; frame <= 100; ++frame) {
        std::fill(picture.begin(), picture.end(), 0);
        step();
        ASSERT_EQ(field.ring.cursor, static_cast<std::uint8_t>(3 * frame)); // tie-break and a move tried
        expectParticle(slot(0), 320, 240, 10, 20, 30);
        ASSERT_EQ(pixelAt(320, 240), 0x0A141Eu);
    }
}

TEST_F(ParticleStep, DeflectionOntoAnOccupiedCellIsBlockedButDrawsItsByte) {
    // Left 1, up 1 and right 3 push the particle down-left (code 1); one code higher is left (2), occupied.
    for (const std::uint8_t byte : {3, 0}) {
        place({{50, 50, 0, 0, 0}});
        field.setCellCount(49, 50, 1);
        field.setCellCount(50, 49, 1);
        field.setCellCount(51, 50, 3);
        field.ring.bytes[0] = byte;
        step();
        EXPECT_EQ(field.ring.cursor, 1);
        if (byte == 3) {
            expectParticle(slot(0), 50, 50, 0, 0, 0);
        } else {
            expectParticle(slot(0), 49, 51, 4, 4, 0); // straight: down-left is free, orange
        }
    }
}

TEST_F(ParticleStep, ColourDriftsByAtMostFourTowardsTheMove) {
    // Ring bytes of 1: tie-break (+1, +1), flow right makes (+2, +1), preferred 7, deflected one lower to 6.
    place({{10, 10, 118, 2, 251}});
    fillFlow(6);
    field.ring.bytes.fill(1);
    const int expectedRed[] = {122, 126, 128, 128};
    for (int move = 0; move < 4; ++move) {
        step();
        EXPECT_EQ(slot(0).x, 11 + move);
        EXPECT_EQ(slot(0).red, expectedRed[move]);
        EXPECT_EQ(slot(0).green, 0);
        EXPECT_EQ(slot(0).blue, 255);
    }
}

TEST_F(ParticleStep, FullSwingOfAChannelTakesSixtyFourMoves) {
    place({{10, 10, 128, 255, 255}});
    fillFlow(6);
    field.ring.bytes.fill(1);
    for (int move = 1; move <= 63; ++move) step();
    EXPECT_EQ(slot(0).green, 3);
    step();
    EXPECT_EQ(slot(0).green, 0);
}

TEST_F(ParticleStep, EmptyFieldDoesNothing) {
    step();
    EXPECT_EQ(field.ring.cursor, 0);
    EXPECT_TRUE(std::all_of(picture.begin(), picture.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(ParticleStep, PlotsEveryParticleWhereItEnds) {
    seed();
    step();
    for (std::int32_t i = 0; i < field.particleCount; ++i) {
        const Particle& p = slot(i);
        if (p.x % 40 == 20 && p.y % 40 == 20) continue; // on a stack the lowest slot shows
        ASSERT_EQ(pixelAt(p.x, p.y), std::uint32_t{p.red} << 16 | std::uint32_t{p.green} << 8 | p.blue) << "slot " << i;
    }
    // Slot 0 is plotted last on the first stack: its colour shows.
    EXPECT_EQ(pixelAt(20, 20), 0x0000FFu);
}

} // namespace
} // namespace orbisk::testing
