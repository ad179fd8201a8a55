// The direction grids and stage patterns against the published listings and the rules they follow.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "sim/tables.h"

namespace orbisk {
namespace {

using Listing = std::array<std::string, BlockRows>;

template <typename Table>
void expectListing(const Table& table, const Listing& rows, const std::string& name) {
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

TEST(DirectionGrids, PublishedSpotValues) {
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

TEST(DirectionGrids, PublishedListings) {
    Listing quadrants;
    for (int r = 0; r < 12; ++r)
        quadrants[static_cast<std::size_t>(r)] =
            r < 6 ? "0 0 0 0 0 0 0 0 1 1 1 1 1 1 1 1" : "1 1 1 1 1 1 1 1 0 0 0 0 0 0 0 0";
    expectListing(DirectionGrids[9], quadrants, "grid 9");

    Listing squares;
    for (int r = 0; r < 12; ++r)
        squares[static_cast<std::size_t>(r)] =
            (r / 4) % 2 == 0 ? "3 3 3 3 2 2 2 2 3 3 3 3 2 2 2 2" : "2 2 2 2 3 3 3 3 2 2 2 2 3 3 3 3";
    expectListing(DirectionGrids[116], squares, "grid 116");

    expectListing(DirectionGrids[233],
                  {"6 6 6 6 6 6 6 6 6 6 6 6 6 6 6 0", "4 6 6 6 6 6 6 6 6 6 6 6 6 6 0 0",
                   "4 4 6 6 6 6 6 6 6 6 6 6 6 0 0 0", "4 4 4 6 6 6 6 6 6 6 6 6 0 0 0 0",
                   "4 4 4 4 6 6 6 6 6 6 6 0 0 0 0 0", "4 4 4 4 4 6 6 6 6 6 0 0 0 0 0 0",
                   "4 4 4 4 4 4 2 2 2 2 2 0 0 0 0 0", "4 4 4 4 4 2 2 2 2 2 2 2 0 0 0 0",
                   "4 4 4 4 2 2 2 2 2 2 2 2 2 0 0 0", "4 4 4 2 2 2 2 2 2 2 2 2 2 2 0 0",
                   "4 4 2 2 2 2 2 2 2 2 2 2 2 2 2 0", "4 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2"},
                  "grid 233");
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 16; ++c)
            ASSERT_EQ(at(DirectionGrids[234], r, c), at(DirectionGrids[233], 11 - r, 15 - c));
}

TEST(DirectionGrids, StripesAndTiles) {
    struct Stripes {
        int grid;
        bool rows;
        std::vector<int> codes;
    };
    const Stripes stripes[] = {{235, true, {7, 0, 1, 0}}, {236, true, {5, 4, 3, 4}}, {237, false, {2, 3, 2, 1}},
                               {238, false, {7, 6, 5, 6}}, {239, false, {5, 7}}, {240, false, {1, 3}},
                               {241, true, {3, 5}},       {242, true, {1, 7}},  {243, false, {6, 5}},
                               {244, false, {6, 7}},      {245, false, {3, 2}}, {246, false, {1, 2}},
                               {247, true, {6, 4}},       {248, true, {3, 4}},  {249, true, {0, 7}},
                               {250, true, {0, 1}}};
    for (const Stripes& s : stripes)
        for (int r = 0; r < 12; ++r)
            for (int c = 0; c < 16; ++c) {
                const std::size_t i = static_cast<std::size_t>(s.rows ? r : c) % s.codes.size();
                ASSERT_EQ(at(DirectionGrids[static_cast<std::size_t>(s.grid)], r, c), s.codes[i])
                    << "grid " << s.grid << " block " << r << "," << c;
            }

    // Tiles of 3 block rows by 4 block columns, listed tile row by tile row.
    const std::pair<int, const char*> tiles[] = {{251, "6060 4242 6060 4242"}, {252, "0202 6464 0202 6464"},
                                                 {253, "6660 4570 4310 4222"}, {254, "0222 0134 0754 6664"}};
    for (auto [grid, codes] : tiles)
        for (int r = 0; r < 12; ++r)
            for (int c = 0; c < 16; ++c)
                ASSERT_EQ(at(DirectionGrids[static_cast<std::size_t>(grid)], r, c), codes[r / 3 * 5 + c / 4] - '0')
                    << "grid " << grid << " block " << r << "," << c;
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
    const auto stage = [](int p, int r, int c) { return StagePatterns[static_cast<std::size_t>(p)][blockPosition(r, c)]; };
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
    expectListing(StagePatterns[10],
                  {"1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", "1 3 3 3 3 3 3 3 3 3 3 3 3 3 3 2",
                   "1 3 5 5 5 5 5 5 5 5 5 5 5 5 4 2", "1 3 5 7 7 7 7 7 7 7 7 7 7 6 4 2",
                   "1 3 5 7 9 9 9 9 9 9 9 9 8 6 4 2", "1 3 5 7 9 11 11 11 11 11 11 10 8 6 4 2",
                   "1 3 5 7 9 11 12 12 12 12 12 10 8 6 4 2", "1 3 5 7 9 10 10 10 10 10 10 10 8 6 4 2",
                   "1 3 5 7 8 8 8 8 8 8 8 8 8 6 4 2", "1 3 5 6 6 6 6 6 6 6 6 6 6 6 4 2",
                   "1 3 4 4 4 4 4 4 4 4 4 4 4 4 4 2", "1 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2"},
                  "pattern 10");
    expectListing(StagePatterns[12],
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
    const auto stage = [](int p, int r, int c) { return StagePatterns[static_cast<std::size_t>(p)][blockPosition(r, c)]; };
    EXPECT_EQ(stage(14, 11, 0), 1);
    EXPECT_EQ(stage(14, 0, 15), 15);
    EXPECT_EQ(stage(15, 0, 15), 1);
    EXPECT_EQ(stage(15, 11, 0), 15);
}

TEST(DirectionColour, TableValues) {
    const auto rgb = [](const Colour& c) { return std::array<int, 3>{c.red, c.green, c.blue}; };
    EXPECT_EQ(rgb(DirectionColour[0]), (std::array{255, 0, 0}));
    EXPECT_EQ(rgb(DirectionColour[1]), (std::array{255, 128, 0}));
    EXPECT_EQ(rgb(DirectionColour[3]), (std::array{0, 255, 0}));
    EXPECT_EQ(rgb(DirectionColour[6]), (std::array{128, 0, 255}));
    EXPECT_EQ(rgb(DirectionColour[7]), (std::array{255, 0, 255}));
    EXPECT_EQ(rgb(DirectionColour[8]), (std::array{128, 128, 128}));
}

} // namespace
} // namespace orbisk
