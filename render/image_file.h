// An RGB picture as the bytes of a PNG or binary PPM file.
#pragma once

#include <cstdint>
#include <vector>

namespace orbisk {

// rgb holds width × height triples, row by row. Empty when the picture cannot be encoded (libpng out of memory).
std::vector<std::uint8_t> pngFile(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height);
std::vector<std::uint8_t> ppmFile(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height);

} // namespace orbisk
