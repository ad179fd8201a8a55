// The fixed 3-3-2 palette used at 8 bits per pixel: an index holds three bits of red, three of green and two of
// blue, from the top, which is exactly what the packing produces with the masks 0xE0, 0x1C and 0x03.
#pragma once

#include <cstdint>

#include "sim/tables.h"

namespace orbisk {

inline constexpr std::uint32_t PaletteRedMask = 0xE0;
inline constexpr std::uint32_t PaletteGreenMask = 0x1C;
inline constexpr std::uint32_t PaletteBlueMask = 0x03;

constexpr Colour paletteColour(std::uint8_t index) {
    return {static_cast<std::uint8_t>(((index >> 5) & 7) * 255 / 7),
            static_cast<std::uint8_t>(((index >> 2) & 7) * 255 / 7), static_cast<std::uint8_t>((index & 3) * 255 / 3)};
}

} // namespace orbisk
