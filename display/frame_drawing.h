// Frames of a simulation drawn into locked pictures of one pixel format, as every driver draws them (the Windows
// frame driver, orbisk-x11, the headless run, the page): the simulation steps, and the particles are plotted into
// the picture as they step.
#pragma once

#include <cstdint>

#include "display/pixels.h"

namespace orbisk {

struct Simulation;

class FrameDrawing {
public:
    FrameDrawing() = default;
    explicit FrameDrawing(const PixelFormat& format, std::uint32_t clearColour = 0)
        : format_(format), clearColour_(clearColour) {}

    const PixelFormat& format() const { return format_; }
    std::uint32_t clearColour() const { return clearColour_; }

    // Fills the picture (FieldWidth × FieldHeight in the format, rows `pitch` bytes apart) with the clear colour,
    // then draws the frame at millisecond tick count `tick` into it.
    void drawFrame(Simulation& simulation, std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick);

    // The same on a picture that already holds the clear colour (DirectDraw fills the saver's before the lock).
    void drawFrameOnCleared(Simulation& simulation, std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick);

    // The same for a picture that is kept from frame to frame: when it still holds the last frame that this drew
    // into it (the same memory, nothing else written, the same simulation and seeding), only what changes is drawn:
    // the points of the particles that move. Otherwise it is cleared and drawn whole. The result is the picture of
    // drawFrame.
    void drawNextFrame(Simulation& simulation, std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick);

private:
    // What the last frame of drawNextFrame was drawn into, and of which field.
    struct LastDrawing {
        const std::uint8_t* picture = nullptr;
        std::int32_t pitch = 0;
        const Simulation* simulation = nullptr;
        std::uint64_t seeding = 0;
        bool operator==(const LastDrawing&) const = default;
    };

    void draw(Simulation& simulation, const FrameTarget& target, bool holdsLastFrame, std::uint32_t tick) const;

    PixelFormat format_;
    std::uint32_t clearColour_ = 0;
    LastDrawing last_;
};

} // namespace orbisk
