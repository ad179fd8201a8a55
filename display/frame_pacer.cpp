#include "display/frame_pacer.h"

namespace orbisk {

void FramePacer::start(std::uint32_t refreshHz, std::uint32_t now) {
    rhythm_.setRate(refreshHz);
    lastPresented_ = now;
    fastFrames_ = 0;
    pacing_.store(false, std::memory_order_relaxed);
}

bool FramePacer::frameDue(std::uint32_t now) const {
    return !pacing_.load(std::memory_order_acquire) ||
           static_cast<std::int32_t>(now - nextDue_.load(std::memory_order_relaxed)) >= 0;
}

void FramePacer::presented(std::uint32_t now) {
    const std::uint32_t interval = now - lastPresented_;
    lastPresented_ = now;
    if (!pacing_.load(std::memory_order_relaxed)) {
        fastFrames_ = interval * 2 * rhythm_.rate() < 1000 ? fastFrames_ + 1 : 0;
        if (fastFrames_ < FastFramesToPace) return;
        rhythm_.restart(now);
    }
    rhythm_.presented(now);
    nextDue_.store(rhythm_.nextDue(), std::memory_order_relaxed);
    pacing_.store(true, std::memory_order_release);
}

} // namespace orbisk
