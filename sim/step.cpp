#include <algorithm>
#include <cstring>

#include "display/pixels.h"
#include "sim/field.h"
#include "sim/tables.h"

namespace orbisk {
namespace {

// The eight neighbours and the own cell of a particle as nine bits, row by row from the row above: bits 0 to 2
// are the row above (left, own column, right), 3 to 5 the particle's own row, 6 to 8 the row below. Bit
// NeighbourBit[k] stands for neighbour k; NeighbourBit[8] is the own cell, which a particle always occupies.
constexpr int NeighbourBit[9] = {7, 6, 3, 0, 1, 2, 5, 8, 4};

constexpr int sign(int v) { return (v > 0) - (v < 0); }

// The preferred move for the signs of the two pushes, indexed [sign of horizontal + 1][sign of vertical + 1].
constexpr std::uint8_t PreferredMove[3][3] = {{3, 2, 1}, {4, NoFlow, 0}, {5, 6, 7}};

// The two lowest bits of a ring byte: straight half of the time, one code lower or higher a quarter each.
constexpr std::uint8_t Deflection[4] = {0, 7, 0, 1};

// What the neighbourhood and the flow decide before the ring is read. With counts of 0 or 1 the pushes follow from
// the nine bits alone: a situation is 0 to 7, the preferred move; 8, no push (the particle stays and draws nothing);
// or 9 + flow code, a balance that two ring bytes break before the flow is added.
constexpr std::uint8_t Stays = NoFlow;
constexpr std::uint8_t Balanced = 9;
constexpr int SituationCount = Balanced + 9;

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
            table[static_cast<std::size_t>(flow)][static_cast<std::size_t>(bits)] =
                situationOf((n[1] + n[2] + n[3]) - (n[5] + n[6] + n[7]), (n[3] + n[4] + n[5]) - (n[0] + n[1] + n[7]),
                            flow);
        }
    return table;
}

constexpr SituationTable SituationOf = makeSituations();

// What the ring makes of a situation at each cursor: the move tried (8: none) in the low four bits, and how many
// bytes were drawn in the high four. The ring never changes, so the table is made once, when the field is made.
using OutcomeTable = std::array<std::array<std::uint8_t, 256>, SituationCount>;

std::uint8_t outcomeOf(const RandomRing& ring, std::uint8_t situation, std::uint8_t cursor) {
    const auto byte = [&ring, cursor](int k) { return ring.bytes[static_cast<std::uint8_t>(cursor + k)]; };
    int drawn = 0;
    if (situation >= Balanced) {
        const int flow = situation - Balanced;
        situation = situationOf((byte(0) & 1) ? 1 : -1, (byte(1) & 1) ? 1 : -1, flow);
        drawn = 2;
    }
    if (situation == Stays) return static_cast<std::uint8_t>(NoFlow | drawn << 4);
    const int move = (situation + Deflection[byte(drawn) & 3]) & 7;
    return static_cast<std::uint8_t>(move | (drawn + 1) << 4);
}

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

constexpr auto ColourAfter = makeColourDrift();

// The field wraps: entry c + 1 is the column of c for c from -1 to 640, and likewise for the rows.
template <std::size_t Size>
constexpr std::array<std::int16_t, Size + 2> makeWrap() {
    std::array<std::int16_t, Size + 2> wrap{};
    for (std::size_t i = 0; i < Size + 2; ++i) wrap[i] = static_cast<std::int16_t>((i + Size - 1) % Size);
    return wrap;
}

constexpr auto WrapColumn = makeWrap<640>();
constexpr auto WrapRow = makeWrap<480>();

