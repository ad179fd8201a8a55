// The saver's picture for a web page. The page's script calls these once per display refresh with its own
// millisecond clock and the calendar second, or runs the renderer's fixed clock, and shows the 640 x 480 picture
// they draw: canvas pixels, bytes R, G, B, A.
#include <array>
#include <cstdint>
#include <ctime>
#include <optional>

#include "display/frame_drawing.h"
#include "headless/headless.h"
#include "sim/simulation.h"
#include "sim/tables.h"

namespace {

using namespace orbisk;

// The canvas's pixels are little-endian 32-bit pixels, red in the low byte, alpha in the high one.
constexpr std::uint32_t Opaque = 0xFF000000;

PixelFormat canvasFormat() {
    PixelFormat format;
    format.adopt(32, 0x0000FF, 0x00FF00, 0xFF0000, Opaque);
    return format;
}

// The page's run. The module's functions take no context, and a page runs one saver: the run is the module's own,
// and its picture stays where the page's script found it when it started.
struct PageRun {
    std::optional<Simulation> simulation; // made anew in place by each start
    FrameDrawing drawing;
    std::optional<FixedClock> fixedClock;
    std::time_t calendarSecond = 0;
    std::array<std::uint32_t, FieldWidth * FieldHeight> picture{};

    void draw(std::uint32_t tick) {
        drawing.drawNextFrame(*simulation, reinterpret_cast<std::uint8_t*>(picture.data()), FieldWidth * 4, tick);
    }
};

PageRun page;

} // namespace

#define EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Starts the run at the page's tick and calendar second, or, when fixedFps is not 0, on the renderer's clock: frame
// k at tick k × 1000 / fixedFps, calendar from 1,000,000,000.
EXPORT(orbisk_start) void orbiskStart(std::uint32_t tick, double calendarSecond, std::uint32_t fixedFps) {
    Simulation& simulation = page.simulation.emplace();
    page.drawing = FrameDrawing(canvasFormat(), Opaque); // nothing of an earlier run is on the picture
    if (fixedFps != 0) {
        page.fixedClock.emplace(fixedFps, DefaultEpoch);
        simulation.calendar = page.fixedClock->calendar();
        tick = 0;
    } else {
        page.fixedClock.reset();
        page.calendarSecond = static_cast<std::time_t>(calendarSecond);
        simulation.calendar = &page.calendarSecond;
    }
    startSimulation(simulation, tick);
}

// Draws the next frame, at the page's tick and calendar second (both unused on the fixed clock).
EXPORT(orbisk_frame) void orbiskFrame(std::uint32_t tick, double calendarSecond) {
    if (page.fixedClock) {
        page.draw(page.fixedClock->nextFrame());
        return;
    }
    page.calendarSecond = static_cast<std::time_t>(calendarSecond);
    page.draw(tick);
}

EXPORT(orbisk_picture) std::uint32_t* orbiskPicture() { return page.picture.data(); }

EXPORT(orbisk_state_hash) std::uint64_t orbiskStateHash() { return stateHash(page.simulation->field); }
