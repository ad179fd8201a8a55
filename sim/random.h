// The saver's own random generator: a linear congruential rule with the interface of rand and srand. The C
// library's rand need not follow this rule, and the choice of flow pattern depends on it, so we carry our own.
#pragma once

#include <cstdint>

namespace orbisk {

class RandomGenerator {
public:
    // Returns 0 to 32767: state = state × 214013 + 2531011 (mod 2^32), then bits 16 to 30 of the new state.
    int rand() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

    void srand(std::uint32_t seed) { state_ = seed; }

private:
    std::uint32_t state_ = 1;
};

} // namespace orbisk
