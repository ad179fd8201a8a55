// The particle step against a plain, unhurried transcription of its rules: the step is written for speed (tables,
// selects, prefetching), so a long run of both side by side, through many flow patterns, checks every particle,
// every count, the ring and every pixel after every frame.
#include <gtest/gtest.h>

#include <vector>

#include "display/pixels.h"
#include "headless/headless.h"
#include "sim/tables.h"

namespace orbisk {
namespace {

struct Model {
    std::vector<Particle> particles; // in slot order
    std::vector<std::uint16_t> counts;
    std::vector<std::uint8_t> map;
    RandomRing ring;
    std::vector<std::uint8_t> picture;
    std::int32_t pitch;
    PixelFormat format;
};

int wrap(int v, int size) { return v < 0 ? size - 1 : v == size ? 0 : v; }

std::uint8_t towards(std::uint8_t channel, std::uint8_t target) {
    for (int k = 0; k < 4 && channel != target; ++k) channel = channel < target ? channel + 1 : channel - 1;
    return channel;
}

void plotInto(Model& m, const Particle& p) {
    const std::uint32_t bytes = m.format.bytesPerPixel;
    if (static_cast<std::uint32_t>(p.x) >= 640 || static_cast<std::uint32_t>(p.y) >= 480) return;
    const std::uint32_t value = packColour(m.format, p.red, p.green, p.blue);
    for (std::uint32_t b = 0; b < bytes; ++b)
        m.picture[static_cast<std::size_t>(p.y * m.pitch) + p.x * bytes + b] =
            static_cast<std::uint8_t>(value >> (8 * b));
}

void referenceStep(Model& m) {
    static const int preferred[3][3] = {{3, 2, 1}, {4, -1, 0}, {5, 6, 7}};
    static const std::uint8_t bitTable[10] = {0x80, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x01};
    std::fill(m.picture.begin(), m.picture.end(), 0);
    for (int i = static_cast<int>(m.particles.size()) - 1; i >= 0; --i) {
        Particle& p = m.particles[static_cast<std::size_t>(i)];
        int n[8];
        std::uint8_t occupancy = 0;
        for (int k = 0; k < 8; ++k) {
            const int nx = wrap(p.x + DirectionStep[k].dx, 640), ny = wrap(p.y + DirectionStep[k].dy, 480);
            n[k] = m.counts[static_cast<std::size_t>(cellIndex(nx, ny))];
            if (n[k]) occupancy |= static_cast<std::uint8_t>(1 << k);
        }
        int h = (n[1] + n[2] + n[3]) - (n[5] + n[6] + n[7]);
        int v = (n[3] + n[4] + n[5]) - (n[0] + n[1] + n[7]);
        if (h == 0 && v == 0) {
            h = (m.ring.drawRingByte() & 1) ? 1 : -1;
            v = (m.ring.drawRingByte() & 1) ? 1 : -1;
        }
        const std::uint8_t flow = m.map[static_cast<std::size_t>(cellIndex(p.x, p.y))];
        if (flow < 8) {
            h += DirectionStep[flow].dx;
            v += DirectionStep[flow].dy;
        }
        if (h != 0 || v != 0) {
            const int d = preferred[(h > 0) - (h < 0) + 1][(v > 0) - (v < 0) + 1];
            const int r = m.ring.drawRingByte() & 3;
            const int move = r == 1 ? (d + 7) % 8 : r == 3 ? (d + 1) % 8 : d;
            const int position = r == 1 ? d : r == 3 ? d + 2 : d + 1;
            if (!(occupancy & bitTable[position])) {
                --m.counts[static_cast<std::size_t>(cellIndex(p.x, p.y))];
                p.x = static_cast<std::int16_t>(wrap(p.x + DirectionStep[move].dx, 640));
                p.y = static_cast<std::int16_t>(wrap(p.y + DirectionStep[move].dy, 480));
                ++m.counts[static_cast<std::size_t>(cellIndex(p.x, p.y))];
                p.red = towards(p.red, DirectionColour[move].red);
                p.green = towards(p.green, DirectionColour[move].green);
                p.blue = towards(p.blue, DirectionColour[move].blue);
            }
        }
        plotInto(m, p);
    }
}

Model modelOfRun(const HeadlessRun& run) {
    const FlowField& field = run.simulation().field;
    Model m;
    m.particles.assign(field.particles.begin(), field.particles.begin() + field.particleCount);
    const CellCounts counts = field.cellCounts();
    m.counts.assign(counts.begin(), counts.end());
    m.ring = field.ring;
    m.pitch = run.pitch();
    m.format = run.pixelFormat();
    m.picture.assign(static_cast<std::size_t>(m.pitch) * 480, 0);
    return m;
}

void expectSameAsField(const Model& m, const HeadlessRun& run) {
    const FlowField& field = run.simulation().field;
    ASSERT_EQ(m.ring.cursor, field.ring.cursor);
    for (std::size_t i = 0; i < m.particles.size(); ++i) {
        const Particle& a = m.particles[i];
        const Particle& b = field.particles[i];
        ASSERT_TRUE(a.x == b.x && a.y == b.y && a.red == b.red && a.green == b.green && a.blue == b.blue)
            << "slot " << i << ": expected (" << a.x << "," << a.y << ") colour " << +a.red << "," << +a.green << ","
            << +a.blue << ", got (" << b.x << "," << b.y << ") colour " << +b.red << "," << +b.green << "," << +b.blue;
    }
    const CellCounts counts = field.cellCounts();
    ASSERT_TRUE(std::equal(m.counts.begin(), m.counts.end(), counts.begin()));
    ASSERT_TRUE(m.picture == run.surface());
}

// Runs the saver and the model side by side; the model takes the direction map the schedule made for the frame.
void runSideBySide(PictureFormat format, std::uint32_t fps, std::int64_t epoch, int frames) {
    HeadlessRun run(format, fps, epoch);
    Model m = modelOfRun(run);
    for (int k = 1; k <= frames; ++k) {
        run.renderFrame();
        const DirectionMap map = run.simulation().field.directionMap();
        m.map.assign(map.begin(), map.end());
        referenceStep(m);
        ASSERT_NO_FATAL_FAILURE(expectSameAsField(m, run)) << "frame " << k;
    }
}

TEST(ReferenceStep, SeedingAndTheFirstPatternsAt60FramesASecond) {
    runSideBySide(PictureFormat::Xrgb8888, 60, DefaultEpoch, 1300);
}

TEST(ReferenceStep, ManyPatternsOnAPaddedSixteenBitPicture) {
    // At 4 frames a second every change comes after 40 frames, so this run passes through 15 patterns.
    runSideBySide(PictureFormat::Rgb565, 4, 1234567890, 600);
}

} // namespace
} // namespace orbisk
