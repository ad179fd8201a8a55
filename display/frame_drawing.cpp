#include "display/frame_drawing.h"

#include "display/pixels.h"
#include "sim/field.h"
#include "sim/frame.h"

namespace orbisk {
namespace {

// What the last frame of drawNextFrame was drawn into, and of which field.
struct LastDrawing {
    const std::uint8_t* picture = nullptr;
    std::int32_t pitch = 0;
    PixelFormat format{};
    std::uint32_t clearColour = 0;
    std::uint64_t seeding = 0;

    static LastDrawing now(const std::uint8_t* picture, std::int32_t pitch) {
        return {picture, pitch, pixelFormat, frameTarget.clearColour, seedingCount()};
    }
    bool operator==(const LastDrawing&) const = default;
};

LastDrawing lastDrawing;

} // namespace

void drawFrame(std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick) {
    frameTarget.surface = picture;
    frameTarget.pitch = pitch;
    clearPicture();
    drawFrameOnCleared(picture, pitch, tick);
}

void drawFrameOnCleared(std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick) {
    lastDrawing = {};
    frameTarget.surface = picture;
    frameTarget.pitch = pitch;
    simulateFrame(tick);
    frameTarget.surface = nullptr;
}

void drawNextFrame(std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick) {
    const bool holdsLastFrame = lastDrawing == LastDrawing::now(picture, pitch);
    frameTarget.surface = picture;
    frameTarget.pitch = pitch;
    if (!holdsLastFrame) clearPicture();
    frameTarget.holdsLastFrame = holdsLastFrame;
    simulateFrame(tick);
    frameTarget.holdsLastFrame = false;
    frameTarget.surface = nullptr;
    lastDrawing = LastDrawing::now(picture, pitch);
}

} // namespace orbisk
