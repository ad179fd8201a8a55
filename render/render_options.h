// The command line of orbisk-render.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "headless/headless.h"

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

using ParsedRenderCommand = ParsedCommand<RenderOptions>;

ParsedRenderCommand parseRenderCommand(const std::vector<std::string>& arguments);

extern const char RenderUsage[];

// FILE.png with frame 123 is FILE-000123.png.
std::string numberedImagePath(const std::string& out, std::uint64_t frame);

} // namespace orbisk
