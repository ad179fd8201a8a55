// SIGTERM and SIGINT, which end the hack with exit code 0, turned into something a poll() can wait for.
#pragma once

namespace orbisk {

// Installs the handlers; returns a descriptor that becomes readable when a stop signal has come, or -1.
int installStopSignals();

bool stopRequested();

} // namespace orbisk
