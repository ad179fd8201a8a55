#include "headless/headless.h"

#include <algorithm>
#include <array>
#include <bit>

#include "display/palette.h"
#include "sim/tables.h"

namespace orbisk {
namespace {

struct FormatMasks {
    std::uint32_t bitCount, red, green, blue;
};

constexpr FormatMasks masksOf(PictureFormat format) {
    switch (format) {
    case PictureFormat::Palette8: return {8, PaletteRedMask, PaletteGreenMask, PaletteBlueMask};
    case PictureFormat::Rgb555: return {16, 0x7C00, 0x03E0, 0x001F};
    case PictureFormat::Rgb565: return {16, 0xF800, 0x07E0, 0x001F};
    case PictureFormat::Rgb888: return {24, 0xFF0000, 0x00FF00, 0x0000FF};
    case PictureFormat::Xrgb8888: return {32, 0xFF0000, 0x00FF00, 0x0000FF};
    }
    return {};
}

// Rows are padded, as a locked video surface may be, so that a plot that ignored the pitch would show.
constexpr std::int32_t RowPadding = 64;

// A channel field of any width, widened to 8 bits by repeating its bits from the top down.
std::uint8_t expandChannel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int width = std::popcount(mask);
    const std::uint32_t field = (pixel & mask) >> std::countr_zero(mask);
    std::uint32_t wide = 0;
    for (int filled = 0; filled < 8; filled += width) wide = (wide << width) | field;
    const int excess = ((8 + width - 1) / width) * width - 8;
    return static_cast<std::uint8_t>(wide >> excess);
}

std::uint32_t loadPixel(const std::uint8_t* at, std::uint32_t bytesPerPixel) {
    std::uint32_t value = 0;
    for (std::uint32_t b = 0; b < bytesPerPixel; ++b) value |= std::uint32_t{at[b]} << (8 * b);
    return value;
}

} // namespace

std::optional<PictureFormat> pictureFormatFromBits(long bits) {
    switch (bits) {
    case 8: return PictureFormat::Palette8;
    case 15: return PictureFormat::Rgb555;
    case 16: return PictureFormat::Rgb565;
    case 24: return PictureFormat::Rgb888;
    case 32: return PictureFormat::Xrgb8888;
    default: return std::nullopt;
    }
}

FixedClock::FixedClock(std::uint32_t fps, std::int64_t epoch)
    : fps_(fps), epoch_(epoch), second_(static_cast<std::time_t>(epoch)) {}

std::uint32_t FixedClock::nextFrame() {
    ++frame_;
    const std::uint64_t tick = frame_ * 1000 / fps_;
    second_ = static_cast<std::time_t>(epoch_ + static_cast<std::int64_t>(tick / 1000));
    return static_cast<std::uint32_t>(tick);
}

namespace {

PixelFormat formatOf(PictureFormat picture) {
    const FormatMasks masks = masksOf(picture);
    PixelFormat format;
    format.adopt(masks.bitCount, masks.red, masks.green, masks.blue);
    return format;
}

} // namespace

HeadlessRun::HeadlessRun(PictureFormat format, std::uint32_t fps, std::int64_t epoch)
    : format_(format), clock_(fps, epoch), simulation_(std::make_unique<Simulation>()), drawing_(formatOf(format)) {
    pitch_ = static_cast<std::int32_t>(FieldWidth * drawing_.format().bytesPerPixel) + RowPadding;
    surface_.assign(static_cast<std::size_t>(pitch_) * FieldHeight, 0);
    simulation_->calendar = clock_.calendar();
    startSimulation(*simulation_, 0);
}

void HeadlessRun::renderFrame() { drawing_.drawNextFrame(*simulation_, surface_.data(), pitch_, clock_.nextFrame()); }

std::int32_t HeadlessRun::renderFrameCountingMoves() {
    const FlowField& field = simulation_->field;
    std::vector<std::array<std::int16_t, 2>> before(static_cast<std::size_t>(field.particleCount));
    for (std::size_t i = 0; i < before.size(); ++i) before[i] = {field.particles[i].x, field.particles[i].y};
    renderFrame();
    std::int32_t moved = 0;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != std::array<std::int16_t, 2>{field.particles[i].x, field.particles[i].y}) ++moved;
    return moved;
}

std::vector<std::uint8_t> HeadlessRun::screenRgb() const {
    const PixelFormat& f = drawing_.format();
    std::vector<std::uint8_t> rgb;
    rgb.reserve(std::size_t{FieldWidth} * FieldHeight * 3);
    for (std::uint32_t y = 0; y < FieldHeight; ++y)
        for (std::uint32_t x = 0; x < FieldWidth; ++x) {
            const std::uint8_t* at =
                surface_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch_) + x * f.bytesPerPixel;
            const std::uint32_t pixel = loadPixel(at, f.bytesPerPixel);
            Colour c{};
            if (format_ == PictureFormat::Palette8)
                c = paletteColour(static_cast<std::uint8_t>(pixel));
            else
                c = {expandChannel(pixel, f.redMask), expandChannel(pixel, f.greenMask),
                     expandChannel(pixel, f.blueMask)};
            rgb.insert(rgb.end(), {c.red, c.green, c.blue});
        }
    return rgb;
}

std::uint64_t stateHash(const FlowField& field) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto mix = [&hash](std::uint8_t byte) { hash = (hash ^ byte) * 0x100000001b3ull; };
    for (std::int32_t i = 0; i < field.particleCount; ++i) {
        const Particle& p = field.particles[static_cast<std::size_t>(i)];
        const auto x = static_cast<std::uint16_t>(p.x);
        const auto y = static_cast<std::uint16_t>(p.y);
        for (std::uint8_t byte :
             {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(x >> 8), static_cast<std::uint8_t>(y),
              static_cast<std::uint8_t>(y >> 8), p.red, p.green, p.blue})
            mix(byte);
    }
    return hash;
}

RunStats runStats(const FlowField& field) {
    const CellCounts counts = field.cellCounts();
    std::int64_t sum = 0;
    for (std::uint16_t c : counts) sum += c;
    return {.cursor = field.ring.cursor,
            .countSum = sum,
            .maxCount = *std::max_element(counts.begin(), counts.end()),
            .stateHash = stateHash(field)};
}

} // namespace orbisk
