#include "x11/visual_format.h"

#include <bit>

#include "display/palette.h"

namespace orbisk {
namespace {

// A mask of one run of bits, inside the pixel.
bool usableMask(std::uint32_t mask, std::uint32_t bitsPerPixel) {
    if (mask == 0) return false;
    const std::uint32_t run = mask >> std::countr_zero(mask);
    const bool contiguous = (run & (run + 1)) == 0;
    return contiguous && (bitsPerPixel == 32 || (mask >> bitsPerPixel) == 0);
}

} // namespace

std::optional<DrawingFormat> drawingFormatFor(const VisualDescription& visual) {
    if (visual.visualClass == VisualClass::PseudoColorClass && visual.depth == 8 && visual.bitsPerPixel == 8 &&
        visual.colormapSize == 256)
        return DrawingFormat{8, PaletteRedMask, PaletteGreenMask, PaletteBlueMask, true, 0};
    if (visual.visualClass != VisualClass::TrueColorClass) return std::nullopt;
    const std::uint32_t bits = visual.bitsPerPixel;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
    if (!usableMask(visual.redMask, bits) || !usableMask(visual.greenMask, bits) || !usableMask(visual.blueMask, bits))
        return std::nullopt;
    if ((visual.redMask & visual.greenMask) | (visual.redMask & visual.blueMask) | (visual.greenMask & visual.blueMask))
        return std::nullopt;
    const std::uint32_t colours = visual.redMask | visual.greenMask | visual.blueMask;
    const std::uint32_t depthBits = visual.depth >= 32 ? 0xFFFFFFFF : (1u << visual.depth) - 1;
    return DrawingFormat{bits, visual.redMask, visual.greenMask, visual.blueMask, false, depthBits & ~colours};
}

std::string describeVisual(const VisualDescription& visual) {
    static const char* const names[] = {"StaticGray",  "GrayScale", "StaticColor",
                                        "PseudoColor", "TrueColor", "DirectColor"};
    const auto index = static_cast<std::size_t>(visual.visualClass);
    const std::string name = index < std::size(names) ? names[index] : "unknown";
    return "a " + name + " visual of depth " + std::to_string(visual.depth);
}

} // namespace orbisk
