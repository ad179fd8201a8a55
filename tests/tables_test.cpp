// The direction grids, the stage patterns and the direction colours: the rules they follow, and some of their rows
// and blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <string>

#include "sim/tables.h"

namespace orbisk {
namespace {

using Rows = std::array<std::string, BlockRows>;

template <typename Table>
void expectRows(const Table& table, const Rows& rows, const std::string& name) {
    for (int r = 0; r < BlockRows; ++r) {
        std::string actual = std::to_string(table[blockPosition(r, 0)]);
        for (int c = 1; c < BlockColumns; ++c) {
            actual += ' ';
            actual += std::to_string(table[blockPosition(r, c)]);
        }
        EXPECT_EQ(actual, rows[static_cast<std::size_t>(r)]) << name << " row " << r;
    }
}

int at(const DirectionGrid& grid, int r, int c) { return grid[blockPosition(r, c)]; }

TEST(DirectionGrids, UniformGridsAndTheOnlyNoFlowGrid) {
    EXPECT_TRUE(std::all_of(DirectionGrids[0].begin(), DirectionGrids[0].end(), [](auto v) { return v == 8; }));
    for (int g = 1; g <= 8; ++g)
        for (std::uint8_t code : DirectionGrids[static_cast<std::size_t>(g)]) ASSERT_EQ(code, g % 8) << "grid " << g;
    for (int g = 1; g < 256; ++g)
        for (std::uint8_t code : DirectionGrids[static_cast<std::size_t>(g)]) ASSERT_LT(code, 8) << "grid " << g;
}

TEST(DirectionGrids, CheckerboardsOfEveryPairAndSquareSize) {
    const int heights[] = {6, 4, 2, 1};
    const int widths[] = {8, 4, 2, 1};
    int grid = 9;
    for (int a = 0; a < 8; ++a)
        for (int b = a + 1; b < 8; ++b)
            for (int layout = 0; layout < 8; ++layout, ++grid) {
                const DirectionGrid& g = DirectionGrids[static_cast<std::size_t>(grid)];
                const int h = heights[layout / 2];
                const int w = widths[layout / 2];
                EXPECT_EQ(at(g, 0, 0), layout % 2 ? b : a) << "grid " << grid;
                for (int r = 0; r < BlockRows; ++r)
                    for (int c = 0; c < BlockColumns; ++c) {
                        const int code = at(g, r, c);
                        ASSERT_TRUE(code == a || code == b) << "grid " << grid;
                        // Constant within an h × w square, alternating across square edges.
                        if (r > 0) {
                            ASSERT_EQ(code == at(g, r - 1, c), r % h != 0) << "grid " << grid;
                        }
                        if (c > 0) {
                            ASSERT_EQ(code == at(g, r, c - 1), c % w != 0) << "grid " << grid;
                        }
                    }
            }
    EXPECT_EQ(grid, 233);
}

// Blocks that pin the order of the grids: the first and last checkerboards, and the rings.
TEST(DirectionGrids, BlocksOfTheFirstAndLastCheckerboardsAndOfTheRings) {
    EXPECT_EQ(at(DirectionGrids[9], 0, 0), 0);
    EXPECT_EQ(at(DirectionGrids[9], 6, 8), 0);
    EXPECT_EQ(at(DirectionGrids[9], 0, 8), 1);
    EXPECT_EQ(at(DirectionGrids[9], 6, 0), 1);
    EXPECT_EQ(at(DirectionGrids[10], 0, 0), 1);
    EXPECT_EQ(at(DirectionGrids[15], 0, 0), 0);
    EXPECT_EQ(at(DirectionGrids[15], 0, 1), 1);
    EXPECT_EQ(at(DirectionGrids[16], 0, 0), 1);
    EXPECT_EQ(at(DirectionGrids[225], 0, 0), 6);
    EXPECT_EQ(at(DirectionGrids[225], 0, 8), 7);
    EXPECT_EQ(at(DirectionGrids[232], 0, 0), 7);
    EXPECT_EQ(at(DirectionGrids[232], 0, 1), 6);
    EXPECT_EQ(at(DirectionGrids[232], 1, 0), 6);
    EXPECT_EQ(at(DirectionGrids[255], 0, 0), 4);
    EXPECT_EQ(at(DirectionGrids[255], 11, 15), 0);
    EXPECT_EQ(at(DirectionGrids[255], 11, 0), 2);
    EXPECT_EQ(at(DirectionGrids[255], 6, 10), 6);
}

// Grid 9 is four quadrants, grid 116 squares of 4 × 4 blocks, grid 233 a whirl of four wedges that meet on the
// diagonals and grid 234 that whirl turned half a turn.
TEST(DirectionGrids, QuadrantsSquaresAndWhirlsRowByRow) {
    Rows quadrants;
    for (int r = 0; r < 12; ++r)
        quadrants[static_cast<std::size_t>(r)] =
            r < 6 ? "0 0 0 0 0 0 0 0 1 1 1 1 1 1 1 1" : "1 1 1 1 1 1 1 1 0 0 0 0 0 0 0 0";
    expectRows(DirectionGrids[9], quadrants, "grid 9");

    Rows squares;
    for (int r = 0; r < 12; ++r)
        squares[static_cast<std::size_t>(r)] =
            (r / 4) % 2 == 0 ? "3 3 3 3 2 2 2 2 3 3 3 3 2 2 2 2" : "2 2 2 2 3 3 3 3 2 2 2 2 3 3 3 3";
    expectRows(DirectionGrids[116], squares, "grid 116");

    expectRows(DirectionGrids[233],
               {"6 6 6 6 6 6 6 6 6 6 6 6 6 6 6 0", "4 6 6 6 6 6 6 6 6 6 6 6 6 6 0 0", "4 4 6 6 6 6 6 6 6 6 6 6 6 0 0 0",
                "4 4 4 6 6 6 6 6 6 6 6 6 0 0 0 0", "4 4 4 4 6 6 6 6 6 6 6 0 0 0 0 0", "4 4 4 4 4 6 6 6 6 6 0 0 0 0 0 0",
                "4 4 4 4 4 4 2 2 2 2 2 0 0 0 0 0", "4 4 4 4 4 2 2 2 2 2 2 2 0 0 0 0", "4 4 4 4 2 2 2 2 2 2 2 2 2 0 0 0",
                "4 4 4 2 2 2 2 2 2 2 2 2 2 2 0 0", "4 4 2 2 2 2 2 2 2 2 2 2 2 2 2 0",
                "4 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2"},
               "grid 233");
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 16; ++c) ASSERT_EQ(at(DirectionGrids[234], r, c), at(DirectionGrids[233], 11 - r, 15 - c));
}

// Grids 235 to 250 are stripes one block wide: one code to a block row, or to a block column. The codes repeat every
// four stripes, so the stripes run on across the wrap of the field, and neighbouring stripes differ. No stripe flows
// against another and their mean flow crosses them, so the whole field drifts one way over the stripes.
TEST(DirectionGrids, StripesRunOnAcrossTheWrapAndAllDriftOneWay) {
    for (int g = 235; g <= 250; ++g) {
        const DirectionGrid& grid = DirectionGrids[static_cast<std::size_t>(g)];
        bool rows = true, columns = true;
        for (int r = 0; r < BlockRows; ++r)
            for (int c = 0; c < BlockColumns; ++c) {
                rows = rows && at(grid, r, c) == at(grid, r, 0);
                columns = columns && at(grid, r, c) == at(grid, 0, c);
            }
        ASSERT_NE(rows, columns) << "grid " << g;
        const int n = rows ? BlockRows : BlockColumns;
        const auto code = [&](int i) { return rows ? at(grid, i % n, 0) : at(grid, 0, i % n); };
        const auto step = [&](int i) { return DirectionStep[static_cast<std::size_t>(code(i))]; };
        int across = 0;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(code(i), code(i + 4)) << "grid " << g << " stripe " << i;
            EXPECT_NE(code(i), code(i + 1)) << "grid " << g << " stripe " << i;
            across += rows ? step(i).dy : step(i).dx;
            for (int j = 0; j < 4; ++j)
                EXPECT_GE(step(i).dx * step(j).dx + step(i).dy * step(j).dy, 0) << "grid " << g << " stripe " << i;
        }
        EXPECT_NE(across, 0) << "grid " << g;
    }
}

