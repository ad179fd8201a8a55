#include "sim/random.h"

namespace orbisk {
namespace {

// Constant-initialised, so that the field's constructor sees the initial state whichever translation unit the
// loader initialises first.
constinit std::uint32_t generatorState = 1;

} // namespace

int rand() {
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<int>((generatorState >> 16) & 0x7FFFu);
}

void srand(std::uint32_t seed) { generatorState = seed; }

} // namespace orbisk
