#include "win32/saver_running.h"

#include <windows.h>

namespace orbisk {

void setSaverRunning(const Platform& platform, bool running) {
    if (!platform.olderFamily) return;
    UINT previous = 0; // nobody reads it, but the call writes it
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

} // namespace orbisk
