// The headless run of the saver: the same picture in every pixel format, the pattern changes of a minute, the
// golden state hash that pins the whole simulation (the Windows build must produce the same), and runs that share
// nothing.
#include <gtest/gtest.h>

#include <cinttypes>

#include "headless/headless.h"
#include "tests/golden_values.h"

namespace orbisk {
namespace {

std::string hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

std::vector<std::uint8_t> renderScreen(PictureFormat format, int frames) {
    HeadlessRun run(format, 60, DefaultEpoch);
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
    HeadlessRun run(PictureFormat::Xrgb8888, 60, DefaultEpoch);
    const PatternSchedule& schedule = run.simulation().schedule;
    int changes = 0;
    std::int32_t due = schedule.nextChangeTenths;
    for (int k = 1; k <= 3600; ++k) {
        run.renderFrame();
        if (schedule.nextChangeTenths != due) {
            ++changes;
            EXPECT_EQ(k % 600, 0) << "change at frame " << k;
            due = schedule.nextChangeTenths;
        }
    }
    EXPECT_EQ(changes, 6);
}

TEST(HeadlessRun, GoldenStateHash) {
    HeadlessRun run(PictureFormat::Rgb565, 60, DefaultEpoch);
    EXPECT_EQ(run.renderFrameCountingMoves(), 1536);
    EXPECT_EQ(hex(stateHash(run.simulation().field)), hex(FirstFrameStateHash));
    for (int k = 1; k < 3600; ++k) run.renderFrame();
    EXPECT_EQ(hex(stateHash(run.simulation().field)), hex(MinuteStateHash));
    const RunStats stats = runStats(run.simulation().field);
    EXPECT_EQ(stats.countSum, 38400);
    EXPECT_EQ(stats.maxCount, 1);
}

// Two runs of other clocks and formats, frame by frame in turn: each ends as it ends alone.
TEST(HeadlessRun, RunsSideBySideAreIndependent) {
    HeadlessRun golden(PictureFormat::Rgb565, 60, DefaultEpoch), other(PictureFormat::Palette8, 25, 1234567890);
    for (int k = 0; k < 3600; ++k) {
        golden.renderFrame();
        other.renderFrame();
    }
    HeadlessRun alone(PictureFormat::Palette8, 25, 1234567890);
    for (int k = 0; k < 3600; ++k) alone.renderFrame();
    EXPECT_EQ(hex(stateHash(golden.simulation().field)), hex(MinuteStateHash));
    EXPECT_EQ(hex(stateHash(other.simulation().field)), hex(stateHash(alone.simulation().field)));
    EXPECT_TRUE(other.surface() == alone.surface());
}

} // namespace
} // namespace orbisk