// Whirls: every block's flow passes the centre of its whirl on the same side (clockwise on the screen when
// the cross product of the block's place and its step is positive). Grids 251 to 254 are made of tiles of 3 × 4
// blocks; 251 and 252 hold a whirl in each 6 × 8 blocks; 252 and 254 are 251 and 253 mirrored left to right.
TEST(DirectionGrids, WhirlsTurnOneWayAndTheTiledOnesMirrorEachOther) {
    const struct {
        int grid, height, width, turn;
    } whirls[] = {{233, 12, 16, +1}, {234, 12, 16, -1}, {251, 6, 8, +1},
                  {252, 6, 8, -1},   {253, 12, 16, +1}, {254, 12, 16, -1}};
    for (const auto& w : whirls) {
        const DirectionGrid& grid = DirectionGrids[static_cast<std::size_t>(w.grid)];
        for (int r = 0; r < BlockRows; ++r)
            for (int c = 0; c < BlockColumns; ++c) {
                const Step step = DirectionStep[static_cast<std::size_t>(at(grid, r, c))];
                // Twice the place of the block's centre from the whirl's centre.
                const int x = 2 * (c % w.width) + 1 - w.width;
                const int y = 2 * (r % w.height) + 1 - w.height;
                ASSERT_GT(w.turn * (x * step.dy - y * step.dx), 0) << "grid " << w.grid << " block " << r << "," << c;
                if (w.grid >= 251) {
                    ASSERT_EQ(at(grid, r, c), at(grid, r / 3 * 3, c / 4 * 4))
                        << "grid " << w.grid << " block " << r << "," << c;
                }
            }
    }
    // Mirrored left to right, code k becomes code 8 - k: 0 (down) and 4 (up) stay.
    for (int g : {251, 253})
        for (int r = 0; r < BlockRows; ++r)
            for (int c = 0; c < BlockColumns; ++c)
                ASSERT_EQ(at(DirectionGrids[static_cast<std::size_t>(g + 1)], r, c),
                          (8 - at(DirectionGrids[static_cast<std::size_t>(g)], r, BlockColumns - 1 - c)) % 8)
                    << "grid " << g + 1 << " block " << r << "," << c;
}

