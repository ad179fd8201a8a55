// The particle step's decisions as tables, made at compile time: what a particle's neighbourhood and its cell's flow
// decide, which move the neighbourhood lets it make, where a move goes and what it does to the colour.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "sim/field.h"
#include "sim/tables.h"

namespace orbisk::step {

// The eight neighbours and the own cell of a particle as nine bits, row by row from the row above: bits 0 to 2
// are the row above (left, own column, right), 3 to 5 the particle's own row, 6 to 8 the row below. Bit
// NeighbourBit[k] stands for neighbour k; NeighbourBit[8] is the own cell, which a particle always occupies.
inline constexpr int NeighbourBit[9] = {7, 6, 3, 0, 1, 2, 5, 8, 4};

constexpr int sign(int v) { return (v > 0) - (v < 0); }

// The preferred move for the signs of the two pushes, indexed [sign of horizontal + 1][sign of vertical + 1].
inline constexpr std::uint8_t PreferredMove[3][3] = {{3, 2, 1}, {4, NoFlow, 0}, {5, 6, 7}};

// The two lowest bits of a ring byte: straight half of the time, one code lower or higher a quarter each.
inline constexpr std::uint8_t Deflection[4] = {0, 7, 0, 1};

// What the neighbourhood and the flow decide before the ring is read. With counts of 0 or 1 the pushes follow from
// the nine bits alone: a situation is 0 to 7, the preferred move; 8, no push (the particle stays and draws nothing);
// or 9 + flow code, a balance that two ring bytes break before the flow is added.
inline constexpr std::uint8_t Stays = NoFlow;
inline constexpr std::uint8_t Balanced = 9;
inline constexpr int SituationCount = Balanced + 9;

constexpr std::uint8_t situationOf(int horizontalPush, int verticalPush, int flow) {
    if (horizontalPush == 0 && verticalPush == 0) return static_cast<std::uint8_t>(Balanced + flow);
    if (flow < NoFlow) {
        horizontalPush += DirectionStep[static_cast<std::size_t>(flow)].dx;
        verticalPush += DirectionStep[static_cast<std::size_t>(flow)].dy;
    }
    return PreferredMove[sign(horizontalPush) + 1][sign(verticalPush) + 1];
}

using SituationTable = std::array<std::array<std::uint8_t, 512>, 9>;

constexpr SituationTable makeSituations() {
    SituationTable table{};
    for (int flow = 0; flow < 9; ++flow)
        for (int bits = 0; bits < 512; ++bits) {
            int n[8];
            for (int k = 0; k < 8; ++k) n[k] = (bits >> NeighbourBit[k]) & 1;
            table[static_cast<std::size_t>(flow)][static_cast<std::size_t>(bits)] = situationOf(
                (n[1] + n[2] + n[3]) - (n[5] + n[6] + n[7]), (n[3] + n[4] + n[5]) - (n[0] + n[1] + n[7]), flow);
        }
    return table;
}

inline constexpr SituationTable SituationOf = makeSituations();

// The channel moves by at most 4 towards the target and never past it.
constexpr std::uint8_t drift(std::uint8_t channel, std::uint8_t target) {
    return static_cast<std::uint8_t>(channel + std::clamp(target - channel, -4, 4));
}

// The colour after a move, channel by channel, for each move code; code 8 (no move) keeps the colour.
struct ColourDrift {
    std::array<std::uint8_t, 256> red, green, blue;
};

constexpr std::array<ColourDrift, 9> makeColourDrift() {
    std::array<ColourDrift, 9> table{};
    for (std::size_t move = 0; move < 9; ++move)
        for (unsigned v = 0; v < 256; ++v) {
            const auto channel = static_cast<std::uint8_t>(v);
            const Colour target = DirectionColour[move];
            const bool moved = move < 8;
            table[move].red[v] = moved ? drift(channel, target.red) : channel;
            table[move].green[v] = moved ? drift(channel, target.green) : channel;
            table[move].blue[v] = moved ? drift(channel, target.blue) : channel;
        }
    return table;
}

inline constexpr auto ColourAfter = makeColourDrift();

// The field wraps: entry c + 1 is the column of c for c from -1 to the width, and likewise for the rows.
template <std::size_t Size>
constexpr std::array<std::int16_t, Size + 2> makeWrap() {
    std::array<std::int16_t, Size + 2> wrap{};
    for (std::size_t i = 0; i < Size + 2; ++i) wrap[i] = static_cast<std::int16_t>((i + Size - 1) % Size);
    return wrap;
}

inline constexpr auto WrapColumn = makeWrap<FieldWidth>();
inline constexpr auto WrapRow = makeWrap<FieldHeight>();

// Moves the particle at (x, y), wrapping across the edges, and gives it the colour the move makes.
inline void takeWrappedMove(Particle& p, std::int32_t x, std::int32_t y, unsigned move) {
    p.x = WrapColumn[static_cast<std::size_t>(x + 1 + DirectionStep[move].dx)];
    p.y = WrapRow[static_cast<std::size_t>(y + 1 + DirectionStep[move].dy)];
    const ColourDrift& colour = ColourAfter[move];
    p.red = colour.red[p.red];
    p.green = colour.green[p.green];
    p.blue = colour.blue[p.blue];
}

// The move made, from the move tried and the neighbourhood: the tried one, or 8 (none) when its cell is occupied.
// Move 8 tries the own cell, which is always occupied.
using MadeTable = std::array<std::array<std::uint8_t, 512>, 9>;

constexpr MadeTable makeMadeOf() {
    MadeTable table{};
    for (int move = 0; move < 9; ++move)
        for (int bits = 0; bits < 512; ++bits)
            table[static_cast<std::size_t>(move)][static_cast<std::size_t>(bits)] =
                static_cast<std::uint8_t>((bits >> NeighbourBit[move]) & 1 ? NoFlow : move);
    return table;
}

inline constexpr MadeTable MadeOf = makeMadeOf();

// Where a move goes, in the grid (for a cell inside the field) and in columns and rows.
struct MoveStep {
    std::int32_t cellOffset;
    std::int16_t dx, dy;
};

constexpr std::array<MoveStep, 9> makeMoveSteps() {
    std::array<MoveStep, 9> steps{};
    for (std::size_t m = 0; m < 9; ++m)
        steps[m] = {DirectionStep[m].dx * cells::ColumnStride + DirectionStep[m].dy,
                    static_cast<std::int16_t>(DirectionStep[m].dx), static_cast<std::int16_t>(DirectionStep[m].dy)};
    return steps;
}

inline constexpr auto MoveSteps = makeMoveSteps();

inline std::uint32_t load32(const std::uint8_t* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The nine bits of the cells around `cell` (inside the field): three columns of three bytes, read four at a time.
inline std::uint32_t neighbourhood(const std::uint8_t* cell) {
    constexpr std::uint32_t Rows = cells::Occupied * 0x010101u; // the occupied bit of the row above, own, below
    const std::uint32_t left = load32(cell - cells::ColumnStride - 1) & Rows;
    const std::uint32_t own = load32(cell - 1) & Rows;
    const std::uint32_t right = load32(cell + cells::ColumnStride - 1) & Rows;
    // Byte r of `rows` holds row r's three cells in bits 8r to 8r + 2, left to right.
    const std::uint32_t rows = left >> 7 | own >> 6 | right >> 5;
    return (rows & 0x7) | (rows >> 5 & 0x38) | (rows >> 10 & 0x1C0);
}

static_assert(SituationCount == std::tuple_size_v<OutcomeTable>, "a row of outcomes for every situation");

} // namespace orbisk::step
