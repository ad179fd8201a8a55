// The cost of a frame against its floor: a pass that makes only the frame's memory accesses (each particle's record
// read and written, the three columns of cells around it read, its cell written, its old and new pixel stored) with
// no decisions. The frame is drawn as orbisk-x11 and orbisk-render draw theirs, into a picture that holds the last
// frame. Both run back to back ("warm": the caches keep what the last frame touched) and, as the saver runs them,
// each after 15 ms of idleness ("cold": CPU time of the frame alone).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "display/frame_drawing.h"
#include "headless/headless.h"
#include "sim/simulation.h"

namespace orbisk {
namespace {

constexpr int WarmUpFrames = 600;
constexpr auto Idle = std::chrono::milliseconds(15);

// A simulation that has run its first ten seconds, drawn into a 32-bit picture kept from frame to frame; the clock
// stays at their end.
struct SteadyState {
    HeadlessRun run{PictureFormat::Xrgb8888, 60, DefaultEpoch};
    FrameDrawing drawing;
    std::vector<std::uint8_t> picture = std::vector<std::uint8_t>(std::size_t{640} * 4 * 480, 0);
    std::uint32_t tick = WarmUpFrames * 1000 / 60;

    SteadyState() {
        for (int k = 0; k < WarmUpFrames; ++k) run.renderFrame();
        PixelFormat format;
        format.adopt(32, 0xFF0000, 0x00FF00, 0x0000FF);
        drawing = FrameDrawing(format);
        frame();
    }

    void frame() { drawing.drawNextFrame(run.simulation(), picture.data(), 640 * 4, tick); }

    void floorPass() {
        FlowField& field = run.simulation().field;
        std::uint8_t* grid = field.cellGrid();
        std::uint32_t nothing = 0; // zero, but the compiler cannot know: the writes stay
        benchmark::DoNotOptimize(nothing);
        for (std::int32_t i = field.particleCount - 1; i >= 0; --i) {
            Particle& p = field.particles[static_cast<std::size_t>(i)];
            std::uint8_t* cell = grid + cells::at(p.x, p.y);
            std::uint32_t left, own, right;
            std::memcpy(&left, cell - cells::ColumnStride - 1, 4);
            std::memcpy(&own, cell - 1, 4);
            std::memcpy(&right, cell + cells::ColumnStride - 1, 4);
            const std::uint32_t sum = left + own + right;
            *cell = static_cast<std::uint8_t>(*cell | (sum & nothing)); // written, and as it was
            p.red = static_cast<std::uint8_t>(p.red | (sum & nothing));
            const std::uint32_t pixel = sum | std::uint32_t{p.red} << 16;
            std::uint8_t* at = picture.data() + p.y * 640 * 4 + p.x * 4;
            std::memcpy(at, &nothing, 4);
            std::memcpy(at, &pixel, 4);
        }
    }
};

using Pass = void (SteadyState::*)();

void perParticle(benchmark::State& state) {
    state.counters["ns_per_particle"] = benchmark::Counter(static_cast<double>(state.iterations()) * ParticleCapacity,
                                                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <Pass pass>
void warm(benchmark::State& state) {
    auto steady = std::make_unique<SteadyState>();
    for (auto _ : state) {
        (*steady.*pass)();
        benchmark::ClobberMemory();
    }
    perParticle(state);
}

template <Pass pass>
void cold(benchmark::State& state) {
    auto steady = std::make_unique<SteadyState>();
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(Idle);
        state.ResumeTiming();
        (*steady.*pass)();
        benchmark::ClobberMemory();
    }
    perParticle(state);
}

void Seeding(benchmark::State& state) {
    auto simulation = std::make_unique<Simulation>();
    for (auto _ : state) startSimulation(*simulation, 0);
}

BENCHMARK(warm<&SteadyState::frame>)->Name("SteadyFrame")->Unit(benchmark::kMicrosecond);
BENCHMARK(warm<&SteadyState::floorPass>)->Name("FloorPass")->Unit(benchmark::kMicrosecond);
BENCHMARK(cold<&SteadyState::frame>)->Name("ColdFrame")->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(cold<&SteadyState::floorPass>)->Name("ColdFloor")->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(Seeding)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace orbisk

BENCHMARK_MAIN();
