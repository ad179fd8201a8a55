#include "x11/x_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdio>

#include "display/palette.h"
#include "sim/tables.h"
#include "x11/x_errors.h"

namespace orbisk {
namespace {

static_assert(static_cast<int>(VisualClass::PseudoColorClass) == PseudoColor);
static_assert(static_cast<int>(VisualClass::TrueColorClass) == TrueColor);
static_assert(static_cast<int>(VisualClass::DirectColorClass) == DirectColor);

std::uint32_t bitsPerPixelOfDepth(Display* display, int depth) {
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    std::uint32_t bits = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth) bits = static_cast<std::uint32_t>(formats[i].bits_per_pixel);
    if (formats) XFree(formats);
    return bits;
}

VisualDescription describe(Display* display, Visual* visual, int depth) {
    return {static_cast<VisualClass>(visual->c_class),    static_cast<std::uint32_t>(depth),
            bitsPerPixelOfDepth(display, depth),          static_cast<std::uint32_t>(visual->map_entries),
            static_cast<std::uint32_t>(visual->red_mask), static_cast<std::uint32_t>(visual->green_mask),
            static_cast<std::uint32_t>(visual->blue_mask)};
}

Colormap makePalette(Display* display, Window window, Visual* visual) {
    const Colormap colormap = XCreateColormap(display, window, visual, AllocAll);
    XColor colours[256];
    for (int i = 0; i < 256; ++i) {
        const Colour c = paletteColour(static_cast<std::uint8_t>(i));
        colours[i].pixel = static_cast<unsigned long>(i);
        colours[i].red = static_cast<unsigned short>(c.red * 257);
        colours[i].green = static_cast<unsigned short>(c.green * 257);
        colours[i].blue = static_cast<unsigned short>(c.blue * 257);
        colours[i].flags = DoRed | DoGreen | DoBlue;
    }
    XStoreColors(display, colormap, colours, 256);
    return colormap;
}

// A window the size of the screen, or of the picture at the scale asked for.
Window makeOwnWindow(Display* display, bool fullscreen, std::uint32_t scale, HackWindowState& state) {
    const int screen = DefaultScreen(display);
    state.width = fullscreen ? static_cast<std::uint32_t>(DisplayWidth(display, screen)) : FieldWidth * scale;
    state.height = fullscreen ? static_cast<std::uint32_t>(DisplayHeight(display, screen)) : FieldHeight * scale;
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0; // black in every format the hack draws in, the palette's entry 0 too
    unsigned long mask = CWBackPixel;
    if (state.palette != None) {
        attributes.colormap = state.palette;
        mask |= CWColormap;
    }
    const Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, state.width, state.height, 0,
                                        state.depth, InputOutput, state.visual, mask, &attributes);
    XStoreName(display, window, "Orbisk");
    XClassHint hint{const_cast<char*>("orbisk-x11"), const_cast<char*>("Orbisk")};
    XSetClassHint(display, window, &hint);
    state.protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    state.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &state.deleteWindow, 1);
    if (fullscreen) {
        Atom fullscreenState = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&fullscreenState), 1);
    }
    return window;
}

std::string hexId(unsigned long id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

} // namespace

std::optional<HackWindowState> openHackWindow(Display* display, const HackOptions& options, std::string& error) {
    HackWindowState state;
    Colormap windowColormap = None;
    if (options.window == HackWindow::Own || options.window == HackWindow::Fullscreen) {
        const int screen = DefaultScreen(display);
        state.visual = DefaultVisual(display, screen);
        state.depth = DefaultDepth(display, screen);
        state.own = true;
    } else {
        const Window window = options.window == HackWindow::Root ? DefaultRootWindow(display) : options.windowId;
        XWindowAttributes attributes{};
        XErrorTrap trap(display);
        const bool found = XGetWindowAttributes(display, window, &attributes) != 0 && trap.passed();
        if (!found) {
            error = "there is no window " + hexId(window) + " on the display";
            return std::nullopt;
        }
        if (attributes.c_class != InputOutput) {
            error = "window " + hexId(window) + " is input-only and cannot be drawn in";
            return std::nullopt;
        }
        state.window = window;
        state.visual = attributes.visual;
        state.depth = attributes.depth;
        state.width = static_cast<std::uint32_t>(attributes.width);
        state.height = static_cast<std::uint32_t>(attributes.height);
        windowColormap = attributes.colormap;
    }

    const VisualDescription visual = describe(display, state.visual, state.depth);
    const auto format = drawingFormatFor(visual);
    if (!format) {
        error = "cannot draw on " + describeVisual(visual);
        return std::nullopt;
    }
    state.format = *format;
    const Window root = RootWindow(display, DefaultScreen(display));
    if (format->palette) state.palette = makePalette(display, state.window != None ? state.window : root, state.visual);

    if (state.own) {
        state.window =
            makeOwnWindow(display, options.window == HackWindow::Fullscreen, std::max(options.scale, 1u), state);
    } else if (state.palette != None && state.window != root) {
        state.borrowed = windowColormap;
        XSetWindowColormap(display, state.window, state.palette);
    }
    // Without a window manager nobody else installs a window's colormap, and nobody ever installs the root's.
    if (state.palette != None) XInstallColormap(display, state.palette);

    XErrorTrap trap(display);
    XSelectInput(display, state.window, StructureNotifyMask | ExposureMask);
    if (state.own) XMapWindow(display, state.window);
    if (!trap.passed()) {
        error = "window " + hexId(state.window) + " went away";
        closeHackWindow(display, state);
        return std::nullopt;
    }
    return state;
}

void closeHackWindow(Display* display, const HackWindowState& state) {
    if (state.own) XDestroyWindow(display, state.window);
    // Freeing the palette would leave the window that holds it with no colormap at all.
    if (state.borrowed != None) XSetWindowColormap(display, state.window, state.borrowed);
    if (state.palette != None) XFreeColormap(display, state.palette);
}

std::uint32_t serverRefreshRate(Display* display, Window window) {
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return 0;
    XRRScreenConfiguration* configuration = XRRGetScreenInfo(display, window);
    if (!configuration) return 0;
    const short rate = XRRConfigCurrentRate(configuration);
    XRRFreeScreenConfigInfo(configuration);
    return rate > 0 ? static_cast<std::uint32_t>(rate) : 0;
}

} // namespace orbisk
