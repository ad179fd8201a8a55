// Writing an RGB picture as PNG or binary PPM.
//
// A picture is written to a temporary file beside its path and renamed over it once complete, so the path holds
// either what it held before or the whole new picture, and a failed write leaves no temporary file behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orbisk {

// Whether a picture could be written to `path`, found out without creating or changing anything there: a file
// already at the path must be writable and its folder must take new files. If not, says why in `error`.
bool canWriteImage(const std::string& path, std::string& error);

// rgb holds width × height triples, row by row. On failure returns false and says why in `error`.
bool writePng(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width,
              std::uint32_t height, std::string& error);
bool writePpm(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width,
              std::uint32_t height, std::string& error);

} // namespace orbisk
