// A fresh simulation for each test: the state of a newly started process, with a 32-bit picture locked as the
// frame target so that the step can plot.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <numeric>
#include <vector>

#include "display/pixels.h"
#include "sim/field.h"
#include "sim/frame.h"
#include "sim/schedule.h"
#include "headless/headless.h"

namespace orbisk::testing {

struct Placed {
    std::int16_t x, y;
    std::uint8_t red, green, blue;
};

class FieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSimulation();
        setCalendarClock(nullptr);
        adoptPixelFormat(32, 0xFF0000, 0x00FF00, 0x0000FF);
        picture.assign(std::size_t{640} * 4 * 480, 0);
        frameTarget.surface = picture.data();
        frameTarget.pitch = 640 * 4;
    }
    void TearDown() override { frameTarget.surface = nullptr; }

    // The field as the display set-up leaves it: clock at 0, particles seeded, schedule started.
    static void seed() { startSimulation(0); }

    // Puts exactly these particles on a field with no flow (code 8 everywhere) and the ring cursor at 0.
    static void place(std::initializer_list<Placed> placed) {
        fillFlow(8);
        flowField.clearCounts();
        flowField.particleCount = 0;
        for (const Placed& q : placed) {
            Particle& p = particleRecords[static_cast<std::size_t>(flowField.particleCount)];
            p = {flowField.particleCount, q.x, q.y, q.red, q.green, q.blue, 0};
            ++flowField.particleCount;
            flowField.setCellCount(q.x, q.y, static_cast<std::uint16_t>(countAt(q.x, q.y) + 1));
        }
    }

    static Particle& slot(std::int32_t i) { return particleRecords[static_cast<std::size_t>(i)]; }

    static std::uint16_t countAt(std::int32_t x, std::int32_t y) { return flowField.cellCount(x, y); }

    static std::int64_t sumOfCounts() {
        const CellCounts counts = flowField.cellCounts();
        return std::accumulate(counts.begin(), counts.end(), std::int64_t{0});
    }

    // Every cell of the field gets this flow code.
    static void fillFlow(std::uint8_t code) { flowField.fillFlowCode(0, 0, 640, 480, code); }

    std::uint32_t pixelAt(std::int32_t x, std::int32_t y) const {
        const std::uint8_t* at = picture.data() + y * frameTarget.pitch + x * 4;
        return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
               std::uint32_t{at[3]} << 24;
    }

    std::vector<std::uint8_t> picture;
};

} // namespace orbisk::testing
