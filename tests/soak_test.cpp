// Soak: 20,000 frames (over five minutes of the saver at 60 frames a second) with the invariants of the step
// checked after every frame; 2,000 in a build with the sanitizers, whose frames are several times slower.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "headless/headless.h"
#include "tests/sanitized.h"

namespace orbisk {
namespace {

int torusDistance(int a, int b, int size) {
    const int d = std::abs(a - b);
    return std::min(d, size - d);
}

TEST(Soak, InvariantsHoldForTwentyThousandFrames) {
    const int frames = Sanitized ? 2000 : 20000;
    HeadlessRun run(PictureFormat::Xrgb8888, 60, 1234567890);
    const FlowField& field = run.simulation().field;
    std::vector<Particle> before(ParticleCapacity);
    std::vector<std::uint16_t> occupants(CellCount);
    for (int frame = 1; frame <= frames; ++frame) {
        for (std::size_t i = 0; i < before.size(); ++i) before[i] = field.particles[i];
        run.renderFrame();

        const CellCounts counts = field.cellCounts();
        ASSERT_EQ(std::accumulate(counts.begin(), counts.end(), 0), 38400) << "frame " << frame;
        ASSERT_LE(*std::max_element(counts.begin(), counts.end()), 200) << "frame " << frame;
        for (std::size_t i = 0; i < before.size(); ++i) {
            const Particle& was = before[i];
            const Particle& is = field.particles[i];
            ASSERT_TRUE(is.x >= 0 && is.x < 640 && is.y >= 0 && is.y < 480) << "slot " << i << " frame " << frame;
            ASSERT_GE(counts[static_cast<std::size_t>(cellIndex(is.x, is.y))], 1) << "slot " << i;
            const int dx = torusDistance(is.x, was.x, 640);
            const int dy = torusDistance(is.y, was.y, 480);
            ASSERT_LE(std::max(dx, dy), 1) << "slot " << i << " frame " << frame;
            const bool moved = dx + dy != 0;
            for (auto [a, b] : {std::pair{was.red, is.red}, {was.green, is.green}, {was.blue, is.blue}}) {
                ASSERT_LE(std::abs(a - b), moved ? 4 : 0) << "slot " << i << " frame " << frame;
            }
        }
        if (frame % 1000 == 0) { // the counts are exactly the particles standing on each cell
            std::fill(occupants.begin(), occupants.end(), 0);
            for (std::int32_t i = 0; i < field.particleCount; ++i) {
                const Particle& p = field.particles[static_cast<std::size_t>(i)];
                ++occupants[static_cast<std::size_t>(cellIndex(p.x, p.y))];
            }
            ASSERT_TRUE(std::equal(occupants.begin(), occupants.end(), counts.begin())) << "frame " << frame;
        }
    }
}

} // namespace
} // namespace orbisk
