// The cost of a frame against its floor: a pass that makes only the frame's memory accesses (slot to record,
// the eight neighbour counts, the cell's direction code, one pixel store) with no decisions.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "display/pixels.h"
#include "sim/field.h"
#include "sim/frame.h"
#include "sim/schedule.h"
#include "headless/headless.h"

namespace orbisk {
namespace {

constexpr int WarmUpFrames = 600;

// A 32-bit picture and a simulation that has run its first ten seconds.
struct SteadyState {
    SteadyState() {
        resetSimulation();
        HeadlessRun run(PictureFormat::Xrgb8888, 60, 1000000000);
        for (int k = 0; k < WarmUpFrames; ++k) run.renderFrame();
        picture.assign(std::size_t{640} * 4 * 480, 0);
        frameTarget.surface = picture.data();
        frameTarget.pitch = 640 * 4;
    }
    std::vector<std::uint8_t> picture;
};

void SteadyFrame(benchmark::State& state) {
    SteadyState steady;
    for (auto _ : state) {
        std::memset(steady.picture.data(), 0, steady.picture.size());
        advanceSchedule();
        flowField.stepParticles();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * flowField.particleCount);
    state.counters["ns_per_particle"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * flowField.particleCount,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void FloorPass(benchmark::State& state) {
    SteadyState steady;
    for (auto _ : state) {
        std::memset(steady.picture.data(), 0, steady.picture.size());
        for (std::int32_t i = flowField.particleCount - 1; i >= 0; --i) {
            const Particle& p = *flowField.slots[static_cast<std::size_t>(i)];
            const std::int32_t x = p.x;
            const std::int32_t y = p.y;
            const std::int32_t left = x == 0 ? 639 : x - 1;
            const std::int32_t right = x == 639 ? 0 : x + 1;
            const std::int32_t up = y == 0 ? 479 : y - 1;
            const std::int32_t down = y == 479 ? 0 : y + 1;
            const std::uint16_t* counts = flowField.cellCounts.data();
            const std::uint32_t sum = counts[cellIndex(x, down)] + counts[cellIndex(left, down)] +
                                      counts[cellIndex(left, y)] + counts[cellIndex(left, up)] +
                                      counts[cellIndex(x, up)] + counts[cellIndex(right, up)] +
                                      counts[cellIndex(right, y)] + counts[cellIndex(right, down)] +
                                      flowField.directionMap[static_cast<std::size_t>(cellIndex(x, y))];
            const std::uint32_t pixel = sum | std::uint32_t{p.red} << 16;
            std::memcpy(frameTarget.surface + y * frameTarget.pitch + x * 4, &pixel, 4);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * flowField.particleCount);
    state.counters["ns_per_particle"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * flowField.particleCount,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Seeding(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        resetSimulation();
        state.ResumeTiming();
        startSimulation(0);
    }
}

BENCHMARK(SteadyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(FloorPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(Seeding)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace orbisk

BENCHMARK_MAIN();
