// The two Windows picture files the saver's resources are made from: a .bmp with a palette, and a .ico. Both hold
// device-independent bitmaps: a 40-byte info header, a colour table and rows of palette indices, bottom row first.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/tables.h"

namespace orbisk {

// A picture of palette indices, row by row, top row first. Bits per pixel is 4 or 8; the palette has 16 or 256
// entries to match.
struct IndexedPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitCount = 8;
    std::vector<Colour> palette;
    std::vector<std::uint8_t> indices;
};

// An icon image: the picture, and which pixels let the screen show through (the AND mask).
struct IconImage {
    IndexedPicture picture;
    std::vector<bool> transparent;
};

// A whole .bmp file: file header, info header, colour table, pixels.
std::vector<std::uint8_t> bmpFile(const IndexedPicture& picture);

// A whole .ico file: the directory, then each image with its info header of doubled height, colour table, colour
// bits and AND mask.
std::vector<std::uint8_t> icoFile(const std::vector<IconImage>& images);

} // namespace orbisk
