#include "x11/border_rectangles.h"

#include <algorithm>

namespace orbisk {
namespace {

constexpr std::int32_t LargestPosition = 32767;

// A start within 16 bits, and the length that reaches the same end from it.
struct Span {
    std::int16_t start;
    std::uint16_t length;
};

Span span(std::int32_t start, std::uint32_t length) {
    const std::int32_t from = std::min(start, LargestPosition);
    const auto reach = length + static_cast<std::uint32_t>(start - from);
    return {static_cast<std::int16_t>(from), static_cast<std::uint16_t>(reach)};
}

} // namespace

std::array<BorderRectangle, 4> borderRectangles(const PicturePlacement& placement) {
    std::array<BorderRectangle, 4> rectangles{};
    for (std::size_t i = 0; i < placement.borderCount; ++i) {
        const Area& band = placement.border[i];
        const Span across = span(band.x, band.width), down = span(band.y, band.height);
        rectangles[i] = {across.start, down.start, across.length, down.length};
    }
    return rectangles;
}

} // namespace orbisk