TEST(StagePatterns, EachRevealsEveryBlockOnceWithoutGaps) {
    const int lastStages[] = {1, 2, 12, 12, 12, 12, 16, 16, 16, 16, 12, 12, 15, 15, 15, 15};
    for (int p = 0; p < 16; ++p) {
        const StagePattern& pattern = StagePatterns[static_cast<std::size_t>(p)];
        const std::set<int> stages(pattern.begin(), pattern.end());
        EXPECT_EQ(*stages.begin(), 1) << "pattern " << p;
        EXPECT_EQ(*stages.rbegin(), lastStages[p]) << "pattern " << p;
        EXPECT_EQ(stages.size(), static_cast<std::size_t>(lastStages[p])) << "pattern " << p << " has a gap";
    }
}

TEST(StagePatterns, RowsColumnsAndCheckerboardOrders) {
    const auto stage = [](int p, int r, int c) {
        return StagePatterns[static_cast<std::size_t>(p)][blockPosition(r, c)];
    };
    const int edgesInwards[] = {0, 11, 1, 10, 2, 9, 3, 8, 4, 7, 5, 6};
    const int middleOutwards[] = {5, 6, 4, 7, 3, 8, 2, 9, 1, 10, 0, 11};
    for (int s = 1; s <= 12; ++s) {
        EXPECT_EQ(stage(2, s - 1, 3), s);
        EXPECT_EQ(stage(3, 12 - s, 3), s);
        EXPECT_EQ(stage(4, edgesInwards[s - 1], 3), s);
        EXPECT_EQ(stage(5, middleOutwards[s - 1], 3), s);
    }
    const int sidesInwards[] = {0, 15, 1, 14, 2, 13, 3, 12, 4, 11, 5, 10, 6, 9, 7, 8};
    const int centreOutwards[] = {7, 8, 6, 9, 5, 10, 4, 11, 3, 12, 2, 13, 1, 14, 0, 15};
    for (int s = 1; s <= 16; ++s) {
        EXPECT_EQ(stage(6, 4, s - 1), s);
        EXPECT_EQ(stage(7, 4, 16 - s), s);
        EXPECT_EQ(stage(8, 4, sidesInwards[s - 1]), s);
        EXPECT_EQ(stage(9, 4, centreOutwards[s - 1]), s);
    }
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 16; ++c) {
            ASSERT_EQ(stage(0, r, c), 1);
            ASSERT_EQ(stage(1, r, c), (r + c) % 2 ? 2 : 1);
            for (int p = 2; p <= 9; ++p) // rows or columns: constant along the other axis
                ASSERT_EQ(stage(p, r, c), p < 6 ? stage(p, r, 0) : stage(p, 0, c)) << "pattern " << p;
        }
}

