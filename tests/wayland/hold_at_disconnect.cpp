// Loaded into orbisk-wayland by the tests (LD_PRELOAD): the program stops itself just before it lets go of the
// compositor, when its windows still show its last frame, so that a screenshot can be taken; SIGCONT lets it end.
#include <dlfcn.h>
#include <signal.h>
#include <wayland-client.h>

extern "C" void wl_display_disconnect(wl_display* display) {
    raise(SIGSTOP);
    using Disconnect = void (*)(wl_display*);
    reinterpret_cast<Disconnect>(dlsym(RTLD_NEXT, "wl_display_disconnect"))(display);
}