// Moves the particle at (x, y), wrapping across the edges, and gives it the colour the move makes.
void takeWrappedMove(Particle& p, std::int32_t x, std::int32_t y, unsigned move) {
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

constexpr MadeTable MadeOf = makeMadeOf();

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

constexpr auto MoveSteps = makeMoveSteps();

std::uint32_t load32(const std::uint8_t* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The nine bits of the cells around `cell` (inside the field): three columns of three bytes, read four at a time.
std::uint32_t neighbourhood(const std::uint8_t* cell) {
    constexpr std::uint32_t Rows = cells::Occupied * 0x010101u; // the occupied bit of the row above, own, below
    const std::uint32_t left = load32(cell - cells::ColumnStride - 1) & Rows;
    const std::uint32_t own = load32(cell - 1) & Rows;
    const std::uint32_t right = load32(cell + cells::ColumnStride - 1) & Rows;
    // Byte r of `rows` holds row r's three cells in bits 8r to 8r + 2, left to right.
    const std::uint32_t rows = left >> 7 | own >> 6 | right >> 5;
    return (rows & 0x7) | (rows >> 5 & 0x38) | (rows >> 10 & 0x1C0);
}

// The ring as a table of outcomes, and the ring it was made for.
OutcomeTable outcomes;
std::array<std::uint8_t, 256> outcomesRing;
bool outcomesMade = false;

// The cells around a particle are scattered over the grid; a particle does not move before its own step, so its
// cells can be fetched while the particles before it are stepped.
constexpr std::int32_t PrefetchDistance = 16;

} // namespace

// The ring is filled once, when the field is made; a test that writes its own bytes gets its table at the next step.
void FlowField::prepareOutcomes(const RandomRing& ring) {
    if (outcomesMade && outcomesRing == ring.bytes) return;
    outcomesRing = ring.bytes;
    outcomesMade = true;
    for (int situation = 0; situation < SituationCount; ++situation)
        for (int cursor = 0; cursor < 256; ++cursor)
            outcomes[static_cast<std::size_t>(situation)][static_cast<std::size_t>(cursor)] =
                outcomeOf(ring, static_cast<std::uint8_t>(situation), static_cast<std::uint8_t>(cursor));
}

// Draws every particle where its step leaves it, into a picture of `Bytes` bytes a pixel: on a cleared picture by
// plotting it, on one that holds the last frame by moving its point.
template <std::uint32_t Bytes>
struct PlotInside {
    const FramePlotter& plotter;
    void operator()(std::int32_t, std::int32_t, std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green,
                    std::uint8_t blue) const {
        plotter.plotInside<Bytes>(x, y, red, green, blue);
    }
    void prefetch(std::int32_t x, std::int32_t y) const { plotter.prefetchAround<Bytes>(x, y); }
};

template <std::uint32_t Bytes>
struct MoveInside {
    const FramePlotter& plotter;
    void operator()(std::int32_t fromX, std::int32_t fromY, std::int32_t x, std::int32_t y, std::uint8_t red,
                    std::uint8_t green, std::uint8_t blue) const {
        plotter.movePoint<Bytes>(fromX, fromY, x, y, red, green, blue);
    }
    void prefetch(std::int32_t x, std::int32_t y) const { plotter.prefetchAround<Bytes>(x, y); }
};

// A picture that may not hold the whole field: every plot is checked.
struct PlotChecked {
    const FramePlotter& plotter;
    void operator()(std::int32_t, std::int32_t, std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green,
                    std::uint8_t blue) const {
        plotter.plot(x, y, red, green, blue);
    }
    void prefetch(std::int32_t, std::int32_t) const {}
};

template <template <std::uint32_t> class Draw>
void FlowField::stepSparseInto(const FramePlotter& plotter) {
    switch (plotter.bytesPerPixel()) {
    case 1: return stepSparse(Draw<1>{plotter});
    case 2: return stepSparse(Draw<2>{plotter});
    case 3: return stepSparse(Draw<3>{plotter});
    default: return stepSparse(Draw<4>{plotter});
    }
}

void FlowField::stepParticles() {
    prepareOutcomes(ring);
    if (stacked_ && frameTarget.holdsLastFrame) clearPicture(); // points on stacks cannot simply move
    const FramePlotter plotter;
    if (stacked_) return stepStacked(plotter);
    if (!plotter.holdsTheField()) return stepSparse(PlotChecked{plotter});
    if (frameTarget.holdsLastFrame) return stepSparseInto<MoveInside>(plotter);
    stepSparseInto<PlotInside>(plotter);
}

// Every count is 0 or 1: the occupied bits are the counts. The decisions whose outcome is a coin toss are table
// look-ups rather than branches: the step runs 38,400 times a frame and a mispredicted branch costs more than the
// work. Staying and being blocked are such tosses too, so the particle always "moves": with move 8 it leaves its
// cell and enters it again.
template <typename Plot>
void FlowField::stepSparse(const Plot& plot) {
    std::uint8_t cursor = ring.cursor;
    std::uint8_t* const grid = grid_.data();
    for (std::int32_t i = particleCount - 1; i >= 0; --i) {
        if (i >= PrefetchDistance) {
            const Particle& ahead = particleRecords[static_cast<std::size_t>(i - PrefetchDistance)];
            const std::uint8_t* cell = grid + cells::at(ahead.x, ahead.y);
            __builtin_prefetch(cell - cells::ColumnStride - 1);
            __builtin_prefetch(cell - 1);
            __builtin_prefetch(cell + cells::ColumnStride - 1);
            plot.prefetch(ahead.x, ahead.y);
        }
        Particle& p = particleRecords[static_cast<std::size_t>(i)];
        std::uint8_t* const cell = grid + cells::at(p.x, p.y);
        if (*cell & cells::Edge) {
            const std::int32_t fromX = p.x, fromY = p.y;
            cursor = stepOnEdge(p, cursor);
            plot(fromX, fromY, p.x, p.y, p.red, p.green, p.blue);
            continue;
        }
        const std::uint32_t around = neighbourhood(cell);
        const std::uint8_t outcome = outcomes[SituationOf[*cell & cells::FlowMask][around]][cursor];
        cursor = static_cast<std::uint8_t>(cursor + (outcome >> 4));
        const std::uint8_t made = MadeOf[outcome & 0xF][around];
        const MoveStep& move = MoveSteps[made];
        *cell &= static_cast<std::uint8_t>(~cells::Occupied);
        cell[move.cellOffset] |= cells::Occupied;
        const auto x = static_cast<std::int16_t>(p.x + move.dx);
        const auto y = static_cast<std::int16_t>(p.y + move.dy);
        const ColourDrift& colour = ColourAfter[made];
        const std::uint8_t red = colour.red[p.red], green = colour.green[p.green], blue = colour.blue[p.blue];
        plot(p.x, p.y, x, y, red, green, blue);
        p.x = x, p.y = y, p.red = red, p.green = green, p.blue = blue;
    }
    ring.cursor = cursor;
}

// A particle on an edge cell: the same decisions, with neighbours across the edges.
std::uint8_t FlowField::stepOnEdge(Particle& p, std::uint8_t cursor) {
    const std::int32_t x = p.x, y = p.y;
    std::uint32_t around = 0;
    for (int k = 0; k < 9; ++k) {
        const std::int32_t nx = WrapColumn[static_cast<std::size_t>(x + 1 + DirectionStep[k].dx)];
        const std::int32_t ny = WrapRow[static_cast<std::size_t>(y + 1 + DirectionStep[k].dy)];
        if (grid_[cells::at(nx, ny)] & cells::Occupied) around |= 1u << NeighbourBit[k];
    }
    const std::uint8_t own = grid_[cells::at(x, y)];
    const std::uint8_t outcome = outcomes[SituationOf[own & cells::FlowMask][around]][cursor];
    const unsigned move = outcome & 0xF;
    cursor = static_cast<std::uint8_t>(cursor + (outcome >> 4));
    if (around >> NeighbourBit[move] & 1) return cursor; // stays, or blocked
    grid_[cells::at(x, y)] &= static_cast<std::uint8_t>(~cells::Occupied);
    takeWrappedMove(p, x, y, move);
    grid_[cells::at(p.x, p.y)] |= cells::Occupied;
    return cursor;
}

// While stacks remain: the pushes are the neighbours' counts. A frame that leaves no cell with more than one
// particle ends this for good (counts never grow past 1 but by seeding).
void FlowField::stepStacked(const FramePlotter& plotter) {
    std::uint8_t cursor = ring.cursor;
    for (std::int32_t i = particleCount - 1; i >= 0; --i) {
        Particle& p = particleRecords[static_cast<std::size_t>(i)];
        const std::int32_t x = p.x, y = p.y;
        int n[8];
        std::uint32_t around = 1u << NeighbourBit[NoFlow];
        for (int k = 0; k < 8; ++k) {
            const std::int32_t nx = WrapColumn[static_cast<std::size_t>(x + 1 + DirectionStep[k].dx)];
            const std::int32_t ny = WrapRow[static_cast<std::size_t>(y + 1 + DirectionStep[k].dy)];
            n[k] = counts_[static_cast<std::size_t>(cellIndex(nx, ny))];
            if (n[k] != 0) around |= 1u << NeighbourBit[k];
        }
        const std::uint8_t situation =
            situationOf((n[1] + n[2] + n[3]) - (n[5] + n[6] + n[7]), (n[3] + n[4] + n[5]) - (n[0] + n[1] + n[7]),
                        grid_[cells::at(x, y)] & cells::FlowMask);
        const std::uint8_t outcome = outcomes[situation][cursor];
        const unsigned move = outcome & 0xF;
        cursor = static_cast<std::uint8_t>(cursor + (outcome >> 4));
        if (!(around >> NeighbourBit[move] & 1)) {
            setCellCount(x, y, static_cast<std::uint16_t>(counts_[static_cast<std::size_t>(cellIndex(x, y))] - 1));
            takeWrappedMove(p, x, y, move);
            setCellCount(p.x, p.y, 1);
        }
        plotter.plot(p.x, p.y, p.red, p.green, p.blue);
    }
    ring.cursor = cursor;
    if (crowdedCells_ == 0) stacked_ = false;
}

} // namespace orbisk
