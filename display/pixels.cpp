#include "display/pixels.h"

#include "sim/tables.h"

namespace orbisk {

std::optional<std::int32_t> shiftForMask(std::uint32_t mask) {
    for (std::int32_t bit = 31; bit >= 0; --bit)
        if (mask & (1u << bit)) return bit - 7;
    return std::nullopt;
}

FramePlotter::FramePlotter(const PixelFormat& f, const FrameTarget& target)
    : surface_(target.surface), pitch_(target.pitch), bytesPerPixel_(f.bytesPerPixel), width_(target.width),
      height_(target.height), clearColour_(target.clearColour) {
    for (unsigned v = 0; v < 256; ++v) {
        const auto value = static_cast<std::uint8_t>(v);
        red_[v] = packChannel(value, f.redShift, f.redMask) | f.alphaMask;
        green_[v] = packChannel(value, f.greenShift, f.greenMask);
        blue_[v] = packChannel(value, f.blueShift, f.blueMask);
    }
}

bool FramePlotter::holdsTheField() const {
    return surface_ && width_ >= FieldWidth && height_ >= FieldHeight && bytesPerPixel_ >= 1 && bytesPerPixel_ <= 4;
}

void clearPicture(const PixelFormat& format, const FrameTarget& t) {
    const std::uint32_t bytesPerPixel = format.bytesPerPixel;
    for (std::uint32_t y = 0; y < t.height; ++y) {
        std::uint8_t* row = t.surface + static_cast<std::ptrdiff_t>(y) * t.pitch;
        if (t.clearColour == 0) {
            std::memset(row, 0, std::size_t{t.width} * bytesPerPixel);
            continue;
        }
        for (std::uint32_t x = 0; x < t.width; ++x) storePixel(row + x * bytesPerPixel, t.clearColour, bytesPerPixel);
    }
}

void PixelFormat::adopt(std::uint32_t bitCount, std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                        std::uint32_t alpha) {
    bytesPerPixel = bitCount >> 3;
    redMask = red;
    greenMask = green;
    blueMask = blue;
    alphaMask = alpha;
    if (auto shift = shiftForMask(red)) redShift = *shift;
    if (auto shift = shiftForMask(green)) greenShift = *shift;
    if (auto shift = shiftForMask(blue)) blueShift = *shift;
}

} // namespace orbisk
