#include "cli/frame_rate.h"

#include <cstdio>
#include <ctime>

namespace orbisk {

std::uint32_t monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now); // fails only for a clock that does not exist
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000);
}

void FrameRateLine::frameShown(std::uint32_t now) {
    ++frames_;
    const std::uint32_t span = now - since_;
    if (span < 1000) return;
    std::fprintf(stderr, "%s: %.1f frames/s\n", program_, frames_ * 1000.0 / span);
    frames_ = 0;
    since_ = now;
}

} // namespace orbisk
