// orbisk-wayland's command line: the input's pieces between zero bytes are the arguments.
#include <cstddef>
#include <cstdint>
#include <tuple>

#include "display/picture_placement.h"
#include "tests/fuzz/fuzz_checks.h"
#include "wayland/wayland_options.h"

namespace {

using namespace orbisk;

auto fields(const WaylandOptions& o) {
    return std::tie(o.printFps, o.fixedClockFps, o.frames, o.scale, o.idleSeconds, o.printVersion);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> arguments = piecesOf(data, size);
    const ParsedWaylandCommand command = parseWaylandCommand(arguments), again = parseWaylandCommand(arguments);
    const WaylandOptions* accepted = acceptedOptions(
        command, again, fields, {"--fixed-clock ", "--frames ", "--scale ", "--idle ", "unknown argument '"});
    if (!accepted) return 0;
    const WaylandOptions& o = *accepted;
    require(o.scale <= LargestScale, "--scale within 1 to 10, or not given");
    require(o.fixedClockFps <= LargestFixedClockFps, "--fixed-clock within 1 to 1,000,000, or not given");
    require(o.frames <= LargestFrameCount, "--frames within 1 to 10^12, or not given");
    require(o.idleSeconds <= LargestIdleSeconds, "--idle within 1 to 4,294,967, or not given");
    return 0;
}
