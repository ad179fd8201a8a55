// In LD_PRELOAD, makes XCreateImage fail as it does when memory runs out, its only failure for a usable visual.
#include <X11/Xlib.h>

XImage* XCreateImage(Display*, Visual*, unsigned, int, int, char*, unsigned, unsigned, int, int) { return nullptr; }
