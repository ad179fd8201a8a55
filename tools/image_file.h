// Writing an RGB picture as PNG or binary PPM.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orbisk {

// rgb holds width × height triples, row by row. On failure returns false and says why in `error`.
bool writePng(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width,
              std::uint32_t height, std::string& error);
bool writePpm(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width,
              std::uint32_t height, std::string& error);

} // namespace orbisk
