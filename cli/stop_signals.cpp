#include "cli/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>

namespace orbisk {
namespace {

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t firstStop = 0;

// Set by installStopSignals before the handlers can run, and only read after that.
int wakeWrite = -1;
timer_t graceTimer{};
itimerspec grace{};

extern "C" void onStopSignal(int signal) {
    const int savedErrno = errno;
    if (firstStop == 0) {
        firstStop = signal;
        if (grace.it_value.tv_sec != 0 || grace.it_value.tv_nsec != 0) timer_settime(graceTimer, 0, &grace, nullptr);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1); // a full pipe is awake already
    errno = savedErrno;
}

extern "C" void onGraceOver(int) { _exit(0); }

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int stop : StopSignals) sigaddset(&action.sa_mask, stop);
    sigaction(signal, &action, nullptr); // fails only for a signal that cannot be caught, which none of these is
}

} // namespace

int installStopSignals(int graceMilliseconds) {
    int ends[2] = {-1, -1};
    // Without a pipe (no descriptor left) -1 is returned, and the flag alone tells of a stop, at the next frame.
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) wakeWrite = ends[1];
    if (graceMilliseconds > 0) {
        sigevent event{};
        event.sigev_notify = SIGEV_SIGNAL;
        event.sigev_signo = SIGALRM;
        // Without a timer (the process's limit of them reached) there is no grace: a stop waits for the peer.
        if (timer_create(CLOCK_MONOTONIC, &event, &graceTimer) == 0) {
            grace.it_value = {graceMilliseconds / 1000, graceMilliseconds % 1000 * 1000000L};
            handle(SIGALRM, onGraceOver);
        }
    }
    for (int stop : StopSignals) {
        struct sigaction inherited {};
        if (sigaction(stop, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN) handle(stop, onStopSignal);
    }
    return ends[0];
}

int stopSignal() { return firstStop; }

void endByStopSignal() {
    const int signal = firstStop;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal); // not reached: the signal's own action ends the program
}

} // namespace orbisk
