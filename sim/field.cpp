#include "sim/field.h"

#include <algorithm>
#include <cstring>

#include "sim/tables.h"

namespace orbisk {
namespace {

constexpr int StackHeight = 200;
static_assert(BlockCount * StackHeight == ParticleCapacity);

static_assert(cells::Occupied == 0x80, "the counts are read as the top bit of a cell");

bool onEdge(std::int32_t x, std::int32_t y) { return x == 0 || x == FieldWidth - 1 || y == 0 || y == FieldHeight - 1; }

} // namespace

FlowField::FlowField(RandomGenerator& generator)
    : particleCount(0), particles{}, ring{}, grid_{}, counts_{}, crowdedCells_(0),
      stacked_(false), outcomes_{}, outcomesRing_{} {
    for (std::int32_t x = 0; x < FieldWidth; ++x)
        for (std::int32_t y = 0; y < FieldHeight; ++y)
            if (onEdge(x, y)) grid_[cells::at(x, y)] = cells::Edge;
    for (std::uint8_t& byte : ring.bytes) byte = static_cast<std::uint8_t>(generator.rand());
    ring.cursor = 0;
}

std::uint16_t FlowField::cellCount(std::int32_t x, std::int32_t y) const {
    if (stacked_) return counts_[static_cast<std::size_t>(cellIndex(x, y))];
    return (grid_[cells::at(x, y)] & cells::Occupied) ? 1 : 0;
}

// Counts above 1 need the counts kept: they are taken from the occupied bits when the first one comes.
void FlowField::setCellCount(std::int32_t x, std::int32_t y, std::uint16_t count) {
    if (!stacked_ && count > 1) {
        for (std::int32_t cx = 0; cx < FieldWidth; ++cx)
            for (std::int32_t cy = 0; cy < FieldHeight; ++cy)
                counts_[static_cast<std::size_t>(cellIndex(cx, cy))] = cellCount(cx, cy) != 0;
        crowdedCells_ = 0;
        stacked_ = true;
    }
    std::uint8_t& cell = grid_[cells::at(x, y)];
    cell = static_cast<std::uint8_t>(count != 0 ? cell | cells::Occupied : cell & ~cells::Occupied);
    if (!stacked_) return;
    std::uint8_t& kept = counts_[static_cast<std::size_t>(cellIndex(x, y))];
    crowdedCells_ += (count > 1) - (kept > 1);
    kept = static_cast<std::uint8_t>(count);
}

// All counts 0, kept: the seeding that follows stacks particles at once. The first step that leaves no cell with
// more than one particle lets the counts go.
void FlowField::clearCounts() {
    for (std::uint8_t& cell : grid_) cell &= static_cast<std::uint8_t>(~cells::Occupied);
    counts_.fill(0);
    crowdedCells_ = 0;
    stacked_ = true;
}

CellCounts FlowField::cellCounts() const {
    CellCounts counts{};
    if (stacked_) {
        std::copy(counts_.begin(), counts_.end(), counts.begin());
        return counts;
    }
    for (std::int32_t x = 0; x < FieldWidth; ++x) {
        const std::uint8_t* column = &grid_[cells::at(x, 0)];
        for (std::int32_t y = 0; y < FieldHeight; ++y)
            counts[static_cast<std::size_t>(cellIndex(x, y))] = column[y] >> 7; // the occupied bit
    }
    return counts;
}

void FlowField::setFlowCode(std::int32_t x, std::int32_t y, std::uint8_t code) { fillFlowCode(x, y, 1, 1, code); }

void FlowField::fillFlowCode(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                             std::uint8_t code) {
    const std::uint8_t flow = std::min(code, NoFlow);
    // Eight cells of a column at a time, as one word: a block's 40 rows take five.
    constexpr std::uint64_t EveryByte = 0x0101010101010101;
    const std::uint64_t keep = EveryByte * static_cast<std::uint8_t>(~cells::FlowMask), flows = EveryByte * flow;
    for (std::int32_t column = x; column < x + width; ++column) {
        std::uint8_t* cell = &grid_[cells::at(column, y)];
        std::int32_t row = 0;
        for (; row + 8 <= height; row += 8) {
            std::uint64_t word;
            std::memcpy(&word, cell + row, sizeof word);
            word = (word & keep) | flows;
            std::memcpy(cell + row, &word, sizeof word);
        }
        for (; row < height; ++row) cell[row] = static_cast<std::uint8_t>((cell[row] & ~cells::FlowMask) | flow);
    }
}

DirectionMap FlowField::directionMap() const {
    DirectionMap map{};
    for (std::int32_t x = 0; x < FieldWidth; ++x) {
        const std::uint8_t* column = &grid_[cells::at(x, 0)];
        for (std::int32_t y = 0; y < FieldHeight; ++y)
            map[static_cast<std::size_t>(cellIndex(x, y))] = column[y] & cells::FlowMask;
    }
    return map;
}

void FlowField::seed() {
    clearCounts();
    ring.cursor = 0;
    particleCount = 0;
    Particle* record = particles.data();
    for (int col = 0; col < BlockColumns; ++col)
        for (int row = 0; row < BlockRows; ++row)
            for (int k = 0; k < StackHeight; ++k, ++record) {
                Particle& p = *record;
                p.x = static_cast<std::int16_t>(BlockSize * col + BlockSize / 2);
                p.y = static_cast<std::int16_t>(BlockSize * row + BlockSize / 2);
                p.red = static_cast<std::uint8_t>(20 * row);
                p.green = static_cast<std::uint8_t>(15 * col);
                p.blue = static_cast<std::uint8_t>(255 - 15 * col);
                setCellCount(p.x, p.y, static_cast<std::uint16_t>(cellCount(p.x, p.y) + 1));
                ++particleCount;
            }
}

} // namespace orbisk
