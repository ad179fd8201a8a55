// Where the 640 x 480 picture and the error texts go in the saver window's client area.
#pragma once

#include <cstdint>

#include "sim/tables.h"

namespace orbisk {

struct PictureRect {
    std::int32_t left, top, right, bottom;
};

// The picture centred in the client area; an odd surplus puts the extra pixel on the right or at the bottom. The
// arithmetic is signed, so a client area smaller than the picture gets it centred and clipped, not thrown off.
constexpr PictureRect centredPicture(std::uint32_t clientWidth, std::uint32_t clientHeight) {
    const std::int32_t left = (static_cast<std::int32_t>(clientWidth) - FieldWidth) >> 1;
    const std::int32_t top = (static_cast<std::int32_t>(clientHeight) - FieldHeight) >> 1;
    return {left, top, left + FieldWidth, top + FieldHeight};
}

struct TextOrigin {
    std::int32_t x, y;
};

// How far left of the centre an error text starts: about half the width of its 22 characters.
inline constexpr std::int32_t ErrorTextLeftOfCentre = 80;

// Where an error text starts: a little left of the centre, on the middle line.
constexpr TextOrigin errorTextOrigin(std::uint32_t clientWidth, std::uint32_t clientHeight) {
    return {static_cast<std::int32_t>(clientWidth >> 1) - ErrorTextLeftOfCentre,
            static_cast<std::int32_t>(clientHeight >> 1)};
}

} // namespace orbisk
