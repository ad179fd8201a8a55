// The black border around the picture as X draws rectangles, whose positions are signed 16-bit numbers while a
// window may be up to 65,535 pixels wide and tall.
#pragma once

#include <array>
#include <cstdint>

#include "display/picture_placement.h"

namespace orbisk {

struct BorderRectangle {
    std::int16_t x, y;
    std::uint16_t width, height;
};

// The placement's border bands, the first placement.borderCount of them. A band that starts past 32,767 starts
// there instead: it also covers the edge of the picture before it, which the picture, drawn after the border,
// covers again.
std::array<BorderRectangle, 4> borderRectangles(const PicturePlacement& placement);

} // namespace orbisk
