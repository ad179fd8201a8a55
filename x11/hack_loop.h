// orbisk-x11's frames: the saver's frame protocol in an X window, paced to the refresh rate.
#pragma once

#include <X11/Xlib.h>

#include "x11/hack_options.h"

namespace orbisk {

// Draws until a stop signal (readable `stopDescriptor`, see cli/stop_signals.h), the end of the window or the last
// of `options.frames`; returns the exit code: 0 then, 1 (with a message on stderr) when the window cannot be used or
// the picture cannot be made.
int runHack(Display* display, const HackOptions& options, int stopDescriptor);

} // namespace orbisk
