// What orbisk-x11 decides before it talks to a display: the window it draws in, its options, the visuals it can
// draw on and where the picture goes in a window of any size.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "display/picture_placement.h"
#include "x11/border_rectangles.h"
#include "x11/hack_options.h"
#include "x11/visual_format.h"

namespace orbisk {
namespace {

using Arguments = std::vector<std::string>;

TEST(HackCommand, ChoosesTheWindowAsXScreenSaverExpects) {
    const struct {
        Arguments arguments;
        std::optional<std::string> environment;
        HackWindow window;
        std::uint32_t id;
    } cases[] = {
        {{}, std::nullopt, HackWindow::Own, 0},
        {{}, "", HackWindow::Own, 0},
        {{"--fullscreen"}, std::nullopt, HackWindow::Fullscreen, 0},
        {{"--root"}, std::nullopt, HackWindow::Root, 0},
        {{"-root"}, std::nullopt, HackWindow::Root, 0},
        {{"--window-id", "42"}, std::nullopt, HackWindow::Given, 42},
        {{"-window-id", "0x1C0000A"}, std::nullopt, HackWindow::Given, 0x1C0000A},
        // The daemon's variable beats --root, which it passes as well, but not an id on the command line.
        {{"--root"}, "0x400007", HackWindow::Given, 0x400007},
        {{}, "4194311", HackWindow::Given, 4194311},
        {{"--window-id", "7", "--root"}, "0x400007", HackWindow::Given, 7},
    };
    for (const auto& c : cases) {
        const ParsedHackCommand parsed = parseHackCommand(c.arguments, c.environment);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(parsed.options->window, c.window) << testing::PrintToString(c.arguments);
        EXPECT_EQ(parsed.options->windowId, c.id) << testing::PrintToString(c.arguments);
    }
}

TEST(HackCommand, ReadsItsOtherOptions) {
    const auto parsed =
        parseHackCommand({"--fps", "-no-shm", "--display", ":3", "--fixed-clock", "30", "--frames", "5"}, std::nullopt);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_TRUE(parsed.options->printFps);
    EXPECT_FALSE(parsed.options->useShm);
    EXPECT_EQ(parsed.options->display, ":3");
    EXPECT_EQ(parsed.options->fixedClockFps, 30u);
    EXPECT_EQ(parsed.options->frames, 5u);

    const auto plain = parseHackCommand({}, std::nullopt);
    EXPECT_TRUE(plain.options->useShm);
    EXPECT_EQ(plain.options->fixedClockFps, 0u);
    EXPECT_EQ(plain.options->frames, 0u);

    EXPECT_EQ(parseHackCommand({"-scale", "3"}, std::nullopt).options->scale, 3u);
    EXPECT_EQ(plain.options->scale, 0u); // the largest that fits
    for (const char* bad : {"0", "11", "2x", "-1"})
        EXPECT_FALSE(parseHackCommand({"--scale", bad}, std::nullopt).options);
    EXPECT_TRUE(parseHackCommand({"--version"}, std::nullopt).options->printVersion);

    EXPECT_TRUE(parseHackCommand({"--fps", "--help"}, std::nullopt).help);
    EXPECT_TRUE(parseHackCommand({"-h"}, "junk").help);
}

TEST(HackCommand, RefusesWhatItCannotUse) {
    const struct {
        Arguments arguments;
        std::optional<std::string> environment;
        const char* says;
    } cases[] = {
        {{"--window-id", "abc"}, std::nullopt, "bad window id 'abc'"},
        {{"--window-id", "0x"}, std::nullopt, "bad window id"},
        {{"--window-id", "0"}, std::nullopt, "bad window id"},
        {{"--window-id", "-5"}, std::nullopt, "bad window id"},
        {{"--window-id", "+5"}, std::nullopt, "bad window id"},
        {{"--window-id", " 5"}, std::nullopt, "bad window id"},
        {{"--window-id", "12abc"}, std::nullopt, "bad window id"},
        {{"--window-id", "0x20000000"}, std::nullopt, "bad window id"}, // X's ids have 29 bits
        {{"--window-id", "0x-1"}, std::nullopt, "bad window id"},
        {{}, "zz", "bad XSCREENSAVER_WINDOW 'zz'"},
        {{"--window-id"}, std::nullopt, "--window-id needs a value"},
        {{"--fixed-clock", "0"}, std::nullopt, "--fixed-clock must be"},
        {{"--frames", "0"}, std::nullopt, "--frames must be"},
        {{"--frames", "1e3"}, std::nullopt, "--frames must be"},
        {{"--window"}, std::nullopt, "unknown argument '--window'"},
        {{"root"}, std::nullopt, "unknown argument 'root'"},
        {{"--x\ny\x1b[1m\\\xC2\x85\xFF"}, std::nullopt, "unknown argument '--x\\ny\\x1B[1m\\\\\\xC2\\x85\\xFF'"},
        {{}, "\t\xE5\xBF\x83\x7F", "bad XSCREENSAVER_WINDOW '\\t\xE5\xBF\x83\\x7F'"},
    };
    for (const auto& c : cases) {
        const ParsedHackCommand parsed = parseHackCommand(c.arguments, c.environment);
        EXPECT_FALSE(parsed.options) << testing::PrintToString(c.arguments);
        EXPECT_FALSE(parsed.help);
        EXPECT_NE(parsed.error.find(c.says), std::string::npos) << parsed.error;
    }
    EXPECT_EQ(parseWindowId("0x1FFFFFFF"), 0x1FFFFFFFu);
    EXPECT_EQ(parseWindowId("0XaBc"), 0xABCu);
}

TEST(VisualFormat, DrawsTrueColourWithTheVisualsMasksAndPseudoColourInThePalette) {
    using C = VisualClass;
    const struct {
        VisualDescription visual;
        std::optional<DrawingFormat> format;
    } cases[] = {
        {{C::TrueColorClass, 24, 32, 256, 0xFF0000, 0xFF00, 0xFF}, DrawingFormat{32, 0xFF0000, 0xFF00, 0xFF, false, 0}},
        // ARGB: the bits no colour uses are alpha, made opaque.
        {{C::TrueColorClass, 32, 32, 256, 0xFF0000, 0xFF00, 0xFF},
         DrawingFormat{32, 0xFF0000, 0xFF00, 0xFF, false, 0xFF000000}},
        {{C::TrueColorClass, 24, 24, 256, 0xFF, 0xFF00, 0xFF0000}, DrawingFormat{24, 0xFF, 0xFF00, 0xFF0000, false, 0}},
        {{C::TrueColorClass, 16, 16, 64, 0xF800, 0x7E0, 0x1F}, DrawingFormat{16, 0xF800, 0x7E0, 0x1F, false, 0}},
        {{C::TrueColorClass, 15, 16, 32, 0x7C00, 0x3E0, 0x1F}, DrawingFormat{16, 0x7C00, 0x3E0, 0x1F, false, 0}},
        {{C::TrueColorClass, 30, 32, 1024, 0x3FF00000, 0xFFC00, 0x3FF},
         DrawingFormat{32, 0x3FF00000, 0xFFC00, 0x3FF, false, 0}},
        {{C::TrueColorClass, 8, 8, 8, 0x7, 0x38, 0xC0}, DrawingFormat{8, 0x7, 0x38, 0xC0, false, 0}},
        {{C::PseudoColorClass, 8, 8, 256, 0, 0, 0}, DrawingFormat{8, 0xE0, 0x1C, 0x03, true, 0}},
        // What it cannot draw on.
        {{C::PseudoColorClass, 4, 8, 16, 0, 0, 0}, std::nullopt},
        {{C::StaticGrayClass, 8, 8, 256, 0, 0, 0}, std::nullopt},
        {{C::GrayScaleClass, 8, 8, 256, 0, 0, 0}, std::nullopt},
        {{C::DirectColorClass, 24, 32, 256, 0xFF0000, 0xFF00, 0xFF}, std::nullopt},
        {{C::TrueColorClass, 4, 4, 4, 0x8, 0x6, 0x1}, std::nullopt},                // pixels of half a byte
        {{C::TrueColorClass, 24, 32, 256, 0xFF0000, 0xFF0000, 0xFF}, std::nullopt}, // overlapping masks
        {{C::TrueColorClass, 24, 32, 256, 0xF0F000, 0xF00, 0xFF}, std::nullopt},    // a mask in two pieces
        {{C::TrueColorClass, 16, 16, 64, 0x1F800, 0x7E0, 0x1F}, std::nullopt},      // outside the pixel
        {{C::TrueColorClass, 24, 32, 256, 0, 0xFF00, 0xFF}, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto format = drawingFormatFor(c.visual);
        ASSERT_EQ(format.has_value(), c.format.has_value()) << describeVisual(c.visual);
        if (!format) continue;
        EXPECT_EQ(format->bitsPerPixel, c.format->bitsPerPixel);
        EXPECT_EQ(format->redMask, c.format->redMask);
        EXPECT_EQ(format->greenMask, c.format->greenMask);
        EXPECT_EQ(format->blueMask, c.format->blueMask);
        EXPECT_EQ(format->palette, c.format->palette);
        EXPECT_EQ(format->alphaMask, c.format->alphaMask) << describeVisual(c.visual);
    }
    EXPECT_EQ(describeVisual({C::GrayScaleClass, 8, 8, 256, 0, 0, 0}), "a GrayScale visual of depth 8");
}

TEST(PicturePlacement, ScalesByTheLargestWholeFactorThatFits) {
    EXPECT_EQ(pictureScale(0, 1920, 1080), 2u);
    EXPECT_EQ(pictureScale(0, 3840, 2160), 4u);
    EXPECT_EQ(pictureScale(0, 1280, 959), 1u);
    EXPECT_EQ(pictureScale(0, 320, 200), 1u); // smaller than the picture: clipped, not shrunk
    EXPECT_EQ(pictureScale(3, 1920, 1080), 3u);
    EXPECT_EQ(pictureScale(0, 16000, 12000), LargestScale);
}

TEST(PicturePlacement, PictureAndBorderCoverTheWindowOnceEach) {
    const std::array<std::uint32_t, 3> sizes[] = {{640, 480, 1}, {1024, 768, 1},  {801, 601, 1},  {320, 200, 1},
                                                  {700, 300, 1}, {300, 700, 1},   {641, 479, 1},  {1, 1, 1},
                                                  {0, 0, 1},     {1920, 1080, 2}, {1281, 961, 2}, {1920, 1080, 3}};
    for (const auto& size : sizes) {
        const std::uint32_t width = size[0], height = size[1], scale = size[2]; // captured below: no binding
        const PicturePlacement p = placePicture(width, height, scale);
        std::vector<int> cover(std::size_t{width} * height, 0);
        const auto paint = [&](const Area& a) {
            ASSERT_GE(a.x, 0);
            ASSERT_GE(a.y, 0);
            ASSERT_LE(a.x + static_cast<std::int32_t>(a.width), static_cast<std::int32_t>(width));
            ASSERT_LE(a.y + static_cast<std::int32_t>(a.height), static_cast<std::int32_t>(height));
            for (std::uint32_t y = 0; y < a.height; ++y)
                for (std::uint32_t x = 0; x < a.width; ++x) ++cover[(a.y + y) * width + a.x + x];
        };
        paint(p.destination);
        for (std::size_t i = 0; i < p.borderCount; ++i) {
            EXPECT_GT(p.border[i].width * p.border[i].height, 0u);
            paint(p.border[i]);
        }
        EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), static_cast<std::ptrdiff_t>(cover.size()))
            << width << "x" << height;
        // The visible part of the picture is where the centred picture would be.
        const auto side = [scale](std::uint32_t window, std::int32_t picture) {
            return (static_cast<std::int32_t>(window) - picture * static_cast<std::int32_t>(scale)) >> 1;
        };
        EXPECT_EQ(p.destination.x - p.sourceX, side(width, 640)) << width;
        EXPECT_EQ(p.destination.y - p.sourceY, side(height, 480)) << height;
    }
}

TEST(PicturePlacement, XDrawsTheBorderAlsoWherePositionsPass16Bits) {
    for (auto [width, height] : {std::pair{65535u, 480u}, {640u, 65535u}, {65535u, 65535u}, {801u, 601u}}) {
        const PicturePlacement p = placePicture(width, height, pictureScale(0, width, height));
        const std::array<BorderRectangle, 4> rectangles = borderRectangles(p);
        for (std::size_t i = 0; i < p.borderCount; ++i) { // the band, and before it at most the picture's edge
            const Area& band = p.border[i];
            const BorderRectangle& r = rectangles[i];
            EXPECT_TRUE(r.x >= 0 && r.x <= band.x && r.x + r.width == band.x + std::int32_t(band.width)) << width;
            EXPECT_TRUE(r.y >= 0 && r.y <= band.y && r.y + r.height == band.y + std::int32_t(band.height)) << height;
            const bool moved = r.x < band.x || r.y < band.y;
            EXPECT_EQ(moved, band.x > 32767 || band.y > 32767) << width << "x" << height;
        }
    }
}

TEST(PicturePlacement, ClipsThePictureToASmallWindow) {
    const PicturePlacement small = placePicture(320, 200);
    EXPECT_EQ(small.sourceX, 160);
    EXPECT_EQ(small.sourceY, 140);
    EXPECT_EQ(small.destination.width, 320u);
    EXPECT_EQ(small.destination.height, 200u);
    EXPECT_EQ(small.borderCount, 0u);

    const PicturePlacement large = placePicture(801, 601);
    EXPECT_EQ(large.destination.x, 80);
    EXPECT_EQ(large.destination.y, 60);
    EXPECT_EQ(large.destination.width, 640u);
    EXPECT_EQ(large.borderCount, 4u);
}

} // namespace
} // namespace orbisk
