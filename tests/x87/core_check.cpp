// The core as the 32-bit Windows saver computes it: built for 32-bit x86 with x87 floating point (80-bit registers)
// and run under user-mode emulation, it must give the x86-64 build's pictures bit for bit. The frame clock is the
// core's only floating point, a float multiply (tick → seconds) and a double multiply (seconds → tenths).
//
//   orbisk_core_check --clock     prints the checksum of the frame clock sweep and nothing else
//   orbisk_core_check [CHECKSUM]  checks the golden state hashes (those of headless_test.cpp) and, when given,
//                                 that the sweep's checksum is CHECKSUM, the x86-64 build's own
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "sim/field.h"
#include "sim/frame.h"
#include "tools/headless.h"

namespace {

using namespace orbisk;

constexpr std::uint64_t FirstFrameHash = 0x51884402315fe6c5;
constexpr std::uint64_t MinuteHash = 0x6396d435231831dc;

// Every tick of the first 2^24 milliseconds (4.66 hours: each value the clock can hand to its float, several times
// over), then every 4093rd tick on through the wrap of the 32-bit tick count, as a saver running for fifty days
// would read them. Checksum (FNV-1a, 64 bits) of the float's bits and the whole tenths at each tick.
std::uint64_t frameClockChecksum() {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto mix = [&hash](std::uint32_t word) {
        for (int b = 0; b < 4; ++b) hash = (hash ^ ((word >> (8 * b)) & 0xFF)) * 0x100000001b3ull;
    };
    const auto readAt = [&mix](std::uint32_t tick) {
        advanceFrameClock(tick);
        std::uint32_t bits;
        std::memcpy(&bits, &frameClock.elapsedSeconds, sizeof bits);
        mix(bits);
        mix(static_cast<std::uint32_t>(elapsedTenths()));
    };
    resetSimulation();
    startSimulation(0);
    constexpr std::uint64_t Exhaustive = std::uint64_t{1} << 24;
    for (std::uint64_t tick = 0; tick < Exhaustive; ++tick) readAt(static_cast<std::uint32_t>(tick));
    for (std::uint64_t tick = Exhaustive; tick < (std::uint64_t{1} << 32) + Exhaustive; tick += 4093)
        readAt(static_cast<std::uint32_t>(tick));
    return hash;
}

bool report(const char* what, std::uint64_t got, std::uint64_t want, const char* wantName) {
    std::printf("%s %016" PRIx64 " (%s %016" PRIx64 ")%s\n", what, got, wantName, want,
                got == want ? "" : " DIFFERS");
    return got == want;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--clock") == 0) {
        std::printf("%016" PRIx64 "\n", frameClockChecksum());
        return 0;
    }
    std::uint64_t expectedClock = 0;
    if (argc > 2 || (argc == 2 && std::sscanf(argv[1], "%" SCNx64, &expectedClock) != 1)) {
        std::fprintf(stderr, "usage: %s --clock | %s [CHECKSUM]  (no checksum of the x86-64 build given?)\n",
                     argv[0], argv[0]);
        return 2;
    }

    bool same = true;
    resetSimulation();
    HeadlessRun run(PictureFormat::Rgb565, 60, 1000000000);
    run.renderFrame();
    same &= report("frame 1 statehash", stateHash(), FirstFrameHash, "golden");
    for (int k = 1; k < 3600; ++k) run.renderFrame();
    same &= report("frame 3600 statehash", stateHash(), MinuteHash, "golden");

    const std::uint64_t clock = frameClockChecksum();
    if (argc == 2)
        same &= report("frame clock checksum", clock, expectedClock, "x86-64");
    else
        std::printf("frame clock checksum %016" PRIx64 "\n", clock);
    return same ? 0 : 1;
}
