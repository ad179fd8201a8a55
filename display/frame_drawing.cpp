#include "display/frame_drawing.h"

#include "display/pixels.h"
#include "sim/frame.h"

namespace orbisk {

void drawFrame(std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick) {
    frameTarget.surface = picture;
    frameTarget.pitch = pitch;
    clearPicture();
    drawFrameOnCleared(picture, pitch, tick);
}

void drawFrameOnCleared(std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick) {
    frameTarget.surface = picture;
    frameTarget.pitch = pitch;
    simulateFrame(tick);
    frameTarget.surface = nullptr;
}

} // namespace orbisk
