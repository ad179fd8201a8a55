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
    const std::int32_t left = (static_cast<std::int32_t>(clientWidth) - static_cast<std::int32_t>(FieldWidth)) >> 1;
    const std::int32_t top = (static_cast<std::int32_t>(clientHeight) - static_cast<std::int32_t>(FieldHeight)) >> 1;
    return {left, top, left + static_cast<std::int32_t>(FieldWidth), top + static_cast<std::int32_t>(FieldHeight)};
}

struct TextOrigin {
    std::int32_t x, y;
};

// Where an error text starts: a little left of the centre, on the middle line.
constexpr TextOrigin errorTextOrigin(std::uint32_t clientWidth, std::uint32_t clientHeight) {
    return {static_cast<std::int32_t>(clientWidth >> 1) - 80, static_cast<std::int32_t>(clientHeight >> 1)};
}

} // namespace orbisk
