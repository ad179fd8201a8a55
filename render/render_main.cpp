// orbisk-render: runs the saver's picture without a display and writes it to a file.
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/standard_streams.h"
#include "cli/stop_signals.h"
#include "files/output_file.h"
#include "headless/headless.h"
#include "render/image_file.h"
#include "render/render_options.h"
#include "sim/schedule.h"
#include "sim/tables.h"

namespace {

using namespace orbisk;

bool writeImage(const RenderOptions& options, OutputFile& file, const HeadlessRun& run) {
    const std::vector<std::uint8_t> rgb = run.screenRgb();
    const std::vector<std::uint8_t> bytes =
        options.kind == ImageKind::Png ? pngFile(rgb, FieldWidth, FieldHeight) : ppmFile(rgb, FieldWidth, FieldHeight);
    std::string error = "cannot encode the picture: out of memory"; // unless the write fails and says why
    if (!bytes.empty() && file.write(bytes, error)) return true;
    if (stopSignal() != 0) endByStopSignal(); // it interrupts a write to a FIFO or a device: no error
    std::fprintf(stderr, "orbisk-render: %s\n", error.c_str());
    return false;
}

bool writeNumberedImage(const RenderOptions& options, std::uint64_t frame, const HeadlessRun& run) {
    std::string error;
    std::optional<OutputFile> file = OutputFile::open(numberedImagePath(options.out, frame), error);
    if (file) return writeImage(options, *file, run);
    std::fprintf(stderr, "orbisk-render: %s\n", error.c_str());
    return false;
}

void printStats(const HeadlessRun& run, std::int32_t moved) {
    const RunStats stats = runStats(run.simulation().field);
    const PatternSchedule& s = run.simulation().schedule;
    std::printf("frame %" PRIu64 "\n", run.framesRendered());
    std::printf("cursor %u\n", unsigned{stats.cursor});
    std::printf("moved %" PRId32 "\n", moved);
    std::printf("countsum %" PRId64 "\n", stats.countSum);
    std::printf("maxcount %u\n", unsigned{stats.maxCount});
    std::printf("grid %" PRId32 " pattern %" PRId32 " stage %u laststage %u\n", s.gridIndex, s.patternIndex,
                unsigned{s.stage}, unsigned{s.lastStage});
    std::printf("statehash %016" PRIx64 "\n", stats.stateHash);
}

// The program's work, once its streams and signals are set up: its exit code.
int render(int argc, char** argv) {
    const ParsedRenderCommand command = parseRenderCommand(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto code = answerHelpOrError(command, "orbisk-render", RenderUsage, 2)) return *code;
    const RenderOptions& options = *command.options;

    // Find out at once, not after a long run, that the picture cannot be written.
    std::string error;
    std::optional<OutputFile> out = OutputFile::open(options.out, error);
    if (!out) {
        std::fprintf(stderr, "orbisk-render: %s\n", error.c_str());
        return 1;
    }

    HeadlessRun run(options.format, options.fps, options.epoch);
    constexpr std::uint64_t ProgressEvery = 1000;
    std::int32_t moved = 0; // in the last frame, for --stats
    for (std::uint64_t k = 1; k <= options.frames; ++k) {
        if (stopSignal() != 0) endByStopSignal(); // between pictures, so that no temporary file is left
        if (options.stats && k == options.frames)
            moved = run.renderFrameCountingMoves();
        else
            run.renderFrame();
        if (options.every != 0 && k % options.every == 0 && !writeNumberedImage(options, k, run)) return 1;
        if (options.frames >= 2 * ProgressEvery && k % ProgressEvery == 0)
            std::fprintf(stderr, "orbisk-render: frame %" PRIu64 " of %" PRIu64 "\n", k, options.frames);
    }
    if (!writeImage(options, *out, run)) return 1;
    if (stopSignal() != 0) endByStopSignal(); // it came while the picture was synced: the stats are not printed
    if (options.stats) printStats(run, moved);
    return closeStandardOutput("orbisk-render", 0);
}

} // namespace

int main(int argc, char** argv) {
    occupyClosedStandardStreams();
    installStopSignals(0);
    // A write past a limit on the size of files fails (EFBIG) and is reported like any other, instead of killing the
    // program with a temporary file left; so does one to a pipe that nobody reads any more (EPIPE).
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    int code = 1;
    try {
        code = render(argc, argv);
    } catch (const std::bad_alloc&) { // under a limit on memory; the files are closed, no temporary file is left
        std::fputs("orbisk-render: out of memory\n", stderr);
    }
    // A stop signal that came while the last picture was synced or the stats were printed, too.
    if (stopSignal() != 0) endByStopSignal();
    return code;
}
