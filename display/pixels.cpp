#include "display/pixels.h"

#include "sim/tables.h"

namespace orbisk {

PixelFormat pixelFormat;
FrameTarget frameTarget;

std::optional<std::int32_t> shiftForMask(std::uint32_t mask) {
    for (std::int32_t bit = 31; bit >= 0; --bit)
        if (mask & (1u << bit)) return bit - 7;
    return std::nullopt;
}

FramePlotter::FramePlotter()
    : surface_(frameTarget.surface), pitch_(frameTarget.pitch), bytesPerPixel_(pixelFormat.bytesPerPixel),
      width_(frameTarget.width), height_(frameTarget.height), clearColour_(frameTarget.clearColour) {
    const PixelFormat& f = pixelFormat;
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

void clearPicture() {
    const FrameTarget& t = frameTarget;
    const std::uint32_t bytesPerPixel = pixelFormat.bytesPerPixel;
    for (std::uint32_t y = 0; y < t.height; ++y) {
        std::uint8_t* row = t.surface + static_cast<std::ptrdiff_t>(y) * t.pitch;
        if (t.clearColour == 0) {
            std::memset(row, 0, std::size_t{t.width} * bytesPerPixel);
            continue;
        }
        for (std::uint32_t x = 0; x < t.width; ++x) storePixel(row + x * bytesPerPixel, t.clearColour, bytesPerPixel);
    }
}

void adoptPixelFormat(std::uint32_t bitCount, std::uint32_t redMask, std::uint32_t greenMask, std::uint32_t blueMask,
                      std::uint32_t alphaMask) {
    frameTarget.height = FieldHeight;
    frameTarget.width = FieldWidth;
    pixelFormat.bytesPerPixel = bitCount >> 3;
    pixelFormat.redMask = redMask;
    pixelFormat.greenMask = greenMask;
    pixelFormat.blueMask = blueMask;
    pixelFormat.alphaMask = alphaMask;
    if (auto shift = shiftForMask(redMask)) pixelFormat.redShift = *shift;
    if (auto shift = shiftForMask(greenMask)) pixelFormat.greenShift = *shift;
    if (auto shift = shiftForMask(blueMask)) pixelFormat.blueShift = *shift;
}

} // namespace orbisk
