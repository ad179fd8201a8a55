#include "x11/x_errors.h"

#include <cstdio>
#include <cstdlib>

#include "cli/arguments.h"
#include "cli/stop_signals.h"

namespace orbisk {
namespace {

Window drawnWindow = None;
bool windowGone = false;
std::string firstUnexpected;
unsigned long errorCount = 0;
int trapDepth = 0;

int onXError(Display* display, XErrorEvent* error) {
    ++errorCount;
    if (trapDepth > 0) return 0;
    const bool againstWindow =
        error->resourceid == drawnWindow && (error->error_code == BadWindow || error->error_code == BadDrawable);
    if (againstWindow) {
        windowGone = true;
    } else if (firstUnexpected.empty()) {
        char text[160];
        XGetErrorText(display, error->error_code, text, sizeof text);
        char line[256];
        std::snprintf(line, sizeof line, "X error: %s (request %u.%u, resource 0x%lx)", text,
                      unsigned{error->request_code}, unsigned{error->minor_code}, error->resourceid);
        firstUnexpected = line;
    }
    return 0;
}

int onLostConnection(Display* display) {
    if (stopSignal() != 0) std::_Exit(0);
    std::fprintf(stderr, "orbisk-x11: lost the connection to the X server of display %s\n",
                 quoted(DisplayString(display)).c_str());
    std::_Exit(1);
}

} // namespace

void catchLostConnection() { XSetIOErrorHandler(onLostConnection); }

void catchXErrors(Window window) {
    drawnWindow = window;
    XSetErrorHandler(onXError);
}

bool drawnWindowGone() { return windowGone; }

const std::string& unexpectedXError() { return firstUnexpected; }

XErrorTrap::XErrorTrap(Display* display) : display_(display), errorsBefore_(errorCount) {
    XSetErrorHandler(onXError);
    ++trapDepth;
}

XErrorTrap::~XErrorTrap() {
    XSync(display_, False);
    --trapDepth;
}

bool XErrorTrap::passed() {
    XSync(display_, False);
    return errorCount == errorsBefore_;
}

} // namespace orbisk
