// The shared state of the simulation: 38,400 particles on a 640 × 480 torus of cells, the count of particles on
// each cell, the flow direction of each cell and a ring of 256 random bytes. All of it is static.
#pragma once

#include <array>
#include <cstdint>

namespace orbisk {

inline constexpr std::int32_t ParticleCapacity = 38400;
inline constexpr std::int32_t SlotCapacity = 65536;
inline constexpr std::int32_t CellCount = 640 * 480;

// Both grids are stored column by column: the 480 cells of column 0 come first.
constexpr std::int32_t cellIndex(std::int32_t x, std::int32_t y) { return x * 480 + y; }

struct Particle {
    std::int32_t slot; // the slot-table entry that refers to this record
    std::int16_t x;
    std::int16_t y;
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t threshold; // seeded as 0 and never changed
};

using CellCounts = std::array<std::uint16_t, CellCount>;
using DirectionMap = std::array<std::uint8_t, CellCount>;

// The only source of chance in the particle step: 256 bytes drawn in turn, repeating every 256 draws.
struct RandomRing {
    std::array<std::uint8_t, 256> bytes;
    std::uint8_t cursor;

    std::uint8_t drawRingByte() { return bytes[cursor++]; }
};

class FlowField {
public:
    // Fills the ring from the generator, so the ring is the same on every run.
    FlowField();

    // One frame: every particle, from the last slot down to slot 0, steps in place and is plotted.
    void stepParticles();

    std::array<Particle*, SlotCapacity> slots;
    std::int32_t particleCount;
    CellCounts cellCounts;
    DirectionMap directionMap;
    RandomRing ring;

private:
    void prefetchCells(const Particle& p) const;
};

extern FlowField flowField;
extern std::array<Particle, ParticleCapacity> particleRecords;

struct FrameClock {
    std::uint32_t tickBase;  // millisecond tick count when the display was set up
    float elapsedSeconds;    // seconds since then, advanced once per frame
};

extern FrameClock frameClock;

// Whole tenths of a second since the display was set up.
std::int32_t elapsedTenths();

// Stacks 200 particles on each of the 192 block centres and starts the schedule. Whatever ran before, the field
// is left as the first seeding of a new process leaves it: the ring's cursor goes back to 0 (its bytes never
// change), and the generator is left alone, since each pattern change reseeds it before drawing.
void seedField();

} // namespace orbisk
