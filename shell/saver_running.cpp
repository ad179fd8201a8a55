#include "shell/saver_running.h"

#include <windows.h>

#include "shell/shell_state.h"

namespace orbisk {

void setSaverRunning(bool running) {
    if (!shellState.olderFamily) return;
    UINT previous = 0; // nobody reads it, but the call writes it
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

} // namespace orbisk
