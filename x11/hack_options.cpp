#include "x11/hack_options.h"

#include "display/picture_placement.h"

namespace orbisk {
namespace {

constexpr std::uint32_t LargestResourceId = 0x1FFFFFFF;

ParsedHackCommand failure(std::string message) { return ParsedHackCommand::failure(std::move(message)); }

// XScreenSaver's hacks take their options with one dash or two.
std::string withTwoDashes(const std::string& name) {
    if (name.size() > 1 && name[0] == '-' && name[1] != '-') return "-" + name;
    return name;
}

} // namespace

const char HackUsage[] =
    "usage: orbisk-x11 [--root | --window-id ID | --fullscreen] [--display NAME] [--scale N] [--fps] [--no-shm]\n"
    "                  [--fixed-clock FPS] [--frames N] [--version]\n"
    "Orbisk's flow of 38,400 coloured particles, as an X11 screen saver (an XScreenSaver hack).\n"
    "  --root            draw on the root window\n"
    "  --window-id ID    draw into the window ID (decimal or 0x-hexadecimal)\n"
    "                    Without either, the window in $XSCREENSAVER_WINDOW if set, else a window of its own;\n"
    "                    $XSCREENSAVER_WINDOW also wins over --root, as XScreenSaver passes both.\n"
    "  --fullscreen      a window of its own over the whole screen\n"
    "  --display NAME    the X display (default $DISPLAY)\n"
    "  --scale N         draw each picture pixel as N x N pixels, 1 to 10 (default: the largest whole factor that\n"
    "                    fits the window; a window of its own is 640 x 480 at scale N)\n"
    "  --fps             print frames per second on stderr, once a second\n"
    "  --no-shm          send pictures over the connection, not through MIT shared memory\n"
    "  --fixed-clock FPS run the picture on orbisk-render's clock: frame k at k * 1000 / FPS ms, epoch\n"
    "                    1000000000, so that frame N is exactly `orbisk-render --frames N --fps FPS` (frames are\n"
    "                    still shown at the refresh rate)\n"
    "  --frames N        stop after frame N is on the screen\n"
    "  --version         print the version\n"
    "Options may also be written with one dash. Ends with exit code 0 on SIGTERM, SIGINT or SIGHUP and when its\n"
    "window is destroyed or closed; 1 when the display, the window or the arguments are unusable or the connection\n"
    "to the X server is lost.\n";

const char HackVersion[] = "orbisk-x11 " ORBISK_VERSION "\n";

std::optional<std::uint32_t> parseWindowId(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] | 0x20) == 'x';
    const auto value =
        hex ? parseNumber(text.substr(2), 1, LargestResourceId, 16) : parseNumber(text, 1, LargestResourceId);
    if (!value) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

ParsedHackCommand parseHackCommand(const std::vector<std::string>& arguments,
                                   const std::optional<std::string>& screensaverWindow) {
    HackOptions options;
    bool root = false, fullscreen = false;
    std::optional<std::string> windowId;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string name = withTwoDashes(arguments[i]);
        if (name == "--help" || arguments[i] == "-h") return ParsedHackCommand::helpWanted();
        if (name == "--root")
            root = true;
        else if (name == "--fullscreen")
            fullscreen = true;
        else if (name == "--fps")
            options.printFps = true;
        else if (name == "--no-shm")
            options.useShm = false;
        else if (name == "--version")
            options.printVersion = true;
        else if (name == "--window-id" || name == "--display" || name == "--fixed-clock" || name == "--frames" ||
                 name == "--scale") {
            if (i + 1 == arguments.size()) return failure(name + " needs a value");
            const std::string& value = arguments[++i];
            if (name == "--window-id") {
                windowId = value;
            } else if (name == "--display") {
                options.display = value;
            } else if (name == "--scale") {
                const auto scale = parseNumber(value, 1, LargestScale);
                if (!scale) return failure(numberOutOfRange(name, 1, LargestScale, value));
                options.scale = static_cast<std::uint32_t>(*scale);
            } else if (name == "--fixed-clock") {
                const auto fps = parseNumber(value, 1, LargestFixedClockFps);
                if (!fps) return failure(numberOutOfRange(name, 1, LargestFixedClockFps, value));
                options.fixedClockFps = static_cast<std::uint32_t>(*fps);
            } else {
                const auto frames = parseNumber(value, 1, LargestFrameCount);
                if (!frames) return failure(numberOutOfRange(name, 1, LargestFrameCount, value));
                options.frames = static_cast<std::uint64_t>(*frames);
            }
        } else {
            return failure("unknown argument " + quoted(arguments[i]));
        }
    }
    std::string idSource = "window id";
    if (!windowId && screensaverWindow && !screensaverWindow->empty()) {
        windowId = screensaverWindow;
        idSource = "XSCREENSAVER_WINDOW";
    }
    if (windowId) {
        const auto id = parseWindowId(*windowId);
        if (!id)
            return failure("bad " + idSource + " " + quoted(*windowId) + " (a window id is decimal or 0x-hexadecimal)");
        options.window = HackWindow::Given;
        options.windowId = *id;
    } else if (root) {
        options.window = HackWindow::Root;
    } else if (fullscreen) {
        options.window = HackWindow::Fullscreen;
    }
    return {options, false, {}};
}

} // namespace orbisk
