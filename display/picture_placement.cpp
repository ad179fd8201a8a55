#include "display/picture_placement.h"

#include <algorithm>

#include "display/frame_geometry.h"

namespace orbisk {

std::uint32_t pictureScale(std::uint32_t requested, std::uint32_t windowWidth, std::uint32_t windowHeight) {
    if (requested != 0) return requested;
    const auto width = static_cast<std::uint32_t>(FieldWidth), height = static_cast<std::uint32_t>(FieldHeight);
    return std::clamp(std::min(windowWidth / width, windowHeight / height), 1u, LargestScale);
}

PicturePlacement placePicture(std::uint32_t windowWidth, std::uint32_t windowHeight, std::uint32_t scale) {
    const auto width = static_cast<std::int32_t>(windowWidth);
    const auto height = static_cast<std::int32_t>(windowHeight);
    const std::int32_t pictureWidth = FieldWidth * static_cast<std::int32_t>(scale);
    const std::int32_t pictureHeight = FieldHeight * static_cast<std::int32_t>(scale);
    const std::int32_t pictureLeft = (width - pictureWidth) >> 1, pictureTop = (height - pictureHeight) >> 1;
    const PictureRect picture{pictureLeft, pictureTop, pictureLeft + pictureWidth, pictureTop + pictureHeight};
    const std::int32_t left = std::max(picture.left, 0), top = std::max(picture.top, 0);
    const std::int32_t right = std::min(picture.right, width), bottom = std::min(picture.bottom, height);

    PicturePlacement placement{};
    placement.scale = scale;
    placement.sourceX = left - picture.left;
    placement.sourceY = top - picture.top;
    placement.destination = {left, top, static_cast<std::uint32_t>(right - left),
                             static_cast<std::uint32_t>(bottom - top)};
    const auto band = [&placement](std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
        if (x1 > x0 && y1 > y0)
            placement.border[placement.borderCount++] = {x0, y0, static_cast<std::uint32_t>(x1 - x0),
                                                         static_cast<std::uint32_t>(y1 - y0)};
    };
    band(0, 0, width, top);
    band(0, bottom, width, height);
    band(0, top, left, bottom);
    band(right, top, width, bottom);
    return placement;
}

} // namespace orbisk
