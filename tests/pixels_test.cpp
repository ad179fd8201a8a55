// Mask shifts, colour packing in every screen format, the 3-3-2 palette and the bounds and pitch of a plot.
#include <gtest/gtest.h>

#include <vector>

#include "display/palette.h"
#include "display/pixels.h"

namespace orbisk {
namespace {

TEST(ShiftForMask, PutsBitSevenOnTheHighestMaskBit) {
    const std::pair<std::uint32_t, std::int32_t> cases[] = {
        {0xE0, 0},     {0x1C, -3},       {0x03, -6},       {0xF800, 8},     {0x07E0, 3},
        {0x001F, -3},  {0x7C00, 7},      {0x03E0, 2},      {0xFF0000, 16},  {0x00FF00, 8},
        {0x0000FF, 0}, {0x00000001, -7}, {0x80000000, 24}, {0x80000001, 24}};
    for (auto [mask, shift] : cases) EXPECT_EQ(shiftForMask(mask), shift) << std::hex << mask;
    EXPECT_FALSE(shiftForMask(0).has_value());
}

struct Format {
    const char* name;
    std::uint32_t bits, red, green, blue;
};

const Format Rgb565{"5-6-5", 16, 0xF800, 0x07E0, 0x001F};
const Format Rgb555{"5-5-5", 16, 0x7C00, 0x03E0, 0x001F};
const Format Palette332{"3-3-2", 8, PaletteRedMask, PaletteGreenMask, PaletteBlueMask};
const Format Rgb888{"8-8-8", 24, 0xFF0000, 0x00FF00, 0x0000FF};

PixelFormat formatOf(const Format& f) {
    PixelFormat format;
    format.adopt(f.bits, f.red, f.green, f.blue);
    return format;
}

TEST(PackColour, EveryScreenFormat) {
    struct Case {
        std::uint8_t r, g, b;
        std::uint32_t rgb565, rgb555, p332, rgb888;
    };
    const Case cases[] = {{255, 128, 0, 0xFC00, 0x7E00, 0xF0, 0xFF8000},
                          {128, 128, 128, 0x8410, 0x4210, 0x92, 0x808080},
                          {20, 15, 240, 0x107E, 0x083E, 0x03, 0x140FF0},
                          {255, 255, 255, 0xFFFF, 0x7FFF, 0xFF, 0xFFFFFF},
                          {0, 0, 0, 0, 0, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(packColour(formatOf(Rgb565), c.r, c.g, c.b), c.rgb565);
        EXPECT_EQ(packColour(formatOf(Rgb555), c.r, c.g, c.b), c.rgb555);
        EXPECT_EQ(packColour(formatOf(Palette332), c.r, c.g, c.b), c.p332);
        EXPECT_EQ(packColour(formatOf(Rgb888), c.r, c.g, c.b), c.rgb888);
    }
}

TEST(PackColour, EmptyMaskAddsNothingAndKeepsItsShift) {
    PixelFormat format;
    format.adopt(32, 0xFF0000, 0x00FF00, 0x0000FF);
    format.adopt(32, 0xFF0000, 0, 0x0000FF);
    EXPECT_EQ(format.greenShift, 8); // left as it was
    EXPECT_EQ(packColour(format, 0x12, 0xFF, 0x34), 0x120034u);
}

TEST(PackColour, MaskWiderThanAChannelGetsZerosBelow) {
    const PixelFormat format = formatOf({"10-10-10", 32, 0x3FF00000, 0x000FFC00, 0x000003FF});
    EXPECT_EQ(packColour(format, 0xFF, 0x80, 0x01), (0xFFu << 22) | (0x80u << 12) | (0x01u << 2));
}

TEST(PackColour, CanvasPixelsAreOpaqueAlongEitherPath) {
    // A web canvas: red in the low byte, alpha in the high one, which every plot sets.
    PixelFormat format;
    format.adopt(32, 0x0000FF, 0x00FF00, 0xFF0000, 0xFF000000);
    EXPECT_EQ(packColour(format, 0x12, 0x34, 0x56), 0xFF563412u);
    std::array<std::uint32_t, FieldWidth * FieldHeight> picture{};
    FramePlotter(format, {reinterpret_cast<std::uint8_t*>(picture.data()), FieldWidth * 4, 0, FieldWidth, FieldHeight})
        .plot(3, 2, 0x12, 0x34, 0x56);
    EXPECT_EQ(picture[2 * FieldWidth + 3], 0xFF563412u);
}

TEST(Palette332, LevelsOfEachChannel) {
    const auto rgb = [](std::uint8_t i) {
        const Colour c = paletteColour(i);
        return std::array<int, 3>{c.red, c.green, c.blue};
    };
    EXPECT_EQ(rgb(0x00), (std::array{0, 0, 0}));
    EXPECT_EQ(rgb(0x92), (std::array{145, 145, 170}));
    EXPECT_EQ(rgb(0x1F), (std::array{0, 255, 255}));
    EXPECT_EQ(rgb(0xFF), (std::array{255, 255, 255}));
    const int levels[] = {0, 36, 72, 109, 145, 182, 218, 255};
    for (int level = 0; level < 8; ++level) {
        EXPECT_EQ(paletteColour(static_cast<std::uint8_t>(level << 5)).red, levels[level]);
        EXPECT_EQ(paletteColour(static_cast<std::uint8_t>(level << 2)).green, levels[level]);
    }
    EXPECT_EQ(paletteColour(2).blue, 170);
}

class Plot : public ::testing::Test {
protected:
    // A picture whose rows are padded beyond 640 pixels, filled with a marker to show what was written.
    void lock(const Format& f, std::int32_t padding = 24) {
        format = formatOf(f);
        bytes = static_cast<std::int32_t>(format.bytesPerPixel);
        const std::int32_t pitch = 640 * bytes + padding;
        picture.assign(static_cast<std::size_t>(pitch) * 480, 0xAB);
        target = {picture.data(), pitch, 0, 640, 480};
    }
    void plotPoint(std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
        orbisk::plotPoint(format, target, x, y, red, green, blue);
    }

    std::size_t offset(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y * target.pitch + x * bytes);
    }
    std::size_t untouched() const { return static_cast<std::size_t>(std::count(picture.begin(), picture.end(), 0xAB)); }

    PixelFormat format;
    FrameTarget target{};
    std::vector<std::uint8_t> picture;
    std::int32_t bytes = 0;
};

TEST_F(Plot, StoresTheBytesOfEachSizeLittleEndian) {
    lock(Rgb888);
    plotPoint(5, 7, 20, 15, 240);
    EXPECT_EQ(picture[offset(5, 7)], 0xF0);
    EXPECT_EQ(picture[offset(5, 7) + 1], 0x0F);
    EXPECT_EQ(picture[offset(5, 7) + 2], 0x14);
    EXPECT_EQ(untouched(), picture.size() - 3);

    lock(Rgb565);
    plotPoint(5, 7, 255, 128, 0);
    EXPECT_EQ(picture[offset(5, 7)], 0x00);
    EXPECT_EQ(picture[offset(5, 7) + 1], 0xFC);
    EXPECT_EQ(untouched(), picture.size() - 2);

    lock(Palette332);
    plotPoint(5, 7, 128, 128, 128);
    EXPECT_EQ(picture[offset(5, 7)], 0x92);
    EXPECT_EQ(untouched(), picture.size() - 1);

    lock({"x8-8-8", 32, 0xFF0000, 0x00FF00, 0x0000FF});
    plotPoint(5, 7, 1, 2, 3);
    EXPECT_EQ(picture[offset(5, 7)], 3);
    EXPECT_EQ(picture[offset(5, 7) + 3], 0);
    EXPECT_EQ(untouched(), picture.size() - 4);
}

TEST_F(Plot, LeavesOutPointsOutsideThePicture) {
    lock(Rgb565);
    for (auto [x, y] : {std::pair{640, 0}, {0, 480}, {-1, 0}, {0, -1}, {-32768, -32768}, {700, 479}})
        plotPoint(x, y, 255, 255, 255);
    EXPECT_EQ(untouched(), picture.size());
    plotPoint(639, 479, 255, 255, 255);
    EXPECT_EQ(untouched(), picture.size() - 2);
    EXPECT_EQ(picture[offset(639, 479)], 0xFF);
}

TEST_F(Plot, RowsAreOnePitchApart) {
    lock(Rgb888, 100);
    plotPoint(0, 0, 1, 1, 1);
    plotPoint(0, 1, 2, 2, 2);
    EXPECT_EQ(picture[static_cast<std::size_t>(target.pitch)], 2);
    EXPECT_EQ(picture[640 * 3], 0xAB); // where a plot that ignored the pitch would land
}

TEST_F(Plot, UnknownPixelSizeStoresNothing) {
    lock(Rgb565);
    format.bytesPerPixel = 5;
    plotPoint(1, 1, 255, 255, 255);
    EXPECT_EQ(untouched(), picture.size());
}

TEST_F(Plot, ClearingFillsEveryRowAndNotItsPadding) {
    for (std::uint32_t clear : {0u, 0x123456u}) {
        lock(Rgb888, 40);
        target.clearColour = clear;
        clearPicture(format, target);
        EXPECT_EQ(untouched(), std::size_t{40} * 480) << clear;
        EXPECT_EQ(picture[offset(639, 479) + 2], clear >> 16) << clear;
        EXPECT_EQ(picture[offset(0, 1)], clear & 0xFF) << clear;
    }
}

} // namespace
} // namespace orbisk
