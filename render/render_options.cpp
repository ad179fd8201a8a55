#include "render/render_options.h"

namespace orbisk {
namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = text[text.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

ParsedRenderCommand failure(std::string message) { return ParsedRenderCommand::failure(std::move(message)); }

// Half of the 64-bit range either way, so that the calendar second of any frame is a 64-bit number.
constexpr long long SmallestEpoch = INT64_MIN / 2, LargestEpoch = INT64_MAX / 2;

} // namespace

const char RenderUsage[] =
    "usage: orbisk-render --frames N [--fps F] [--epoch E] [--format 8|15|16|24|32] --out FILE.png|FILE.ppm\n"
    "                     [--stats] [--every K]\n"
    "Runs the saver's picture without a display and writes the picture after frame N.\n"
    "  --frames N   frames to run (frame k is drawn at floor(k * 1000 / F) milliseconds)\n"
    "  --fps F      frames per second of the fixed clock (default 60)\n"
    "  --epoch E    calendar second at the start, which picks the flow patterns (default 1000000000)\n"
    "  --format B   pixel format: 8 (3-3-2 palette), 15 (5-5-5), 16 (5-6-5), 24, 32 (default 32)\n"
    "  --out FILE   output picture, PNG or binary PPM by its extension\n"
    "  --stats      print the state of the simulation after the last frame\n"
    "  --every K    also write every K-th frame as FILE-000123.png\n";

ParsedRenderCommand parseRenderCommand(const std::vector<std::string>& arguments) {
    RenderOptions options;
    bool haveFrames = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") return ParsedRenderCommand::helpWanted();
        if (name == "--stats") {
            options.stats = true;
            continue;
        }
        const bool takesValue = name == "--frames" || name == "--fps" || name == "--epoch" || name == "--format" ||
                                name == "--out" || name == "--every";
        if (!takesValue) return failure("unknown argument " + quoted(name));
        if (i + 1 == arguments.size()) return failure(name + " needs a value");
        const std::string& value = arguments[++i];
        if (name == "--out") {
            if (endsWith(value, ".png"))
                options.kind = ImageKind::Png;
            else if (endsWith(value, ".ppm"))
                options.kind = ImageKind::Ppm;
            else
                return failure("--out must name a .png or .ppm file, not " + quoted(value));
            options.out = value;
            continue;
        }
        if (name == "--format") {
            const auto bits = parseNumber(value, 0, 64);
            const auto format = bits ? pictureFormatFromBits(static_cast<long>(*bits)) : std::nullopt;
            if (!format) return failure("--format must be 8, 15, 16, 24 or 32, not " + quoted(value));
            options.format = *format;
            continue;
        }
        if (name == "--epoch") {
            const auto epoch = parseNumber(value, SmallestEpoch, LargestEpoch);
            if (!epoch) return failure(numberOutOfRange("--epoch", SmallestEpoch, LargestEpoch, value));
            options.epoch = *epoch;
            continue;
        }
        const long long high = name == "--fps" ? LargestFixedClockFps : LargestFrameCount;
        const auto number = parseNumber(value, 1, high);
        if (!number) return failure(numberOutOfRange(name, 1, high, value));
        if (name == "--frames") {
            options.frames = static_cast<std::uint64_t>(*number);
            haveFrames = true;
        } else if (name == "--fps") {
            options.fps = static_cast<std::uint32_t>(*number);
        } else {
            options.every = static_cast<std::uint64_t>(*number);
        }
    }
    if (!haveFrames) return failure("--frames is required");
    if (options.out.empty()) return failure("--out is required");
    return {options, false, {}};
}

std::string numberedImagePath(const std::string& out, std::uint64_t frame) {
    std::string number = std::to_string(frame);
    if (number.size() < 6) number.insert(0, 6 - number.size(), '0');
    const std::size_t dot = out.size() - 4; // the extension was checked: .png or .ppm
    return out.substr(0, dot) + "-" + number + out.substr(dot);
}

} // namespace orbisk
