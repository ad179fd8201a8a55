// Packing a particle's colour into the screen's pixel format and storing it as one pixel of the locked picture.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

namespace orbisk {

struct PixelFormat {
    std::uint32_t bytesPerPixel = 0; // 1, 2, 3 or 4
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    std::int32_t redShift = 0; // places bit 7 of the channel on the mask's highest bit
    std::int32_t greenShift = 0;
    std::int32_t blueShift = 0;
    std::uint32_t alphaMask = 0; // set in every pixel: an opaque alpha channel (a web page's canvas); 0 for screens

    // What the display set-up records once it knows the screen: the bytes per pixel, the masks and their shifts
    // (an empty mask leaves its shift as it was).
    void adopt(std::uint32_t bitCount, std::uint32_t red, std::uint32_t green, std::uint32_t blue,
               std::uint32_t alpha = 0);

    bool operator==(const PixelFormat&) const = default;
};

// The locked picture that a frame draws into.
struct FrameTarget {
    std::uint8_t* surface; // valid only while the picture is locked
    std::int32_t pitch;    // bytes from one row to the next; may exceed the row
    std::uint32_t clearColour;
    std::uint32_t width; // exclusive limits of a plot
    std::uint32_t height;
};

// The shift that puts bit 7 of an 8-bit channel on the mask's highest set bit; none for an empty mask.
std::optional<std::int32_t> shiftForMask(std::uint32_t mask);

inline std::uint32_t packChannel(std::uint8_t value, std::int32_t shift, std::uint32_t mask) {
    const std::uint32_t v = value;
    if (shift > 0) return (v << shift) & mask;
    if (shift < 0) return (v >> -shift) & mask;
    return v & mask;
}

inline std::uint32_t packColour(const PixelFormat& f, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return packChannel(red, f.redShift, f.redMask) | packChannel(green, f.greenShift, f.greenMask) |
           packChannel(blue, f.blueShift, f.blueMask) | f.alphaMask;
}

// Stores the low bytes of a pixel value, little-endian; any other pixel size stores nothing.
inline void storePixel(std::uint8_t* at, std::uint32_t value, std::uint32_t bytesPerPixel) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    switch (bytesPerPixel) {
    case 1: std::memcpy(at, bytes, 1); break;
    case 2: std::memcpy(at, bytes, 2); break;
    case 3: std::memcpy(at, bytes, 3); break;
    case 4: std::memcpy(at, bytes, 4); break;
    default: break;
    }
}

// Draws one point into the locked picture; points outside it (negative ones too) are left out.
inline void plotPoint(const PixelFormat& format, const FrameTarget& t, std::int32_t x, std::int32_t y, std::uint8_t red,
                      std::uint8_t green, std::uint8_t blue) {
    if (static_cast<std::uint32_t>(x) >= t.width || static_cast<std::uint32_t>(y) >= t.height) return;
    const std::uint32_t bytesPerPixel = format.bytesPerPixel;
    storePixel(t.surface + y * t.pitch + x * static_cast<std::int32_t>(bytesPerPixel),
               packColour(format, red, green, blue), bytesPerPixel);
}

// Fills the locked picture (the frame target's limits) with the clear colour.
void clearPicture(const PixelFormat& format, const FrameTarget& target);

// plotPoint for a whole frame of plots: the format and the target are copied once, and each channel is packed by
// a table made with packChannel. A store into the picture then does not make the next plot read the records
// again, and a plot costs three look-ups instead of three shifts and masks each.
class FramePlotter {
public:
    FramePlotter(const PixelFormat& format, const FrameTarget& target);

    void plot(std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
        if (static_cast<std::uint32_t>(x) >= width_ || static_cast<std::uint32_t>(y) >= height_) return;
        storePixel(surface_ + y * pitch_ + x * static_cast<std::int32_t>(bytesPerPixel_),
                   red_[red] | green_[green] | blue_[blue], bytesPerPixel_);
    }

    // Whether the locked picture holds a pixel for every cell of the field, so that plotInside may be used.
    bool holdsTheField() const;
    std::uint32_t bytesPerPixel() const { return bytesPerPixel_; }

    // plot for a point of the field, into a picture that holds the field, with pixels of `Bytes` bytes.
    template <std::uint32_t Bytes>
    void plotInside(std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
        storePixel(at<Bytes>(x, y), red_[red] | green_[green] | blue_[blue], Bytes);
    }

    // Asks for the pixels around (x, y), rows y - 1 to y + 1, ahead of a plot there or next to it.
    template <std::uint32_t Bytes>
    void prefetchAround(std::int32_t x, std::int32_t y) const {
        const std::uint8_t* pixel = at<Bytes>(x, y);
        __builtin_prefetch(pixel - (y > 0 ? pitch_ : 0), 1);
        __builtin_prefetch(pixel, 1);
        __builtin_prefetch(pixel + (y + 1 < static_cast<std::int32_t>(height_) ? pitch_ : 0), 1);
    }

    // Moves a point drawn at (fromX, fromY) to (x, y) in its new colour: the old pixel gets the clear colour first.
    template <std::uint32_t Bytes>
    void movePoint(std::int32_t fromX, std::int32_t fromY, std::int32_t x, std::int32_t y, std::uint8_t red,
                   std::uint8_t green, std::uint8_t blue) const {
        storePixel(at<Bytes>(fromX, fromY), clearColour_, Bytes);
        plotInside<Bytes>(x, y, red, green, blue);
    }

private:
    template <std::uint32_t Bytes>
    std::uint8_t* at(std::int32_t x, std::int32_t y) const {
        return surface_ + y * pitch_ + x * static_cast<std::int32_t>(Bytes);
    }

    std::array<std::uint32_t, 256> red_, green_, blue_;
    std::uint8_t* surface_;
    std::int32_t pitch_;
    std::uint32_t bytesPerPixel_, width_, height_, clearColour_;
};

} // namespace orbisk
