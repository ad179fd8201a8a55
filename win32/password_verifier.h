// The password provider of the older Windows family: loaded when the desktop asks for a screen-saver password, so
// that the saver closes only after the provider has accepted the password.
#pragma once

#include "win32/shell_state.h"

namespace orbisk {

void loadPasswordVerifier(ShellState& shell);
void unloadPasswordVerifier(ShellState& shell);

} // namespace orbisk
