#include "sim/field.h"

#include "sim/random.h"
#include "sim/schedule.h"
#include "sim/tables.h"

namespace orbisk {
namespace {

constexpr int StackHeight = 200;
static_assert(BlockCount * StackHeight == ParticleCapacity && ParticleCapacity <= SlotCapacity);

} // namespace

FlowField flowField;
std::array<Particle, ParticleCapacity> particleRecords;
FrameClock frameClock;

FlowField::FlowField() : slots{}, particleCount(0), cellCounts{}, directionMap{}, ring{} {
    for (std::uint8_t& byte : ring.bytes) byte = static_cast<std::uint8_t>(rand());
    ring.cursor = 0;
}

std::int32_t elapsedTenths() {
    return static_cast<std::int32_t>(static_cast<double>(frameClock.elapsedSeconds) * 10.0);
}

void seedField() {
    flowField.cellCounts.fill(0);
    flowField.ring.cursor = 0;
    flowField.particleCount = 0;
    Particle* record = particleRecords.data();
    for (int col = 0; col < BlockColumns; ++col)
        for (int row = 0; row < BlockRows; ++row)
            for (int k = 0; k < StackHeight; ++k, ++record) {
                Particle& p = *record;
                flowField.slots[static_cast<std::size_t>(flowField.particleCount)] = &p;
                p.slot = flowField.particleCount;
                p.x = static_cast<std::int16_t>(BlockSize * col + BlockSize / 2);
                p.y = static_cast<std::int16_t>(BlockSize * row + BlockSize / 2);
                p.red = static_cast<std::uint8_t>(20 * row);
                p.green = static_cast<std::uint8_t>(15 * col);
                p.blue = static_cast<std::uint8_t>(255 - 15 * col);
                p.threshold = 0;
                ++flowField.cellCounts[static_cast<std::size_t>(cellIndex(p.x, p.y))];
                ++flowField.particleCount;
            }
    startSchedule();
}

} // namespace orbisk
