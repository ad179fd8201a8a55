// SIGINT, SIGTERM and SIGHUP, which ask a program to stop, turned into a flag to look at and a descriptor that
// poll() can wait on. The handlers restart no system call: one that blocks returns EINTR when a stop signal comes.
#pragma once

namespace orbisk {

// Installs the handlers, but leaves a signal that was ignored when the program started ignored (nohup, a background
// job of a shell without job control). Returns a descriptor that becomes readable when a stop signal has come, or
// -1. With a grace of more than 0 milliseconds, a program still running that long after the first stop signal
// (blocked on a peer that no longer answers) is ended there with exit code 0.
int installStopSignals(int graceMilliseconds);

// The first stop signal that came, or 0.
int stopSignal();

// Ends the program as the first stop signal would have ended it without a handler.
[[noreturn]] void endByStopSignal();

} // namespace orbisk
