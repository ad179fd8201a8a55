// The headless run of the saver: the same picture in every pixel format, the pattern changes of a minute, and
// the golden state hash that pins the whole simulation (the Windows build must produce the same).
#include <gtest/gtest.h>

#include <cinttypes>

#include "display/pixels.h"
#include "sim/schedule.h"
#include "headless/headless.h"

namespace orbisk {
namespace {

std::string hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

std::vector<std::uint8_t> renderScreen(PictureFormat format, int frames) {
    resetSimulation();
    HeadlessRun run(format, 60, 1000000000);
    for (int k = 0; k < frames; ++k) run.renderFrame();
    return run.screenRgb();
}

TEST(HeadlessRun, EveryFormatShowsThePictureOfThe32BitOne) {
    const std::vector<std::uint8_t> reference = renderScreen(PictureFormat::Xrgb8888, 700);
    // Channel bits each format keeps, from the top.
    const struct {
        PictureFormat format;
        int red, green, blue;
    } formats[] = {{PictureFormat::Rgb888, 8, 8, 8},
                   {PictureFormat::Rgb565, 5, 6, 5},
                   {PictureFormat::Rgb555, 5, 5, 5},
                   {PictureFormat::Palette8, 3, 3, 2}};
    for (const auto& f : formats) {
        const std::vector<std::uint8_t> screen = renderScreen(f.format, 700);
        ASSERT_EQ(screen.size(), reference.size());
        const int kept[3] = {f.red, f.green, f.blue};
        for (std::size_t i = 0; i < screen.size(); ++i) {
            const int bits = kept[i % 3];
            // The top bits agree, and the screen colour is those bits widened again.
            ASSERT_EQ(screen[i] >> (8 - bits), reference[i] >> (8 - bits))
                << "format " << static_cast<int>(f.format) << " byte " << i;
        }
    }
}

TEST(HeadlessRun, AMinuteChangesPatternSixTimes) {
    resetSimulation();
    HeadlessRun run(PictureFormat::Xrgb8888, 60, 1000000000);
    int changes = 0;
    std::int32_t due = patternSchedule.nextChangeTenths;
    for (int k = 1; k <= 3600; ++k) {
        run.renderFrame();
        if (patternSchedule.nextChangeTenths != due) {
            ++changes;
            EXPECT_EQ(k % 600, 0) << "change at frame " << k;
            due = patternSchedule.nextChangeTenths;
        }
    }
    EXPECT_EQ(changes, 6);
}

TEST(HeadlessRun, GoldenStateHash) {
    resetSimulation();
    HeadlessRun run(PictureFormat::Rgb565, 60, 1000000000);
    EXPECT_EQ(run.renderFrameCountingMoves(), 1536);
    EXPECT_EQ(hex(stateHash()), "51884402315fe6c5");
    for (int k = 1; k < 3600; ++k) run.renderFrame();
    EXPECT_EQ(hex(stateHash()), "6396d435231831dc") << "the simulation no longer gives the pictures it gave";
    const RunStats stats = currentStats();
    EXPECT_EQ(stats.countSum, 38400);
    EXPECT_EQ(stats.maxCount, 1);
}

} // namespace
} // namespace orbisk
