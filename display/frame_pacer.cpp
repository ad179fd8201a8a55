#include "display/frame_pacer.h"

namespace orbisk {

void FramePacer::start(std::uint32_t refreshHz, std::uint32_t now) {
    refreshHz_ = refreshHz > 1 ? refreshHz : 60;
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
        fastFrames_ = interval * 2 * refreshHz_ < 1000 ? fastFrames_ + 1 : 0;
        if (fastFrames_ < FastFramesToPace) return;
        rhythmStart_ = now;
        rhythmFrame_ = 0;
    }
    if (++rhythmFrame_ > refreshHz_) { // keep the count small: refreshHz_ frames are exactly one second
        rhythmStart_ += 1000;
        rhythmFrame_ -= refreshHz_;
    }
    // A frame that came more than a period late (a slow frame, a busy machine) lets the next one come at once and
    // starts the rhythm afresh from it, rather than hurrying to catch up.
    if (static_cast<std::int32_t>(now - dueTime(rhythmFrame_)) > 0) {
        rhythmStart_ = now;
        rhythmFrame_ = 0;
    }
    nextDue_.store(dueTime(rhythmFrame_), std::memory_order_relaxed);
    pacing_.store(true, std::memory_order_release);
}

} // namespace orbisk
