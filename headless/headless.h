// The saver's picture without a display: the frame protocol of the saver driven by a fixed clock, drawing into an
// in-memory surface of any of the screen formats. The renderer, the tests and the benchmarks all run it.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <vector>

#include "display/frame_drawing.h"
#include "sim/simulation.h"

namespace orbisk {

// 15 is 5-5-5 in two bytes; 8 is the 3-3-2 palette format.
enum class PictureFormat { Palette8 = 8, Rgb555 = 15, Rgb565 = 16, Rgb888 = 24, Xrgb8888 = 32 };

std::optional<PictureFormat> pictureFormatFromBits(long bits);

// The calendar second at which the renderer's runs start unless told otherwise.
inline constexpr std::int64_t DefaultEpoch = 1000000000;

// The renderer's clock, which makes runs reproducible: frame k is drawn at tick floor(k × 1000 / fps) milliseconds,
// and a pattern change at that frame reads the calendar second epoch + tick / 1000.
class FixedClock {
public:
    FixedClock(std::uint32_t fps, std::int64_t epoch);

    // Moves on to the next frame, sets the calendar to it and returns its tick.
    std::uint32_t nextFrame();
    std::uint64_t frame() const { return frame_; }
    // The calendar second of the frame, for the simulation that runs on this clock (Simulation::calendar).
    const std::time_t* calendar() const { return &second_; }

private:
    std::uint32_t fps_;
    std::int64_t epoch_;
    std::uint64_t frame_ = 0;
    std::time_t second_;
};

// One run of the saver, from its start, on a FixedClock, into a picture of its own.
class HeadlessRun {
public:
    HeadlessRun(PictureFormat format, std::uint32_t fps, std::int64_t epoch);
    HeadlessRun(const HeadlessRun&) = delete; // the simulation reads the clock's calendar where it is
    HeadlessRun& operator=(const HeadlessRun&) = delete;

    void renderFrame();
    // renderFrame, also counting the particles that moved in it (two more walks over all of them).
    std::int32_t renderFrameCountingMoves();

    std::uint64_t framesRendered() const { return clock_.frame(); }
    const Simulation& simulation() const { return *simulation_; }
    Simulation& simulation() { return *simulation_; }
    const PixelFormat& pixelFormat() const { return drawing_.format(); }
    const std::vector<std::uint8_t>& surface() const { return surface_; }
    std::int32_t pitch() const { return pitch_; }
    // The picture as a screen would show it: 640 × 480 RGB triples, row by row.
    std::vector<std::uint8_t> screenRgb() const;

private:
    PictureFormat format_;
    FixedClock clock_;
    std::unique_ptr<Simulation> simulation_;
    FrameDrawing drawing_;
    std::int32_t pitch_;
    std::vector<std::uint8_t> surface_;
};

struct RunStats {
    std::uint8_t cursor;
    std::int64_t countSum;
    std::uint16_t maxCount;
    std::uint64_t stateHash;
};

RunStats runStats(const FlowField& field);

// FNV-1a, 64 bits, over every slot in use: x and y as little-endian 16-bit values, then red, green and blue.
std::uint64_t stateHash(const FlowField& field);

} // namespace orbisk
