// orbisk-wayland: the saver's picture full screen on every output of a Wayland compositor, for the idle daemons that
// start a program when the seat is idle (swayidle, hypridle), or waiting for idleness itself (--idle).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/standard_streams.h"
#include "cli/stop_signals.h"
#include "wayland/saver_run.h"
#include "wayland/wayland_client.h"
#include "wayland/wayland_options.h"

namespace {

// A stop signal ends the program this soon even when the compositor does not answer its teardown.
constexpr int StopGraceMilliseconds = 500;

} // namespace

int main(int argc, char** argv) {
    using namespace orbisk;
    occupyClosedStandardStreams(); // before the connection can take the number of a closed one
    // A line on standard error that nobody reads any more (a closed pipe) is dropped rather than ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    const int stopDescriptor = installStopSignals(StopGraceMilliseconds);
    const ParsedWaylandCommand command = parseWaylandCommand(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto code = answerHelpOrError(command, "orbisk-wayland", WaylandUsage, 1)) return *code;
    const WaylandOptions& options = *command.options;
    if (options.printVersion) {
        std::fputs(WaylandVersion, stdout);
        return closeStandardOutput("orbisk-wayland", 0);
    }

    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || *name == '\0') {
        std::fputs("orbisk-wayland: no compositor to connect to: WAYLAND_DISPLAY is not set\n", stderr);
        return 1;
    }
    std::string error;
    const auto client = WaylandClient::connect(name, error);
    if (!client) {
        std::fprintf(stderr, "orbisk-wayland: %s\n", error.c_str());
        return 1;
    }
    return runWaylandSaver(*client, options, stopDescriptor);
}
