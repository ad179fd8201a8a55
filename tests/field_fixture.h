// A fresh simulation for each test, the state of a newly started run, with a 32-bit picture that the step plots into.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <numeric>
#include <vector>

#include "display/pixels.h"
#include "headless/headless.h"
#include "sim/simulation.h"

namespace orbisk::testing {

struct Placed {
    std::int16_t x, y;
    std::uint8_t red, green, blue;
};

class FieldTest : public ::testing::Test {
protected:
    FieldTest() : simulation_(std::make_unique<Simulation>()), sim(*simulation_), field(sim.field) {
        format.adopt(32, 0xFF0000, 0x00FF00, 0x0000FF);
        picture.assign(std::size_t{640} * 4 * 480, 0);
    }

    // The field as the display set-up leaves it: clock at 0, particles seeded, schedule started.
    void seed() { startSimulation(sim, 0); }

    // One step of the field, every particle plotted where it ends.
    void step() { field.stepParticles(plotted()); }
    // A whole frame at `tick`, plotted likewise.
    void frame(std::uint32_t tick) { simulateFrame(sim, tick, plotted()); }

    // Puts exactly these particles on a field with no flow (code 8 everywhere) and the ring cursor at 0.
    void place(std::initializer_list<Placed> placed) {
        fillFlow(8);
        field.clearCounts();
        field.ring.cursor = 0;
        field.particleCount = 0;
        for (const Placed& q : placed) {
            Particle& p = field.particles[static_cast<std::size_t>(field.particleCount)];
            p = {q.x, q.y, q.red, q.green, q.blue};
            ++field.particleCount;
            field.setCellCount(q.x, q.y, static_cast<std::uint16_t>(countAt(q.x, q.y) + 1));
        }
    }

    Particle& slot(std::int32_t i) { return field.particles[static_cast<std::size_t>(i)]; }

    std::uint16_t countAt(std::int32_t x, std::int32_t y) const { return field.cellCount(x, y); }

    std::int64_t sumOfCounts() const {
        const CellCounts counts = field.cellCounts();
        return std::accumulate(counts.begin(), counts.end(), std::int64_t{0});
    }

    // Every cell of the field gets this flow code.
    void fillFlow(std::uint8_t code) { field.fillFlowCode(0, 0, 640, 480, code); }

    std::uint32_t pixelAt(std::int32_t x, std::int32_t y) const {
        const std::uint8_t* at = picture.data() + y * 640 * 4 + x * 4;
        return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
               std::uint32_t{at[3]} << 24;
    }

private:
    // Plots every particle where the step leaves it.
    struct Plotted {
        const PixelFormat& format;
        FrameTarget target;
        void plot(std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
            plotPoint(format, target, x, y, red, green, blue);
        }
        void move(std::int32_t, std::int32_t, std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green,
                  std::uint8_t blue) const {
            plot(x, y, red, green, blue);
        }
        void prefetch(std::int32_t, std::int32_t) const {}
    };

    Plotted plotted() { return {format, {picture.data(), 640 * 4, 0, 640, 480}}; }

    std::unique_ptr<Simulation> simulation_;

protected:
    Simulation& sim;
    FlowField& field;
    PixelFormat format;
    std::vector<std::uint8_t> picture;
};

} // namespace orbisk::testing
