// A picture kept from frame to frame, in which only the particles that move are redrawn, shows what a cleared
// picture with every particle plotted shows: also across the stacks of the first frames, and when a frame drawn into
// another picture comes in between (the kept one is then drawn whole again).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/frame_drawing.h"
#include "display/pixels.h"
#include "sim/simulation.h"

namespace orbisk {
namespace {

// Rows are padded; the padding is never drawn on.
constexpr std::int32_t Pitch = 640 * 2 + 6;
constexpr std::uint8_t Unwritten = 0xAB;

std::vector<std::uint8_t> everyParticlePlotted(const FlowField& field, const PixelFormat& format) {
    std::vector<std::uint8_t> picture(std::size_t{Pitch} * 480, Unwritten);
    const FrameTarget target = {picture.data(), Pitch, 0, 640, 480};
    clearPicture(format, target);
    for (std::int32_t i = field.particleCount - 1; i >= 0; --i) {
        const Particle& p = field.particles[static_cast<std::size_t>(i)];
        plotPoint(format, target, p.x, p.y, p.red, p.green, p.blue);
    }
    return picture;
}

TEST(FrameDrawing, AKeptPictureShowsWhatAWholeDrawingShows) {
    const auto simulation = std::make_unique<Simulation>();
    PixelFormat format;
    format.adopt(16, 0xF800, 0x07E0, 0x001F);
    FrameDrawing drawing(format);
    startSimulation(*simulation, 0);
    std::vector<std::uint8_t> kept(std::size_t{Pitch} * 480, Unwritten), other(kept.size());
    for (std::uint32_t frame = 1; frame <= 240; ++frame) {
        const std::uint32_t tick = frame * 1000 / 60;
        if (frame % 60 == 45)
            drawing.drawFrame(*simulation, other.data(), Pitch, tick);
        else
            drawing.drawNextFrame(*simulation, kept.data(), Pitch, tick);
        if (frame % 30 == 0 || frame == 1) {
            ASSERT_TRUE(kept == everyParticlePlotted(simulation->field, format)) << "frame " << frame;
        }
    }
}

} // namespace
} // namespace orbisk
