// The saver's own random generator: a linear congruential rule with the interface of rand and srand. The C
// library's rand need not follow this rule, and the choice of flow pattern depends on it, so we carry our own.
#pragma once

#include <cstdint>

namespace orbisk {

// Returns 0 to 32767: state = state × 214013 + 2531011 (mod 2^32), then bits 16 to 30 of the new state.
int rand();

void srand(std::uint32_t seed);

} // namespace orbisk