TEST(StagePatterns, RingsAndDiagonalSweeps) {
    expectRows(StagePatterns[10],
               {"1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", "1 3 3 3 3 3 3 3 3 3 3 3 3 3 3 2", "1 3 5 5 5 5 5 5 5 5 5 5 5 5 4 2",
                "1 3 5 7 7 7 7 7 7 7 7 7 7 6 4 2", "1 3 5 7 9 9 9 9 9 9 9 9 8 6 4 2",
                "1 3 5 7 9 11 11 11 11 11 11 10 8 6 4 2", "1 3 5 7 9 11 12 12 12 12 12 10 8 6 4 2",
                "1 3 5 7 9 10 10 10 10 10 10 10 8 6 4 2", "1 3 5 7 8 8 8 8 8 8 8 8 8 6 4 2",
                "1 3 5 6 6 6 6 6 6 6 6 6 6 6 4 2", "1 3 4 4 4 4 4 4 4 4 4 4 4 4 4 2",
                "1 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2"},
               "pattern 10");
    expectRows(StagePatterns[12],
               {"1 1 1 1 2 2 2 3 3 4 5 6 7 8 9 10", "1 1 1 2 2 2 3 3 4 5 6 7 8 9 10 11",
                "1 1 2 2 2 3 3 4 5 6 7 8 9 10 11 12", "1 2 2 2 3 3 4 5 6 7 8 9 10 11 12 13",
                "2 2 2 3 3 4 5 6 7 8 9 10 11 12 13 13", "2 2 3 3 4 5 6 7 8 9 10 11 12 13 13 14",
                "2 3 3 4 5 6 7 8 9 10 11 12 13 13 14 14", "3 3 4 5 6 7 8 9 10 11 12 13 13 14 14 14",
                "3 4 5 6 7 8 9 10 11 12 13 13 14 14 14 15", "4 5 6 7 8 9 10 11 12 13 13 14 14 14 15 15",
                "5 6 7 8 9 10 11 12 13 13 14 14 14 15 15 15", "6 7 8 9 10 11 12 13 13 14 14 14 15 15 15 15"},
               "pattern 12");
    const auto count = [](int p, int s) {
        return std::count(StagePatterns[static_cast<std::size_t>(p)].begin(),
                          StagePatterns[static_cast<std::size_t>(p)].end(), s);
    };
    EXPECT_EQ(count(10, 1), 27);
    EXPECT_EQ(count(10, 12), 5);
    EXPECT_EQ(count(11, 12), 27);
    EXPECT_EQ(count(11, 1), 5);
    for (std::size_t i = 0; i < BlockCount; ++i) {
        ASSERT_EQ(StagePatterns[11][i], 13 - StagePatterns[10][i]);
        ASSERT_EQ(StagePatterns[13][i], 16 - StagePatterns[12][i]);
    }
    const auto stage = [](int p, int r, int c) {
        return StagePatterns[static_cast<std::size_t>(p)][blockPosition(r, c)];
    };
    EXPECT_EQ(stage(14, 11, 0), 1);
    EXPECT_EQ(stage(14, 0, 15), 15);
    EXPECT_EQ(stage(15, 0, 15), 1);
    EXPECT_EQ(stage(15, 11, 0), 15);
}

// Degrees round the colour wheel from red.
double hue(const Colour& c) {
    const double h = std::atan2(std::numbers::sqrt3 * (c.green - c.blue), 2.0 * c.red - c.green - c.blue);
    return std::fmod(h * 180 / std::numbers::pi + 360, 360);
}

// Clockwise round the directions from down is once round the colour wheel from red, in colours of full strength, so
// the particles of a whirl show a rainbow; no flow is the grey halfway between black and white.
TEST(DirectionColour, GoesOnceRoundTheColourWheel) {
    double previous = -1;
    for (std::size_t code = 0; code < 8; ++code) {
        const Colour c = DirectionColour[code];
        EXPECT_EQ(int{std::min({c.red, c.green, c.blue})}, 0) << "code " << code;
        EXPECT_EQ(int{std::max({c.red, c.green, c.blue})}, 255) << "code " << code;
        EXPECT_GT(hue(c), previous) << "code " << code;
        previous = hue(c);
    }
    EXPECT_EQ(hue(DirectionColour[0]), 0.0);
    const Colour grey = DirectionColour[NoFlow];
    EXPECT_TRUE(grey.red == 128 && grey.green == 128 && grey.blue == 128);
}

} // namespace
} // namespace orbisk
