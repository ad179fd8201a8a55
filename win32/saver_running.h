// Telling the older Windows family whether a screen saver is running, so that it blocks the task-switching keys
// while a password guards the desktop.
#pragma once

#include "win32/platform.h"

namespace orbisk {

// Does nothing outside the older family.
void setSaverRunning(const Platform& platform, bool running);

} // namespace orbisk
