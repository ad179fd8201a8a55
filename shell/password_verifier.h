// The password provider of the older Windows family: loaded when the desktop asks for a screen-saver password, so
// that the saver closes only after the provider has accepted the password.
#pragma once

namespace orbisk {

void loadPasswordVerifier();
void unloadPasswordVerifier();

} // namespace orbisk
