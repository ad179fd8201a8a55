#include "wayland/wayland_options.h"

#include "display/picture_placement.h"

namespace orbisk {

const char WaylandUsage[] =
    "usage: orbisk-wayland [--idle SECONDS] [--scale N] [--fps] [--fixed-clock FPS] [--frames N] [--version]\n"
    "Orbisk's flow of 38,400 coloured particles, full screen on every output of a Wayland compositor. Any key,\n"
    "button or touch, or a pointer motion of more than 4 pixels, ends it.\n"
    "  --idle SECONDS    wait until the seat has been idle this long, show the picture until input, then wait\n"
    "                    again (needs a compositor with the ext-idle-notify-v1 protocol)\n"
    "  --scale N         draw each picture pixel as N x N pixels, 1 to 10 (default: the largest whole factor that\n"
    "                    fits each output)\n"
    "  --fps             print frames per second on stderr, once a second\n"
    "  --fixed-clock FPS run the picture on orbisk-render's clock: frame k at k * 1000 / FPS ms, epoch\n"
    "                    1000000000, so that frame N is exactly `orbisk-render --frames N --fps FPS` (frames are\n"
    "                    still shown at the refresh rate)\n"
    "  --frames N        stop after frame N is on the screen\n"
    "  --version         print the version\n"
    "Ends with exit code 0 on input, on SIGTERM, SIGINT or SIGHUP and after --frames; 1 when there is no\n"
    "compositor, the arguments are unusable or the connection to the compositor is lost.\n";

const char WaylandVersion[] = "orbisk-wayland " ORBISK_VERSION "\n";

ParsedWaylandCommand parseWaylandCommand(const std::vector<std::string>& arguments) {
    WaylandOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") return ParsedWaylandCommand::helpWanted();
        if (name == "--fps") {
            options.printFps = true;
        } else if (name == "--version") {
            options.printVersion = true;
        } else if (name == "--scale" || name == "--fixed-clock" || name == "--frames" || name == "--idle") {
            if (i + 1 == arguments.size()) return ParsedWaylandCommand::failure(name + " needs a value");
            const std::string& value = arguments[++i];
            const long long high = name == "--scale"         ? LargestScale
                                   : name == "--fixed-clock" ? LargestFixedClockFps
                                   : name == "--frames"      ? LargestFrameCount
                                                             : LargestIdleSeconds;
            const auto number = parseNumber(value, 1, high);
            if (!number) return ParsedWaylandCommand::failure(numberOutOfRange(name, 1, high, value));
            if (name == "--scale")
                options.scale = static_cast<std::uint32_t>(*number);
            else if (name == "--fixed-clock")
                options.fixedClockFps = static_cast<std::uint32_t>(*number);
            else if (name == "--frames")
                options.frames = static_cast<std::uint64_t>(*number);
            else
                options.idleSeconds = static_cast<std::uint32_t>(*number);
        } else {
            return ParsedWaylandCommand::failure("unknown argument " + quoted(name));
        }
    }
    return {options, false, {}};
}

} // namespace orbisk
