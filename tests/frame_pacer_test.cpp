// Frame pacing: untouched where the wait for the vertical blank holds frames to the refresh rate, a steady rhythm at
// the refresh rate where it returns at once; and the rhythm itself, which orbisk-x11 keeps.
#include <gtest/gtest.h>

#include "display/frame_pacer.h"
#include "display/frame_rhythm.h"

namespace orbisk {
namespace {

// Drives the pacer as the timer and the frame driver do: a timer tick every millisecond requests a frame when one
// is due and none is pending; the frame is presented `frameCost` ms later. Returns the frames presented.
int framesInASecond(FramePacer& pacer, std::uint32_t start, std::uint32_t frameCost, std::uint32_t vsyncHz = 0) {
    int frames = 0;
    std::uint32_t presentAt = 0;
    bool pending = false;
    for (std::uint32_t now = start; now != start + 1000; ++now) {
        if (pending && now == presentAt) {
            pacer.presented(now);
            pending = false;
            ++frames;
        }
        if (!pending && pacer.frameDue(now)) {
            pending = true;
            presentAt = now + frameCost;
            // A working vertical-blank wait holds the copy until the next refresh.
            if (vsyncHz) presentAt = ((presentAt - start) * vsyncHz / 1000 + 1) * 1000 / vsyncHz + start;
        }
    }
    return frames;
}

TEST(FramePacer, HoldsAnUnwaitedDisplayToItsRefreshRate) {
    const std::pair<std::uint32_t, int> rates[] = {{0, 60}, {1, 60}, {60, 60}, {75, 75}, {100, 100}};
    for (auto [reported, expected] : rates) {
        FramePacer pacer;
        pacer.start(reported, 5000);
        framesInASecond(pacer, 5000, 1); // the first fast frames show that the wait does not hold
        EXPECT_TRUE(pacer.pacing());
        const int frames = framesInASecond(pacer, 6000, 1);
        EXPECT_NEAR(frames, expected, 1) << "reported " << reported << " Hz";
    }
}

TEST(FramePacer, ChangesNothingWhereTheWaitWorks) {
    FramePacer pacer;
    pacer.start(60, 0);
    for (std::uint32_t second = 0; second < 5; ++second)
        EXPECT_NEAR(framesInASecond(pacer, second * 1000, 1, 60), 60, 1);
    EXPECT_FALSE(pacer.pacing());
}

TEST(FramePacer, SlowFramesAreNotHurriedAfterwards) {
    FramePacer pacer;
    pacer.start(60, 0);
    framesInASecond(pacer, 0, 1);
    ASSERT_TRUE(pacer.pacing());
    // Frames that take 40 ms come at 25 a second, and when they are quick again the rhythm is 60, not a catch-up.
    EXPECT_NEAR(framesInASecond(pacer, 1000, 40), 25, 1);
    EXPECT_NEAR(framesInASecond(pacer, 2000, 1), 60, 1);
}

TEST(FramePacer, KeepsItsRhythmAcrossTheWrapOfTheMillisecondClock) {
    FramePacer pacer;
    const std::uint32_t start = 0xFFFFFFFFu - 1500;
    pacer.start(60, start);
    framesInASecond(pacer, start, 1);
    EXPECT_NEAR(framesInASecond(pacer, start + 1000, 1), 60, 1); // the wrap falls in this second
    EXPECT_NEAR(framesInASecond(pacer, start + 2000, 1), 60, 1);
}

// The rhythm's due times: frame k at start + k × 1000 / rate, across the second in which its count starts again and
// across the wrap of the clock; a late frame starts it afresh rather than letting the next ones hurry.
TEST(FrameRhythm, FramesFallDueOnePeriodApartAndALateOneStartsAfresh) {
    FrameRhythm rhythm;
    rhythm.setRate(0);
    EXPECT_EQ(rhythm.rate(), 60u) << "an unknown rate";
    rhythm.setRate(75);
    const std::uint32_t start = 0xFFFFFF00u; // 256 ms before the clock wraps
    rhythm.restart(start);
    std::uint32_t now = start;
    for (std::uint32_t k = 1; k <= 150; ++k) { // two seconds at 75 Hz, each frame shown when due
        ASSERT_TRUE(rhythm.due(now)) << "frame " << k;
        rhythm.presented(now);
        now = start + k * 1000 / 75;
        ASSERT_EQ(rhythm.nextDue(), now) << "frame " << k;
        ASSERT_FALSE(rhythm.due(now - 1)) << "frame " << k;
    }
    rhythm.presented(now + 40); // three periods late
    EXPECT_EQ(rhythm.nextDue(), now + 40);
    EXPECT_TRUE(rhythm.due(now + 40));
}

} // namespace
} // namespace orbisk
