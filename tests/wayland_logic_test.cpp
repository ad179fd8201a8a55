// What orbisk-wayland decides without a compositor: its options, the picture it enlarges itself frame by frame,
// and when the pointer has left its rest.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "display/enlarged_picture.h"
#include "sim/tables.h"
#include "wayland/pointer_rest.h"
#include "wayland/wayland_options.h"
#include "x11/hack_options.h"

namespace orbisk {
namespace {

using Arguments = std::vector<std::string>;
using Pixels = std::vector<std::uint32_t>;

TEST(WaylandCommand, TakesTheHacksOptionsWithTheirLimitsAndMessages) {
    const auto parsed = parseWaylandCommand(
        {"--scale", "3", "--fps", "--fixed-clock", "60", "--frames", "1000000000000", "--idle", "4294967"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->scale, 3u);
    EXPECT_TRUE(parsed.options->printFps);
    EXPECT_EQ(parsed.options->fixedClockFps, 60u);
    EXPECT_EQ(parsed.options->frames, 1000000000000u);
    EXPECT_EQ(parsed.options->idleSeconds, 4294967u); // the longest the compositor's 32-bit milliseconds hold
    EXPECT_TRUE(parseWaylandCommand({"-h"}).help);
    for (const Arguments& bad : {Arguments{"--scale", "11"}, Arguments{"--fixed-clock", "0"},
                                 Arguments{"--frames", "1e3"}, Arguments{"--fps", "--scale"}}) {
        const auto hack = parseHackCommand(bad, std::nullopt);
        EXPECT_EQ(parseWaylandCommand(bad).error, hack.error) << bad.back();
    }
    EXPECT_EQ(parseWaylandCommand({"--idle", "4294968"}).error,
              "--idle must be a whole number from 1 to 4294967, not '4294968'");
    EXPECT_EQ(parseWaylandCommand({"--root"}).error, "unknown argument '--root'");
}

// What a width × height target shows of `picture`: each pixel a scale × scale block, centred (the odd pixel right
// and below), black around it.
Pixels enlarged(const Pixels& picture, std::uint32_t width, std::uint32_t height, std::uint32_t scale) {
    Pixels target(std::size_t{width} * height, 0);
    const auto left = (static_cast<std::int64_t>(width) - FieldWidth * scale) >> 1;
    const auto top = (static_cast<std::int64_t>(height) - FieldHeight * scale) >> 1;
    for (std::int64_t y = 0; y < height; ++y)
        for (std::int64_t x = 0; x < width; ++x)
            if (x >= left && x < left + FieldWidth * scale && y >= top && y < top + FieldHeight * scale)
                target[static_cast<std::size_t>(y * width + x)] =
                    picture[static_cast<std::size_t>((y - top) / scale * FieldWidth + (x - left) / scale)];
    return target;
}

TEST(EnlargedPicture, TwoTargetsInTurnEachShowTheNewestPicture) {
    std::mt19937 random(7);
    Pixels picture(std::size_t{FieldWidth} * FieldHeight);
    for (auto& pixel : picture) pixel = random() & 0xFFFFFF;
    const struct {
        std::uint32_t width, height, scale;
    } sizes[] = {{1920, 1080, 2}, {2048, 1536, 3}, {801, 601, 1}, {1001, 741, 3} /* clipped */, {320, 200, 1}};
    for (const auto& size : sizes) {
        // As an output's buffers take turns: each is brought up to date with the newest picture, two frames on from
        // what it held, with a white target to show any pixel that is never drawn.
        EnlargedPicture first(size.width, size.height, size.scale), second(size.width, size.height, size.scale);
        Pixels targets[2] = {Pixels(std::size_t{size.width} * size.height, 0xFFFFFF),
                             Pixels(std::size_t{size.width} * size.height, 0xFFFFFF)};
        for (int frame = 0; frame < 4; ++frame) {
            for (int moves = 0; moves < 2000; ++moves)
                picture[random() % picture.size()] = moves % 2 ? 0 : random() & 0xFFFFFF;
            (frame % 2 ? second : first).update(picture.data(), targets[frame % 2].data(), size.width);
            ASSERT_EQ(targets[frame % 2], enlarged(picture, size.width, size.height, size.scale))
                << size.width << "x" << size.height << " at " << size.scale << ", frame " << frame;
        }
    }
}

TEST(PointerRest, LeftWhenMovedMoreThanFourPixelsOrOntoAnotherSurface) {
    int surface = 0, other = 0;
    PointerRest rest;
    EXPECT_FALSE(rest.leftAt(&surface, 100, 100)); // where it is first seen
    EXPECT_FALSE(rest.leftAt(&surface, 103, 101)); // 3 across and 1 down
    EXPECT_FALSE(rest.leftAt(&surface, 96, 100));  // measured from the rest, not from the last position
    EXPECT_TRUE(rest.leftAt(&surface, 103, 98));   // 3 and 2
    EXPECT_TRUE(rest.leftAt(&other, 100, 100));
}

} // namespace
} // namespace orbisk
