// The particle step, as a template over what draws the particles: the simulation decides where every particle goes,
// and hands each one to a `Draw` of the caller's (the display's plotters, or NoDrawing) as it steps:
//
//   draw.plot(x, y, red, green, blue)                  while stacks remain: the particle where it now stands
//   draw.move(fromX, fromY, x, y, red, green, blue)    afterwards: where it stood and where it stands now (the same
//                                                      cell when it stayed), in its new colour
//   draw.prefetch(x, y)                                a particle a few slots ahead, whose pixels come soon
//
// The hot loop is here, in a header, so that the drawing inlines into it.
#pragma once

#include <cstdint>

#include "sim/field.h"
#include "sim/step_tables.h"

namespace orbisk {

// A step that draws nothing: the simulation alone.
struct NoDrawing {
    void plot(std::int32_t, std::int32_t, std::uint8_t, std::uint8_t, std::uint8_t) const {}
    void move(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::uint8_t, std::uint8_t, std::uint8_t) const {}
    void prefetch(std::int32_t, std::int32_t) const {}
};

namespace step {
// The cells around a particle are scattered over the grid; a particle does not move before its own step, so its
// cells can be fetched while the particles before it are stepped.
inline constexpr std::int32_t PrefetchDistance = 16;
} // namespace step

template <typename Draw>
void FlowField::stepParticles(const Draw& draw) {
    prepareOutcomes();
    if (stacked_) return stepStacked(draw);
    stepSparse(draw);
}

// Every count is 0 or 1: the occupied bits are the counts. The decisions whose outcome is a coin toss are table
// look-ups rather than branches: the step runs 38,400 times a frame and a mispredicted branch costs more than the
// work. Staying and being blocked are such tosses too, so the particle always "moves": with move 8 it leaves its
// cell and enters it again.
template <typename Draw>
void FlowField::stepSparse(const Draw& draw) {
    std::uint8_t cursor = ring.cursor;
    std::uint8_t* const grid = grid_.data();
    for (std::int32_t i = particleCount - 1; i >= 0; --i) {
        if (i >= step::PrefetchDistance) {
            const Particle& ahead = particles[static_cast<std::size_t>(i - step::PrefetchDistance)];
            const std::uint8_t* cell = grid + cells::at(ahead.x, ahead.y);
            __builtin_prefetch(cell - cells::ColumnStride - 1);
            __builtin_prefetch(cell - 1);
            __builtin_prefetch(cell + cells::ColumnStride - 1);
            draw.prefetch(ahead.x, ahead.y);
        }
        Particle& p = particles[static_cast<std::size_t>(i)];
        std::uint8_t* const cell = grid + cells::at(p.x, p.y);
        if (*cell & cells::Edge) {
            const std::int32_t fromX = p.x, fromY = p.y;
            cursor = stepOnEdge(p, cursor);
            draw.move(fromX, fromY, p.x, p.y, p.red, p.green, p.blue);
            continue;
        }
        const std::uint32_t around = step::neighbourhood(cell);
        const std::uint8_t outcome = outcomes_[step::SituationOf[*cell & cells::FlowMask][around]][cursor];
        cursor = static_cast<std::uint8_t>(cursor + (outcome >> 4));
        const std::uint8_t made = step::MadeOf[outcome & 0xF][around];
        const step::MoveStep& move = step::MoveSteps[made];
        *cell &= static_cast<std::uint8_t>(~cells::Occupied);
        cell[move.cellOffset] |= cells::Occupied;
        const auto x = static_cast<std::int16_t>(p.x + move.dx);
        const auto y = static_cast<std::int16_t>(p.y + move.dy);
        const step::ColourDrift& colour = step::ColourAfter[made];
        const std::uint8_t red = colour.red[p.red], green = colour.green[p.green], blue = colour.blue[p.blue];
        draw.move(p.x, p.y, x, y, red, green, blue);
        p.x = x, p.y = y, p.red = red, p.green = green, p.blue = blue;
    }
    ring.cursor = cursor;
}

// While stacks remain: the pushes are the neighbours' counts. A frame that leaves no cell with more than one
// particle ends this for good (counts never grow past 1 but by seeding).
template <typename Draw>
void FlowField::stepStacked(const Draw& draw) {
    std::uint8_t cursor = ring.cursor;
    for (std::int32_t i = particleCount - 1; i >= 0; --i) {
        Particle& p = particles[static_cast<std::size_t>(i)];
        const std::int32_t x = p.x, y = p.y;
        int n[8];
        std::uint32_t around = 1u << step::NeighbourBit[NoFlow];
        for (std::size_t k = 0; k < 8; ++k) {
            const std::int32_t nx = step::WrapColumn[static_cast<std::size_t>(x + 1 + DirectionStep[k].dx)];
            const std::int32_t ny = step::WrapRow[static_cast<std::size_t>(y + 1 + DirectionStep[k].dy)];
            n[k] = counts_[static_cast<std::size_t>(cellIndex(nx, ny))];
            if (n[k] != 0) around |= 1u << step::NeighbourBit[k];
        }
        const std::uint8_t situation =
            step::situationOf((n[1] + n[2] + n[3]) - (n[5] + n[6] + n[7]), (n[3] + n[4] + n[5]) - (n[0] + n[1] + n[7]),
                              grid_[cells::at(x, y)] & cells::FlowMask);
        const std::uint8_t outcome = outcomes_[situation][cursor];
        const unsigned move = outcome & 0xF;
        cursor = static_cast<std::uint8_t>(cursor + (outcome >> 4));
        if (!(around >> step::NeighbourBit[move] & 1)) {
            setCellCount(x, y, static_cast<std::uint16_t>(counts_[static_cast<std::size_t>(cellIndex(x, y))] - 1));
            step::takeWrappedMove(p, x, y, move);
            setCellCount(p.x, p.y, 1);
        }
        draw.plot(p.x, p.y, p.red, p.green, p.blue);
    }
    ring.cursor = cursor;
    if (crowdedCells_ == 0) stacked_ = false;
}

} // namespace orbisk
