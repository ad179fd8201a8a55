// The password provider of the older Windows family: loaded when the desktop asks for a screen-saver password, so
// that the saver closes only after the provider has accepted the password.
#pragma once

#include "win32/window_state.h"

namespace orbisk {

void loadPasswordVerifier(WindowState& window);
void unloadPasswordVerifier(WindowState& window);

} // namespace orbisk
