#include "cli/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orbisk {

void occupyClosedStandardStreams() {
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
        // open() takes the lowest free number, which is this one: the ones below it are open by now.
        const int opened = open("/dev/null", descriptor == 0 ? O_WRONLY : O_RDONLY);
        if (opened != descriptor && opened >= 0) close(opened);
    }
}

int closeStandardOutput(const char* program, int code) {
    errno = 0;
    const bool lost = std::ferror(stdout) != 0;
    const bool failed = std::fclose(stdout) != 0;
    if (!lost && !failed) return code;
    // A stream whose earlier write failed has no reason of its own left to tell.
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program,
                 errno != 0 ? std::strerror(errno) : "a write failed");
    return 1;
}

} // namespace orbisk
