// Where the 640 x 480 picture goes in a window of any size, each of its pixels drawn as a square of scale × scale
// pixels, and the black border around it.
#pragma once

#include <array>
#include <cstdint>

namespace orbisk {

struct Area {
    std::int32_t x, y;
    std::uint32_t width, height;
};

struct PicturePlacement {
    std::uint32_t scale;
    std::int32_t sourceX, sourceY; // the visible part of the scaled picture starts here in it ...
    Area destination;              // ... and shows here in the window; empty when nothing is visible
    std::array<Area, 4> border;    // the rest of the window, in up to four bands
    std::size_t borderCount;
};

// The X server enlarges the picture through a transform of 16.16 fixed-point numbers, 1 / scale: up to this scale
// its error over a whole row stays below half a window pixel, and every block shows its own picture pixel.
inline constexpr std::uint32_t LargestScale = 10;

// The scale asked for, or when none is (0) the largest whole factor at which the picture fits the window, from 1 to
// LargestScale.
std::uint32_t pictureScale(std::uint32_t requested, std::uint32_t windowWidth, std::uint32_t windowHeight);

// The scaled picture centred as the saver centres its picture (an odd surplus puts the extra pixel on the right or at
// the bottom), clipped to the window.
PicturePlacement placePicture(std::uint32_t windowWidth, std::uint32_t windowHeight, std::uint32_t scale = 1);

} // namespace orbisk
