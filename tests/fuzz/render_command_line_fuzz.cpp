// orbisk-render's command line: the input's pieces between zero bytes are its arguments.
#include <cstddef>
#include <cstdint>
#include <tuple>

#include "render/render_options.h"
#include "tests/fuzz/fuzz_checks.h"

namespace {

using namespace orbisk;

auto fields(const RenderOptions& o) {
    return std::tie(o.frames, o.fps, o.epoch, o.format, o.out, o.kind, o.stats, o.every);
}

bool endsWithLetters(const std::string& text, const std::string& ending) {
    if (text.size() < ending.size()) return false;
    for (std::size_t i = 0; i < ending.size(); ++i)
        if ((text[text.size() - ending.size() + i] | 0x20) != ending[i]) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> arguments = piecesOf(data, size);
    const ParsedRenderCommand command = parseRenderCommand(arguments), again = parseRenderCommand(arguments);
    const RenderOptions* accepted =
        acceptedOptions(command, again, fields,
                        {"--frames ", "--fps ", "--epoch ", "--format ", "--out ", "--every ", "unknown argument '"});
    if (!accepted) return 0;
    const RenderOptions& o = *accepted;
    require(o.frames >= 1 && o.frames <= LargestFrameCount, "--frames within 1 to 10^12");
    require(o.fps >= 1 && o.fps <= LargestFixedClockFps, "--fps within 1 to 1,000,000");
    require(o.epoch >= INT64_MIN / 2 && o.epoch <= INT64_MAX / 2, "--epoch within half the 64-bit range");
    require(o.every <= LargestFrameCount, "--every within 1 to 10^12, or not given");
    const auto bits = static_cast<int>(o.format);
    require(bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32, "--format one of the five");
    require(endsWithLetters(o.out, o.kind == ImageKind::Png ? ".png" : ".ppm"), "--out's kind is its extension");
    const std::string numbered = numberedImagePath(o.out, o.every != 0 ? o.every : o.frames);
    require(numbered.size() >= o.out.size() + 7 && numbered.ends_with(o.out.substr(o.out.size() - 4)),
            "a numbered picture keeps the extension and adds its number");
    return 0;
}
