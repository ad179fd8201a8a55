#include "display/enlarged_picture.h"

#include <algorithm>
#include <cstring>

#include "sim/tables.h"

namespace orbisk {
namespace {

// For each of `count` picture pixels along one axis, the span of enlarged pixels it covers: the visible part of the
// scaled picture starts at `source` in it and shows from `first` on for `length` pixels.
std::vector<EnlargedPicture::Span> spans(std::uint32_t count, std::uint32_t scale, std::int32_t source,
                                         std::int32_t first, std::uint32_t length) {
    std::vector<EnlargedPicture::Span> result(count);
    const std::int64_t shownBegin = first, shownEnd = first + static_cast<std::int64_t>(length);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::int64_t begin = first - source + static_cast<std::int64_t>(i) * scale;
        const std::int64_t clippedBegin = std::clamp(begin, shownBegin, shownEnd);
        const std::int64_t clippedEnd = std::clamp(begin + scale, shownBegin, shownEnd);
        result[i] = {static_cast<std::uint32_t>(clippedBegin), static_cast<std::uint32_t>(clippedEnd)};
    }
    return result;
}

} // namespace

EnlargedPicture::EnlargedPicture(std::uint32_t width, std::uint32_t height, std::uint32_t scale)
    : width_(width), height_(height), placement_(placePicture(width, height, scale)),
      columns_(spans(FieldWidth, scale, placement_.sourceX, placement_.destination.x, placement_.destination.width)),
      rows_(spans(FieldHeight, scale, placement_.sourceY, placement_.destination.y, placement_.destination.height)),
      shown_(std::size_t{FieldWidth} * FieldHeight) {}

void EnlargedPicture::update(const std::uint32_t* picture, std::uint32_t* target, std::uint32_t stride) {
    const bool whole = !holdsPicture_;
    if (whole)
        for (std::uint32_t y = 0; y < height_; ++y) std::fill_n(target + std::size_t{y} * stride, width_, 0u);
    holdsPicture_ = true;
    for (std::uint32_t y = 0; y < FieldHeight; ++y) {
        const Span row = rows_[y];
        if (row.begin == row.end) continue;
        const std::uint32_t* now = picture + std::size_t{y} * FieldWidth;
        std::uint32_t* shown = shown_.data() + std::size_t{y} * FieldWidth;
        // Most pixels stay as they were: pairs of them are compared at once, and only a pair that differs is looked
        // at pixel by pixel.
        for (std::uint32_t x = 0; x < FieldWidth; x += 2) {
            std::uint64_t pairNow, pairShown;
            std::memcpy(&pairNow, now + x, sizeof pairNow);
            std::memcpy(&pairShown, shown + x, sizeof pairShown);
            if (pairNow == pairShown && !whole) continue;
            for (std::uint32_t i = x; i < x + 2; ++i) {
                const Span column = columns_[i];
                if ((now[i] == shown[i] && !whole) || column.begin == column.end) continue;
                shown[i] = now[i];
                for (std::uint32_t ty = row.begin; ty < row.end; ++ty)
                    std::fill(target + std::size_t{ty} * stride + column.begin,
                              target + std::size_t{ty} * stride + column.end, now[i]);
            }
        }
    }
}

} // namespace orbisk
