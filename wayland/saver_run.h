// orbisk-wayland's run: the picture on every output until input ends it, or, with --idle, each time the seat has
// been idle long enough.
#pragma once

#include "wayland/wayland_client.h"
#include "wayland/wayland_options.h"

namespace orbisk {

// Runs until input (0), a stop signal (readable `stopDescriptor`, see cli/stop_signals.h; 0) or the last of
// `options.frames` (0); with `options.idleSeconds`, input ends one showing and the next begins when the seat is idle
// again. 1, with a line on standard error, when the connection is lost, a buffer cannot be made, or --idle is asked
// of a compositor that cannot tell idleness.
int runWaylandSaver(WaylandClient& client, const WaylandOptions& options, int stopDescriptor);

} // namespace orbisk
