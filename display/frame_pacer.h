// Holding the frame rate to the display's refresh rate where waiting for the vertical blank does not.
//
// Each frame moves every particle by at most one cell, so the speed of the picture is the frame rate. The frame
// driver waits for the vertical blank before each copy to the screen, which holds it to the refresh rate; but where
// that wait returns at once (a virtual display has no refresh), frames would follow the 1 ms timer and burn a core.
// The pacer watches the presented frames: once several in a row come faster than half a refresh period, the wait
// evidently does not work, and from then on a frame is requested only when its time in a steady rhythm at the
// refresh rate has come. Where the wait works, frames never come that fast and nothing changes.
#pragma once

#include <atomic>
#include <cstdint>

#include "display/frame_rhythm.h"

namespace orbisk {

class FramePacer {
public:
    // `refreshHz` as the system reports it; 0 and 1 (unknown, or the hardware's default) mean 60.
    void start(std::uint32_t refreshHz, std::uint32_t now);

    // On the timer's thread: whether a frame may be requested at millisecond time `now`.
    bool frameDue(std::uint32_t now) const;

    // On the window's thread: a frame was presented at `now`.
    void presented(std::uint32_t now);

    bool pacing() const { return pacing_.load(std::memory_order_relaxed); }

    // Consecutive fast frames that show that the wait for the vertical blank returns at once.
    static constexpr int FastFramesToPace = 3;

private:
    FrameRhythm rhythm_; // on the window's thread; the timer reads only nextDue_
    std::uint32_t lastPresented_ = 0;
    int fastFrames_ = 0;
    std::atomic<bool> pacing_{false};
    std::atomic<std::uint32_t> nextDue_{0};
};

} // namespace orbisk
