// The saver's picture for a web page. The page's script calls these once per display refresh with its own
// millisecond clock and the calendar second, or runs the renderer's fixed clock, and shows the 640 x 480 picture
// they draw: canvas pixels, bytes R, G, B, A.
#include <array>
#include <cstdint>
#include <ctime>
#include <optional>

#include "display/frame_drawing.h"
#include "display/pixels.h"
#include "headless/headless.h"
#include "sim/frame.h"
#include "sim/schedule.h"
#include "sim/tables.h"

namespace {

using namespace orbisk;

// The canvas's pixels are little-endian 32-bit pixels, red in the low byte, alpha in the high one.
constexpr std::uint32_t Opaque = 0xFF000000;
std::array<std::uint32_t, FieldWidth * FieldHeight> picture;

std::optional<FixedClock> fixedClock;
std::time_t pageCalendarSecond;
std::time_t pageCalendar() { return pageCalendarSecond; }

void draw(std::uint32_t tick) { drawNextFrame(reinterpret_cast<std::uint8_t*>(picture.data()), FieldWidth * 4, tick); }

} // namespace

#define EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Starts the run at the page's tick and calendar second, or, when fixedFps is not 0, on the renderer's clock: frame
// k at tick k × 1000 / fixedFps, calendar from 1,000,000,000.
EXPORT(orbisk_start) void orbiskStart(std::uint32_t tick, double calendarSecond, std::uint32_t fixedFps) {
    resetSimulation();
    adoptPixelFormat(32, 0x0000FF, 0x00FF00, 0xFF0000, Opaque);
    frameTarget.clearColour = Opaque;
    if (fixedFps != 0) {
        fixedClock.emplace(fixedFps, DefaultEpoch);
        tick = 0;
    } else {
        fixedClock.reset();
        pageCalendarSecond = static_cast<std::time_t>(calendarSecond);
        setCalendarClock(pageCalendar);
    }
    startSimulation(tick);
}

// Draws the next frame, at the page's tick and calendar second (both unused on the fixed clock).
EXPORT(orbisk_frame) void orbiskFrame(std::uint32_t tick, double calendarSecond) {
    if (fixedClock) {
        draw(fixedClock->nextFrame());
        return;
    }
    pageCalendarSecond = static_cast<std::time_t>(calendarSecond);
    draw(tick);
}

EXPORT(orbisk_picture) std::uint32_t* orbiskPicture() { return picture.data(); }

EXPORT(orbisk_state_hash) std::uint64_t orbiskStateHash() { return stateHash(); }
