// orbisk-x11's command line and its environment: the input's pieces between zero bytes; the first is the value of
// XSCREENSAVER_WINDOW, unless it is "-" (then the variable is not set), the others are the arguments.
#include <cstddef>
#include <cstdint>
#include <tuple>

#include "display/picture_placement.h"
#include "tests/fuzz/fuzz_checks.h"
#include "x11/hack_options.h"

namespace {

using namespace orbisk;

auto fields(const HackOptions& o) {
    return std::tie(o.window, o.windowId, o.display, o.printFps, o.useShm, o.fixedClockFps, o.frames, o.scale,
                    o.printVersion);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments = piecesOf(data, size);
    const std::optional<std::string> environment =
        arguments.front() == "-" ? std::nullopt : std::optional<std::string>(arguments.front());
    arguments.erase(arguments.begin());
    const ParsedHackCommand command = parseHackCommand(arguments, environment),
                            again = parseHackCommand(arguments, environment);
    const HackOptions* accepted =
        acceptedOptions(command, again, fields,
                        {"--window-id ", "--display ", "--fixed-clock ", "--frames ", "--scale ", "unknown argument '",
                         "bad window id '", "bad XSCREENSAVER_WINDOW '"});
    if (!accepted) return 0;
    const HackOptions& o = *accepted;
    require((o.window == HackWindow::Given) == (o.windowId != 0), "a window id exactly for a given window");
    require(o.windowId <= 0x1FFFFFFF, "a window id within X's 29 bits");
    require(o.window != HackWindow::Given || (environment && !environment->empty()) || arguments.size() >= 2,
            "a given window comes from --window-id or XSCREENSAVER_WINDOW");
    require(o.scale <= LargestScale, "--scale within 1 to 10, or not given");
    require(o.fixedClockFps <= LargestFixedClockFps, "--fixed-clock within 1 to 1,000,000, or not given");
    require(o.frames <= LargestFrameCount, "--frames within 1 to 10^12, or not given");
    return 0;
}
