// X errors, caught instead of ending the program as Xlib's default handler does: an error against the window the
// hack draws in means that the window has gone; any other error ends the hack with its message.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace orbisk {

void catchXErrors(Window drawnWindow);

// A lost connection to the X server ends the program with one line of its own and exit code 1 instead of Xlib's
// two; with exit code 0 and no line once a stop signal has come, as the end of a session brings both.
void catchLostConnection();

bool drawnWindowGone();

// The first unexpected error, described; empty when there was none.
const std::string& unexpectedXError();

// While a trap lives, errors are only counted: for requests that may fail, like attaching shared memory to a
// remote server or asking for the attributes of a window that may not exist.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits until the server has answered every request so far; true when none of them failed.
    bool passed();

private:
    Display* display_;
    unsigned long errorsBefore_;
};

} // namespace orbisk
