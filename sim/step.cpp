#include <algorithm>

#include "display/pixels.h"
#include "sim/field.h"
#include "sim/tables.h"

namespace orbisk {
namespace {

// The push that a cell's flow code adds; every byte of 8 or more is no flow.
struct FlowPush {
    std::array<std::int8_t, 256> dx, dy;
};

constexpr FlowPush makeFlowPush() {
    FlowPush push{};
    for (std::size_t code = 0; code < 8; ++code) {
        push.dx[code] = static_cast<std::int8_t>(DirectionStep[code].dx);
        push.dy[code] = static_cast<std::int8_t>(DirectionStep[code].dy);
    }
    return push;
}

constexpr FlowPush FlowPushOf = makeFlowPush();

// The field wraps: entry c + 1 is the column of c for c from -1 to 640, and likewise for the rows.
template <std::size_t Size>
constexpr std::array<std::int16_t, Size + 2> makeWrap() {
    std::array<std::int16_t, Size + 2> wrap{};
    for (std::size_t i = 0; i < Size + 2; ++i) wrap[i] = static_cast<std::int16_t>((i + Size - 1) % Size);
    return wrap;
}

constexpr auto WrapColumn = makeWrap<640>();
constexpr auto WrapRow = makeWrap<480>();

// The preferred move for the signs of the two pushes, indexed [sign of horizontal + 1][sign of vertical + 1].
constexpr std::uint8_t PreferredMove[3][3] = {{3, 2, 1}, {4, NoFlow, 0}, {5, 6, 7}};

// The two lowest bits of a ring byte: straight half of the time, one code lower or higher a quarter each.
constexpr std::uint8_t Deflection[4] = {0, 7, 0, 1};

constexpr int sign(std::int32_t v) { return (v > 0) - (v < 0); }

// Bit 0 of a ring byte breaks a tie in one axis.
constexpr std::int32_t coin(std::uint8_t byte) { return (byte & 1) * 2 - 1; }

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

// The cells around a particle are scattered over the 600 KB of counts; a particle does not move before its own
// step, so its cells can be fetched while the particles before it are stepped.
constexpr std::int32_t PrefetchDistance = 8;

} // namespace

void FlowField::prefetchCells(const Particle& p) const {
    const std::int32_t x = p.x;
    const std::int32_t y = p.y;
    __builtin_prefetch(&cellCounts[static_cast<std::size_t>(cellIndex(WrapColumn[x], y))]);
    __builtin_prefetch(&cellCounts[static_cast<std::size_t>(cellIndex(x, y))]);
    __builtin_prefetch(&cellCounts[static_cast<std::size_t>(cellIndex(WrapColumn[x + 2], y))]);
    __builtin_prefetch(&directionMap[static_cast<std::size_t>(cellIndex(x, y))]);
}

// The decisions whose outcome is a coin toss (the tie-break, staying or moving) are written as arithmetic rather
// than branches: the step runs 38,400 times a frame and a mispredicted branch costs more than the work.
void FlowField::stepParticles() {
    const FramePlotter plotter;
    std::uint8_t cursor = ring.cursor;
    for (std::int32_t i = particleCount - 1; i >= 0; --i) {
        if (i >= PrefetchDistance) prefetchCells(*slots[static_cast<std::size_t>(i - PrefetchDistance)]);
        Particle& p = *slots[static_cast<std::size_t>(i)];
        const std::int32_t x = p.x;
        const std::int32_t y = p.y;
        // Codes 1 to 3 lie in the left column, 5 to 7 in the right one.
        const std::uint16_t* left = &cellCounts[static_cast<std::size_t>(cellIndex(WrapColumn[x], 0))];
        std::uint16_t* centre = &cellCounts[static_cast<std::size_t>(cellIndex(x, 0))];
        const std::uint16_t* right = &cellCounts[static_cast<std::size_t>(cellIndex(WrapColumn[x + 2], 0))];
        const std::int32_t up = WrapRow[y];
        const std::int32_t down = WrapRow[y + 2];
        const std::uint16_t n[8] = {centre[down], left[down], left[y],  left[up],
                                    centre[up],   right[up], right[y], right[down]};

        // Every neighbour pushes the particle away from itself with its count; a balance is broken at random.
        std::int32_t horizontalPush = (n[1] + n[2] + n[3]) - (n[5] + n[6] + n[7]);
        std::int32_t verticalPush = (n[3] + n[4] + n[5]) - (n[0] + n[1] + n[7]);
        const std::int32_t balanced = horizontalPush == 0 && verticalPush == 0; // both pushes are 0 then
        horizontalPush += balanced * coin(ring.bytes[cursor]);
        verticalPush += balanced * coin(ring.bytes[static_cast<std::uint8_t>(cursor + 1)]);
        cursor = static_cast<std::uint8_t>(cursor + 2 * balanced);

        const std::uint8_t flow = directionMap[static_cast<std::size_t>(cellIndex(x, y))];
        horizontalPush += FlowPushOf.dx[flow];
        verticalPush += FlowPushOf.dy[flow];

        // Without a push the particle stays and draws nothing; the byte of a blocked move is drawn all the same.
        const std::int32_t pushed = (horizontalPush | verticalPush) != 0;
        const std::uint8_t preferred = PreferredMove[sign(horizontalPush) + 1][sign(verticalPush) + 1];
        const unsigned move = (preferred + Deflection[ring.bytes[cursor] & 3]) & 7;
        cursor = static_cast<std::uint8_t>(cursor + pushed);
        // The move made, or 8 when the particle stays. Staying and being blocked are coin tosses to the
        // processor, so the particle always "moves": with code 8 it leaves its cell and enters it again.
        const unsigned stays = !pushed | (n[move] != 0);
        const unsigned made = move + stays * (NoFlow - move); // arithmetic, or the compiler makes it a branch
        const Step step = DirectionStep[made];
        const std::int32_t toX = WrapColumn[x + 1 + step.dx];
        const std::int32_t toY = WrapRow[y + 1 + step.dy];
        --centre[y];
        ++cellCounts[static_cast<std::size_t>(cellIndex(toX, toY))];
        p.x = static_cast<std::int16_t>(toX);
        p.y = static_cast<std::int16_t>(toY);
        const ColourDrift& colour = ColourAfter[made];
        p.red = colour.red[p.red];
        p.green = colour.green[p.green];
        p.blue = colour.blue[p.blue];
        plotter.plot(p.x, p.y, p.red, p.green, p.blue);
    }
    ring.cursor = cursor;
}

} // namespace orbisk
