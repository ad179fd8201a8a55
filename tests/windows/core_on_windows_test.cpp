// The Windows build draws the same pictures as the native one: the golden state hash of a minute of the saver.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "tools/headless.h"

namespace orbisk {
namespace {

TEST(CoreOnWindows, GoldenStateHashOfAMinute) {
    resetSimulation();
    HeadlessRun run(PictureFormat::Rgb565, 60, 1000000000);
    for (int k = 0; k < 3600; ++k) run.renderFrame();
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016" PRIx64, stateHash());
    EXPECT_STREQ(hash, "6396d435231831dc");
}

} // namespace
} // namespace orbisk
