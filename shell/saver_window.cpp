#include "shell/saver_window.h"

namespace orbisk {

// NOT YET BUILT: the saver window, its message loop and its close rules come with the running saver. Until then
// the full-screen and preview switches end at once with -1, as a switch the program cannot serve.
int runSaverWindow(HWND) { return -1; }

} // namespace orbisk
