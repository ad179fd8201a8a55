// The command line of orbisk-render.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/headless.h"

namespace orbisk {

enum class ImageKind { Png, Ppm };

struct RenderOptions {
    std::uint64_t frames = 0;
    std::uint32_t fps = 60;
    std::int64_t epoch = DefaultEpoch;
    PictureFormat format = PictureFormat::Xrgb8888;
    std::string out;
    ImageKind kind = ImageKind::Png;
    bool stats = false;
    std::uint64_t every = 0; // 0: only the last frame is written
};

struct ParsedCommand {
    std::optional<RenderOptions> options; // empty when help was asked for or the arguments are bad
    bool help = false;
    std::string error; // one line, set when the arguments are bad
};

ParsedCommand parseRenderCommand(const std::vector<std::string>& arguments);

extern const char RenderUsage[];

// FILE.png with frame 123 is FILE-000123.png.
std::string numberedImagePath(const std::string& out, std::uint64_t frame);

} // namespace orbisk
