#include "x11/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace orbisk {
namespace {

volatile std::sig_atomic_t stopped = 0;
int wakeWrite = -1;

extern "C" void onStopSignal(int) {
    const int savedErrno = errno;
    stopped = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1); // a full pipe is awake already
    errno = savedErrno;
}

} // namespace

int installStopSignals() {
    int ends[2];
    if (pipe(ends) != 0) return -1;
    for (int end : ends) {
        fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
        fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    wakeWrite = ends[1];
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return ends[0];
}

bool stopRequested() { return stopped != 0; }

} // namespace orbisk
