// The saver's picture without a display: the frame protocol of the saver driven by a fixed clock, drawing into an
// in-memory surface of any of the screen formats. The renderer, the tests and the benchmarks all run it.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <vector>

#include "sim/field.h"

namespace orbisk {

// 15 is 5-5-5 in two bytes; 8 is the 3-3-2 palette format.
enum class PictureFormat { Palette8 = 8, Rgb555 = 15, Rgb565 = 16, Rgb888 = 24, Xrgb8888 = 32 };

std::optional<PictureFormat> pictureFormatFromBits(long bits);

// Puts the simulation back to its state at program start (the generator at its initial state, a newly
// constructed field), so that one process can make several runs.
void resetSimulation();

// The calendar second at which the renderer's runs start unless told otherwise.
inline constexpr std::int64_t DefaultEpoch = 1000000000;

// The renderer's clock, which makes runs reproducible: frame k is drawn at tick floor(k × 1000 / fps) milliseconds,
// and a pattern change at that frame reads the calendar second epoch + tick / 1000. There is one calendar: the
// clock made last owns it.
class FixedClock {
public:
    FixedClock(std::uint32_t fps, std::int64_t epoch);

    // Moves on to the next frame, sets the calendar to it and returns its tick.
    std::uint32_t nextFrame();
    std::uint64_t frame() const { return frame_; }

private:
    std::uint32_t fps_;
    std::int64_t epoch_;
    std::uint64_t frame_ = 0;
};

// One run of the saver on a freshly started process (or after resetSimulation), on a FixedClock.
class HeadlessRun {
public:
    HeadlessRun(PictureFormat format, std::uint32_t fps, std::int64_t epoch);

    void renderFrame();
    // renderFrame, also counting the particles that moved in it (two more walks over all of them).
    std::int32_t renderFrameCountingMoves();

    std::uint64_t framesRendered() const { return clock_.frame(); }
    const std::vector<std::uint8_t>& surface() const { return surface_; }
    std::int32_t pitch() const { return pitch_; }
    // The picture as a screen would show it: 640 × 480 RGB triples, row by row.
    std::vector<std::uint8_t> screenRgb() const;

private:
    PictureFormat format_;
    FixedClock clock_;
    std::int32_t pitch_;
    std::vector<std::uint8_t> surface_;
};

struct RunStats {
    std::uint8_t cursor;
    std::int64_t countSum;
    std::uint16_t maxCount;
    std::uint64_t stateHash;
};

RunStats currentStats();

// FNV-1a, 64 bits, over every slot in use: x and y as little-endian 16-bit values, then red, green and blue.
std::uint64_t stateHash();

} // namespace orbisk
