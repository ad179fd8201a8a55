#include "sim/step.h"

namespace orbisk {

using namespace step; // the decisions' tables

namespace {

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

} // namespace

void FlowField::prepareOutcomes() {
    if (outcomesMade_ && outcomesRing_ == ring.bytes) return;
    outcomesRing_ = ring.bytes;
    outcomesMade_ = true;
    for (int situation = 0; situation < step::SituationCount; ++situation)
        for (int cursor = 0; cursor < 256; ++cursor)
            outcomes_[static_cast<std::size_t>(situation)][static_cast<std::size_t>(cursor)] =
                outcomeOf(ring, static_cast<std::uint8_t>(situation), static_cast<std::uint8_t>(cursor));
}

// A particle on an edge cell: the same decisions, with neighbours across the edges.
std::uint8_t FlowField::stepOnEdge(Particle& p, std::uint8_t cursor) {
    const std::int32_t x = p.x, y = p.y;
    std::uint32_t around = 0;
    for (std::size_t k = 0; k < 9; ++k) {
        const std::int32_t nx = WrapColumn[static_cast<std::size_t>(x + 1 + DirectionStep[k].dx)];
        const std::int32_t ny = WrapRow[static_cast<std::size_t>(y + 1 + DirectionStep[k].dy)];
        if (grid_[cells::at(nx, ny)] & cells::Occupied) around |= 1u << NeighbourBit[k];
    }
    const std::uint8_t own = grid_[cells::at(x, y)];
    const std::uint8_t outcome = outcomes_[SituationOf[own & cells::FlowMask][around]][cursor];
    const unsigned move = outcome & 0xF;
    cursor = static_cast<std::uint8_t>(cursor + (outcome >> 4));
    if (around >> NeighbourBit[move] & 1) return cursor; // stays, or blocked
    grid_[cells::at(x, y)] &= static_cast<std::uint8_t>(~cells::Occupied);
    takeWrappedMove(p, x, y, move);
    grid_[cells::at(p.x, p.y)] |= cells::Occupied;
    return cursor;
}

} // namespace orbisk
