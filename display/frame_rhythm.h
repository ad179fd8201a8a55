// A steady rhythm of frames at the refresh rate, on a millisecond clock.
#pragma once

#include <cstdint>

namespace orbisk {

class FrameRhythm {
public:
    // `refreshHz` as a system reports it; 0 and 1 (unknown, or the hardware's default) mean 60.
    static constexpr std::uint32_t usableRate(std::uint32_t refreshHz) { return refreshHz > 1 ? refreshHz : 60; }

    void setRate(std::uint32_t refreshHz) { refreshHz_ = usableRate(refreshHz); }
    std::uint32_t rate() const { return refreshHz_; }

    // The next frame falls due at `now`, and those after it one period apart.
    void restart(std::uint32_t now) {
        start_ = now;
        frame_ = 0;
    }

    // The millisecond time at which the next frame may be shown.
    std::uint32_t nextDue() const { return start_ + frame_ * 1000u / refreshHz_; }

    bool due(std::uint32_t now) const { return static_cast<std::int32_t>(now - nextDue()) >= 0; }

    // A frame was shown at `now`. A frame more than a period late (a slow frame, a busy machine) lets the next one
    // come at once and starts the rhythm afresh from it, rather than hurrying to catch up.
    void presented(std::uint32_t now) {
        if (++frame_ > refreshHz_) { // keep the count small: refreshHz_ frames are exactly one second
            start_ += 1000;
            frame_ -= refreshHz_;
        }
        if (static_cast<std::int32_t>(now - nextDue()) > 0) restart(now);
    }

private:
    std::uint32_t refreshHz_ = 60;
    std::uint32_t start_ = 0; // frame k of the rhythm falls due at start_ + k × 1000 / refreshHz_
    std::uint32_t frame_ = 0;
};

} // namespace orbisk
