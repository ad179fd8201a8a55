// Where the 640 x 480 picture goes in a window of any size, and the black border around it.
#pragma once

#include <array>
#include <cstdint>

namespace orbisk {

struct Area {
    std::int32_t x, y;
    std::uint32_t width, height;
};

struct PicturePlacement {
    std::int32_t sourceX, sourceY; // the visible part of the picture starts here in the picture ...
    Area destination;              // ... and shows here in the window; empty when nothing is visible
    std::array<Area, 4> border;    // the rest of the window, in up to four bands
    std::size_t borderCount;
};

// The picture centred as the saver centres it (an odd surplus puts the extra pixel on the right or at the bottom),
// clipped to the window.
PicturePlacement placePicture(std::uint32_t windowWidth, std::uint32_t windowHeight);

} // namespace orbisk
