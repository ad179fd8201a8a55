// orbisk-x11: the saver's picture as an X11 screen saver, in the manner of XScreenSaver's hacks.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/standard_streams.h"
#include "cli/stop_signals.h"
#include "x11/hack_loop.h"
#include "x11/hack_options.h"
#include "x11/x_errors.h"

namespace {

// A stop signal ends the hack this soon even when the X server does not answer its teardown.
constexpr int StopGraceMilliseconds = 500;

} // namespace

int main(int argc, char** argv) {
    using namespace orbisk;
    occupyClosedStandardStreams(); // before the X connection can take the number of a closed one
    // A line on standard error that nobody reads any more (a closed pipe) is dropped rather than ending the hack.
    std::signal(SIGPIPE, SIG_IGN);
    const int stopDescriptor = installStopSignals(StopGraceMilliseconds);
    const char* screensaverWindow = std::getenv("XSCREENSAVER_WINDOW");
    const ParsedHackCommand command =
        parseHackCommand(std::vector<std::string>(argv + 1, argv + argc),
                         screensaverWindow ? std::optional<std::string>(screensaverWindow) : std::nullopt);
    if (const auto code = answerHelpOrError(command, "orbisk-x11", HackUsage, 1)) return *code;
    const HackOptions& options = *command.options;
    if (options.printVersion) {
        std::fputs(HackVersion, stdout);
        return closeStandardOutput("orbisk-x11", 0);
    }

    const char* name = options.display.empty() ? std::getenv("DISPLAY") : options.display.c_str();
    if (!name || *name == '\0') {
        std::fputs("orbisk-x11: no display to open: DISPLAY is not set and no --display was given\n", stderr);
        return 1;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        std::fprintf(stderr, "orbisk-x11: cannot open display %s\n", quoted(name).c_str());
        return 1;
    }
    catchLostConnection();
    const int code = runHack(display, options, stopDescriptor);
    XCloseDisplay(display);
    return code;
}
