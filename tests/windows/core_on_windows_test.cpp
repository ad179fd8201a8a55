// The Windows build computes as the native one: the golden state hash of a minute of the saver, and the frame clock
// (its only floating point, on the x87 here) at every millisecond of a fifty-day run.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "headless/headless.h"
#include "tests/golden_values.h"

namespace orbisk {
namespace {

std::string hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

TEST(CoreOnWindows, GoldenStateHashOfAMinute) {
    HeadlessRun run(PictureFormat::Rgb565, 60, DefaultEpoch);
    for (int k = 0; k < 3600; ++k) run.renderFrame();
    EXPECT_EQ(hex(stateHash(run.simulation().field)), hex(MinuteStateHash));
}

TEST(CoreOnWindows, FrameClockOfFiftyDays) { EXPECT_EQ(hex(frameClockSweep()), hex(FrameClockSweepChecksum)); }

} // namespace
} // namespace orbisk
