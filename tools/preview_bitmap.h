// The preview picture: a 640 × 480 screen of the running saver made into a 160 × 120 picture of 256 colours.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/dib_files.h"

namespace orbisk {

inline constexpr std::uint32_t PreviewWidth = 160;
inline constexpr std::uint32_t PreviewHeight = 120;

// screenRgb holds the 640 × 480 screen as RGB triples; the result is 160 × 120 colours, row by row.
std::vector<Colour> shrinkScreen(const std::vector<std::uint8_t>& screenRgb);

// The picture in at most 256 colours, chosen for it; entry 0 is black.
IndexedPicture quantise(const std::vector<Colour>& pixels, std::uint32_t width, std::uint32_t height);

} // namespace orbisk
