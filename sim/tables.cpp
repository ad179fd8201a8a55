// The tables are built from their rules at compile time, so they are complete before any code runs.
#include "sim/tables.h"

#include <initializer_list>

namespace orbisk {
namespace {

using Rule = int (*)(int row, int column);

constexpr std::array<std::uint8_t, BlockCount> fromRule(Rule rule) {
    std::array<std::uint8_t, BlockCount> table{};
    for (int r = 0; r < BlockRows; ++r)
        for (int c = 0; c < BlockColumns; ++c) table[blockPosition(r, c)] = static_cast<std::uint8_t>(rule(r, c));
    return table;
}

constexpr DirectionGrid uniformGrid(std::uint8_t code) {
    DirectionGrid grid{};
    grid.fill(code);
    return grid;
}

// Grids 9 to 232: for each pair of codes a < b, eight checkerboards: squares of 6×8, 4×4, 2×2 and 1×1 blocks,
// each once with a in the top-left block and once with b there.
constexpr DirectionGrid checkerboardGrid(int grid) {
    const int j = grid - 9;
    int pair = j / 8;
    const int layout = j % 8;
    int a = 0;
    while (pair >= 7 - a) pair -= 7 - a++;
    const int b = a + 1 + pair;
    constexpr int heights[] = {6, 4, 2, 1};
    constexpr int widths[] = {8, 4, 2, 1};
    const int h = heights[layout / 2];
    const int w = widths[layout / 2];
    DirectionGrid table{};
    for (int r = 0; r < BlockRows; ++r)
        for (int c = 0; c < BlockColumns; ++c) {
            const int e = (r / h + c / w) % 2 ^ (layout % 2);
            table[blockPosition(r, c)] = static_cast<std::uint8_t>(e ? b : a);
        }
    return table;
}

// Grid 233: one clockwise whirl; four wedges meet along the diagonals.
constexpr int clockwiseWhirl(int r, int c) {
    if (r <= 5) return c < r ? 4 : c <= 14 - r ? 6 : 0;
    const int s = 11 - r;
    return c <= s ? 4 : c <= 15 - s ? 2 : 0;
}

// Stripes: block row (or column) i takes entry i mod n of the list.
constexpr int stripe(std::initializer_list<int> codes, int i) {
    return codes.begin()[static_cast<std::size_t>(i) % codes.size()];
}

// Grids 251 to 254 are made of tiles of 3 block rows by 4 block columns.
template <std::size_t N>
constexpr int tile(const int (&codes)[N][N], int r, int c) {
    return codes[r / 3][c / 4];
}

// A row of blocks a line.
// clang-format off
constexpr DirectionGrid NestedRings = {
    4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
    4, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0,
    4, 0, 4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 4, 0,
    4, 0, 4, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 4, 0,
    4, 0, 4, 0, 4, 6, 6, 6, 6, 6, 6, 6, 4, 0, 4, 0,
    4, 0, 4, 0, 4, 0, 2, 2, 2, 2, 2, 0, 4, 0, 4, 0,
    4, 0, 4, 0, 4, 6, 6, 6, 6, 6, 6, 0, 4, 0, 4, 0,
    4, 0, 4, 0, 2, 2, 2, 2, 2, 2, 2, 0, 4, 0, 4, 0,
    4, 0, 4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 4, 0, 4, 0,
    4, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 4, 0,
    4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 4, 0,
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0,
};
// clang-format on

constexpr std::array<DirectionGrid, 256> buildDirectionGrids() {
    std::array<DirectionGrid, 256> grids{};
    grids[0] = uniformGrid(NoFlow);
    for (std::uint8_t g = 1; g <= 7; ++g) grids[g] = uniformGrid(g);
    grids[8] = uniformGrid(0);
    for (int g = 9; g <= 232; ++g) grids[static_cast<std::size_t>(g)] = checkerboardGrid(g);
    grids[233] = fromRule(clockwiseWhirl);
    grids[234] = fromRule([](int r, int c) { return clockwiseWhirl(11 - r, 15 - c); });
    grids[235] = fromRule([](int r, int) { return stripe({7, 0, 1, 0}, r); });
    grids[236] = fromRule([](int r, int) { return stripe({5, 4, 3, 4}, r); });
    grids[237] = fromRule([](int, int c) { return stripe({2, 3, 2, 1}, c); });
    grids[238] = fromRule([](int, int c) { return stripe({7, 6, 5, 6}, c); });
    grids[239] = fromRule([](int, int c) { return stripe({5, 7}, c); });
    grids[240] = fromRule([](int, int c) { return stripe({1, 3}, c); });
    grids[241] = fromRule([](int r, int) { return stripe({3, 5}, r); });
    grids[242] = fromRule([](int r, int) { return stripe({1, 7}, r); });
    grids[243] = fromRule([](int, int c) { return stripe({6, 5}, c); });
    grids[244] = fromRule([](int, int c) { return stripe({6, 7}, c); });
    grids[245] = fromRule([](int, int c) { return stripe({3, 2}, c); });
    grids[246] = fromRule([](int, int c) { return stripe({1, 2}, c); });
    grids[247] = fromRule([](int r, int) { return stripe({6, 4}, r); });
    grids[248] = fromRule([](int r, int) { return stripe({3, 4}, r); });
    grids[249] = fromRule([](int r, int) { return stripe({0, 7}, r); });
    grids[250] = fromRule([](int r, int) { return stripe({0, 1}, r); });
    grids[251] = fromRule([](int r, int c) {
        constexpr int codes[2][2] = {{6, 0}, {4, 2}};
        return codes[(r / 3) % 2][(c / 4) % 2];
    });
    grids[252] = fromRule([](int r, int c) {
        constexpr int codes[2][2] = {{0, 2}, {6, 4}};
        return codes[(r / 3) % 2][(c / 4) % 2];
    });
    grids[253] = fromRule([](int r, int c) {
        constexpr int codes[4][4] = {{6, 6, 6, 0}, {4, 5, 7, 0}, {4, 3, 1, 0}, {4, 2, 2, 2}};
        return tile(codes, r, c);
    });
    grids[254] = fromRule([](int r, int c) {
        constexpr int codes[4][4] = {{0, 2, 2, 2}, {0, 1, 3, 4}, {0, 7, 5, 4}, {6, 6, 6, 4}};
        return tile(codes, r, c);
    });
    grids[255] = NestedRings;
    return grids;
}

// Ring k (0 at the border, 5 innermost) is revealed in two stages: its top row and left column first.
constexpr int borderInwards(int r, int c) {
    int k = r;
    for (int side : {c, 11 - r, 15 - c}) k = side < k ? side : k;
    return r == k || c == k ? 2 * k + 1 : 2 * k + 2;
}

// Stage of anti-diagonal d for the diagonal sweeps: four diagonals a stage at the corners, one in the middle.
constexpr int diagonal(int d) {
    constexpr int stages[27] = {1, 1,  1,  1,  2,  2,  2,  3,  3,  4,  5,  6,  7, 8,
                                9, 10, 11, 12, 13, 13, 14, 14, 14, 15, 15, 15, 15};
    return stages[d];
}

constexpr std::array<StagePattern, 16> buildStagePatterns() {
    return {
        fromRule([](int, int) { return 1; }),
        fromRule([](int r, int c) { return (r + c) % 2 == 0 ? 1 : 2; }),
        fromRule([](int r, int) { return r + 1; }),
        fromRule([](int r, int) { return 12 - r; }),
        fromRule([](int r, int) { return r <= 5 ? 2 * r + 1 : 24 - 2 * r; }),
        fromRule([](int r, int) { return r <= 5 ? 11 - 2 * r : 2 * r - 10; }),
        fromRule([](int, int c) { return c + 1; }),
        fromRule([](int, int c) { return 16 - c; }),
        fromRule([](int, int c) { return c <= 7 ? 2 * c + 1 : 32 - 2 * c; }),
        fromRule([](int, int c) { return c <= 7 ? 15 - 2 * c : 2 * c - 14; }),
        fromRule(borderInwards),
        fromRule([](int r, int c) { return 13 - borderInwards(r, c); }),
        fromRule([](int r, int c) { return diagonal(r + c); }),
        fromRule([](int r, int c) { return diagonal(26 - r - c); }),
        fromRule([](int r, int c) { return diagonal(11 - r + c); }),
        fromRule([](int r, int c) { return diagonal(r + 15 - c); }),
    };
}

} // namespace

constexpr std::array<DirectionGrid, 256> DirectionGrids = buildDirectionGrids();
constexpr std::array<StagePattern, 16> StagePatterns = buildStagePatterns();

} // namespace orbisk
