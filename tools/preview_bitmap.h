// The preview picture: a 640 × 480 screen of the running saver made into a 160 × 120 picture of 256 colours.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/dib_files.h"

namespace orbisk {

inline constexpr std::uint32_t PreviewWidth = 160;
inline constexpr std::uint32_t PreviewHeight = 120;

// The moment the preview shows, 2.5 seconds after the pattern change at two minutes, on the renderer's default
// clock (orbisk-render --frames 7350 draws it). The new flow has reached about half of the blocks, so its whirls
// and the streams of the old one are both there: magenta, violet, blue, orange and yellow particles on black.
inline constexpr std::uint64_t PreviewFrame = 7350;
inline constexpr std::uint32_t PreviewFps = 60;
inline constexpr std::int64_t PreviewEpoch = 1000000000;

// screenRgb holds the 640 × 480 screen as RGB triples; the result is 160 × 120 colours, row by row.
std::vector<Colour> shrinkScreen(const std::vector<std::uint8_t>& screenRgb);

// The picture in at most 256 colours, chosen for it; entry 0 is black.
IndexedPicture quantise(const std::vector<Colour>& pixels, std::uint32_t width, std::uint32_t height);

} // namespace orbisk
