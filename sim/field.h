// The field of the simulation: 38,400 particles on a 640 × 480 torus of cells, the count of particles on each cell,
// the flow direction of each cell and a ring of 256 random bytes.
#pragma once

#include <array>
#include <cstdint>

#include "sim/random.h"
#include "sim/tables.h"

namespace orbisk {

inline constexpr std::int32_t ParticleCapacity = 38400;
inline constexpr std::int32_t CellCount = FieldWidth * FieldHeight;

// The grids as the field defines them are stored column by column: the cells of column 0 come first.
constexpr std::int32_t cellIndex(std::int32_t x, std::int32_t y) { return x * FieldHeight + y; }

struct Particle {
    std::int16_t x;
    std::int16_t y;
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

using CellCounts = std::array<std::uint16_t, CellCount>;
using DirectionMap = std::array<std::uint8_t, CellCount>;

// The only source of chance in the particle step: 256 bytes drawn in turn, repeating every 256 draws.
struct RandomRing {
    std::array<std::uint8_t, 256> bytes;
    std::uint8_t cursor;

    std::uint8_t drawRingByte() { return bytes[cursor++]; }
};

// How the field keeps its cells. One byte a cell holds what the step reads of it: whether a particle stands there,
// the cell's flow code, and whether the cell lies on the edge of the field. Columns are padded to 512 cells, so
// that the three cells of a column around a particle are one 32-bit load and the neighbours of a cell inside the
// field lie at fixed distances; a particle on an edge cell takes a path that wraps.
//
// A cell holds more than one particle only while stacks of the seeding remain: a particle moves only onto a cell
// whose count it found 0, and nothing else fills that cell before its count becomes 1, so no count ever grows past
// 1 but by seeding. Until every cell holds at most one particle the field also keeps the counts themselves; from
// then on "occupied" is the count, and the step reads one byte a cell.
namespace cells {
inline constexpr std::int32_t ColumnStride = 512;
inline constexpr std::uint8_t Occupied = 0x80;
inline constexpr std::uint8_t Edge = 0x40;
inline constexpr std::uint8_t FlowMask = 0x0F;
// A column of padding before and after the field, so that the neighbourhood of any cell lies inside the grid.
inline constexpr std::int32_t Origin = ColumnStride + 1;
inline constexpr std::int32_t GridSize = (FieldWidth + 2) * ColumnStride;
static_assert(ColumnStride >= FieldHeight + 2, "a column and the padding around it");
constexpr std::size_t at(std::int32_t x, std::int32_t y) {
    return static_cast<std::size_t>(Origin + x * ColumnStride + y);
}
} // namespace cells

// What the ring makes of each situation of a particle (step_tables.h) at each cursor: the move tried (8: none) in
// the low four bits, and how many bytes were drawn in the high four.
using OutcomeTable = std::array<std::array<std::uint8_t, 256>, 18>;

class FlowField {
public:
    // Fills the ring from the generator, so the ring is the same on every run.
    explicit FlowField(RandomGenerator& generator);

    // Stacks 200 particles on each of the 192 block centres. Whatever ran before, the field is left as a first
    // seeding leaves it: the ring's cursor goes back to 0 (its bytes never change).
    void seed();

    // One frame: every particle, from the last slot down to slot 0, steps in place, and `draw` is told where it now
    // stands (step.h says how).
    template <typename Draw>
    void stepParticles(const Draw& draw);

    // Whether a cell may hold more than one particle: the seeding's stacks remain.
    bool stacked() const { return stacked_; }

    // The particles in use are records 0 to particleCount - 1; slot i holds record i.
    std::int32_t particleCount;
    alignas(64) std::array<Particle, ParticleCapacity> particles;
    RandomRing ring;

    // The count of particles on cell (x, y), and setting it (the seeding, and tests that build a field by hand).
    std::uint16_t cellCount(std::int32_t x, std::int32_t y) const;
    void setCellCount(std::int32_t x, std::int32_t y, std::uint16_t count);
    // Every count 0, and the counts kept, as the seeding needs them.
    void clearCounts();
    // All the counts in cellIndex order.
    CellCounts cellCounts() const;

    // The flow code of cell (x, y): 0 to 7 a direction, 8 no flow.
    std::uint8_t flowCode(std::int32_t x, std::int32_t y) const { return grid_[cells::at(x, y)] & cells::FlowMask; }
    void setFlowCode(std::int32_t x, std::int32_t y, std::uint8_t code);
    // The same code for every cell of the rectangle of `width` × `height` cells from (x, y).
    void fillFlowCode(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::uint8_t code);
    // All the flow codes in cellIndex order.
    DirectionMap directionMap() const;

    // The cell bytes themselves (cells::at), for a pass that reads them as the step does.
    std::uint8_t* cellGrid() { return grid_.data(); }

private:
    // The step's decisions as tables; the ring's part is made from the ring's own bytes, anew when a test has
    // written bytes of its own.
    void prepareOutcomes();
    template <typename Draw>
    void stepStacked(const Draw& draw);
    template <typename Draw>
    void stepSparse(const Draw& draw);
    // Steps a particle on an edge cell; returns the ring cursor after it.
    std::uint8_t stepOnEdge(Particle& p, std::uint8_t cursor);

    alignas(64) std::array<std::uint8_t, cells::GridSize> grid_;
    // While stacks remain: every cell's count, and how many cells hold more than one particle.
    std::array<std::uint8_t, CellCount> counts_;
    std::int32_t crowdedCells_;
    bool stacked_;
    OutcomeTable outcomes_;
    std::array<std::uint8_t, 256> outcomesRing_; // the ring bytes that outcomes_ was made from
    bool outcomesMade_ = false;
};

} // namespace orbisk
