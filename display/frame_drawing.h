// A frame drawn into a locked picture, as every driver draws it (the Windows frame driver, orbisk-x11, the headless
// run): the frame target points at the picture while the frame's simulation plots into it, and at nothing after.
#pragma once

#include <cstdint>

namespace orbisk {

// Fills the picture (FieldWidth × FieldHeight in the screen's format, rows `pitch` bytes apart) with the clear
// colour, then draws the frame at millisecond tick count `tick` into it.
void drawFrame(std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick);

// The same on a picture that already holds the clear colour (DirectDraw fills the saver's before the lock).
void drawFrameOnCleared(std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick);

// The same for a picture that is kept from frame to frame: when it still holds the last frame that this drew into
// it (the same memory and format, nothing else written, the same field), only what changes is drawn: the points
// of the particles that move. Otherwise it is cleared and drawn whole. The result is the picture of drawFrame.
void drawNextFrame(std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick);

} // namespace orbisk
