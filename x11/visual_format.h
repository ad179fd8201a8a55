// Which X visuals orbisk-x11 can draw on, and the pixel format it then draws in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orbisk {

// X's visual classes, numbered as the protocol numbers them.
enum class VisualClass {
    StaticGrayClass,
    GrayScaleClass,
    StaticColorClass,
    PseudoColorClass,
    TrueColorClass,
    DirectColorClass
};

struct VisualDescription {
    VisualClass visualClass;
    std::uint32_t depth;
    std::uint32_t bitsPerPixel; // of a picture of that depth on this server
    std::uint32_t colormapSize;
    std::uint32_t redMask, greenMask, blueMask;
};

struct DrawingFormat {
    std::uint32_t bitsPerPixel;
    std::uint32_t redMask, greenMask, blueMask;
    bool palette; // the picture's pixels are indices of the 3-3-2 palette, which the window's colormap must hold
    std::uint32_t alphaMask; // bits of the depth that no colour uses (alpha, at depth 32): set in every pixel
};

// True colour in pixels of 1 to 4 bytes, drawn with the visual's masks (the usual depths are 15, 16, 24 and 32)
// and opaque where the depth has bits for alpha, so that a compositor shows the picture; or a 256-entry
// PseudoColor visual of 8 bits, drawn in the 3-3-2 palette. Nothing else.
std::optional<DrawingFormat> drawingFormatFor(const VisualDescription& visual);

// "a TrueColor visual of depth 12", for the message that says a visual cannot be drawn on.
std::string describeVisual(const VisualDescription& visual);

} // namespace orbisk
