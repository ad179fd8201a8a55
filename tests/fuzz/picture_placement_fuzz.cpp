// The picture's place in a window of every size X allows (0 to 65,535 each way) at every scale, and its border as X
// draws it: the input is the width and the height (two bytes each) and the scale asked for (0: the largest that fits).
#include <cstddef>
#include <cstdint>

#include "display/picture_placement.h"
#include "sim/tables.h"
#include "tests/fuzz/fuzz_checks.h"
#include "x11/border_rectangles.h"

namespace {

using namespace orbisk;

struct Box {
    std::int64_t left, top, right, bottom;
};

Box boxOf(const Area& a) { return {a.x, a.y, a.x + std::int64_t{a.width}, a.y + std::int64_t{a.height}}; }

bool inside(const Box& a, const Box& b) {
    return a.left >= b.left && a.top >= b.top && a.right <= b.right && a.bottom <= b.bottom;
}

bool apart(const Box& a, const Box& b) {
    return a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size != 5) return 0;
    const std::uint32_t width = data[0] | data[1] << 8, height = data[2] | data[3] << 8;
    const std::uint32_t requested = data[4] % (LargestScale + 1);

    const std::uint32_t scale = pictureScale(requested, width, height);
    require(scale == pictureScale(requested, width, height), "the same window is placed the same way twice");
    require(scale >= 1 && scale <= LargestScale, "a scale from 1 to 10");
    const bool fits = FieldWidth * scale <= width && FieldHeight * scale <= height;
    const bool largerFits =
        scale < LargestScale && FieldWidth * (scale + 1) <= width && FieldHeight * (scale + 1) <= height;
    require(requested != 0 ? scale == requested : (fits || scale == 1) && !largerFits, "the largest scale that fits");

    const PicturePlacement p = placePicture(width, height, scale);
    const Box window{0, 0, width, height};
    std::vector<Box> parts{boxOf(p.destination)};
    for (std::size_t i = 0; i < p.borderCount; ++i) {
        require(p.border[i].width > 0 && p.border[i].height > 0, "no empty band");
        parts.push_back(boxOf(p.border[i]));
    }
    std::int64_t area = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        require(inside(parts[i], window), "the picture and the bands lie in the window");
        for (std::size_t k = 0; k < i; ++k)
            require(apart(parts[i], parts[k]), "the picture and the bands overlap nowhere");
        area += (parts[i].right - parts[i].left) * (parts[i].bottom - parts[i].top);
    }
    require(area == std::int64_t{width} * height, "the picture and the bands cover the window");
    const auto centred = [scale](std::uint32_t window, std::uint32_t picture) {
        return (static_cast<std::int64_t>(window) - std::int64_t{picture} * scale) >> 1;
    };
    require(p.destination.x - p.sourceX == centred(width, FieldWidth) &&
                p.destination.y - p.sourceY == centred(height, FieldHeight),
            "the picture is centred, its extra pixel right and below");
    require(p.sourceX >= 0 && p.sourceY >= 0 && p.sourceX + std::int64_t{p.destination.width} <= FieldWidth * scale &&
                p.sourceY + std::int64_t{p.destination.height} <= FieldHeight * scale,
            "what shows lies in the scaled picture");

    const std::array<BorderRectangle, 4> rectangles = borderRectangles(p);
    for (std::size_t i = 0; i < p.borderCount; ++i) {
        const BorderRectangle& r = rectangles[i];
        const Box drawn{r.x, r.y, r.x + std::int64_t{r.width}, r.y + std::int64_t{r.height}};
        // Besides its band it may cover only parts that are drawn anyway: the picture after it, another band.
        require(inside(boxOf(p.border[i]), drawn) && inside(drawn, window),
                "X draws each band whole, and nothing outside the window");
    }
    return 0;
}
