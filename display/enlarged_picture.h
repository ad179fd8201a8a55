// The 640 x 480 picture enlarged by the program itself: each of its pixels drawn as a block of scale × scale
// pixels, centred on black, in a larger picture of the same 32-bit pixels. For a compositor whose own scaling would
// blur the blocks. A frame changes about a fifth of the picture's pixels, spread all over it, so every frame the
// blocks are drawn whole, row by row (which costs less than finding and drawing the changed ones); the black around
// them only the first time.
#pragma once

#include <cstdint>
#include <vector>

#include "display/picture_placement.h"

namespace orbisk {

class EnlargedPicture {
public:
    // An enlarged picture of width × height pixels, at `scale` (see pictureScale). What it needs is allocated here.
    EnlargedPicture(std::uint32_t width, std::uint32_t height, std::uint32_t scale);

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    std::uint32_t scale() const { return placement_.scale; }
    // Where the blocks are: the rest is black.
    const Area& pictureArea() const { return placement_.destination; }

    // Draws `picture` (FieldWidth × FieldHeight 32-bit pixels, rows FieldWidth apart) into `target` (width × height
    // 32-bit pixels, rows `stride` pixels apart); the first time also the black around it.
    void update(const std::uint32_t* picture, std::uint32_t* target, std::uint32_t stride);

    struct Span {
        std::uint32_t begin, end; // the target's rows that one row of the picture covers, clipped
    };

private:
    // A row of the picture enlarged whole, in row_.
    template <std::uint32_t Scale>
    const std::uint32_t* enlargeRow(const std::uint32_t* from);
    const std::uint32_t* enlargeRow(const std::uint32_t* from, std::uint32_t scale);

    std::uint32_t width_, height_;
    PicturePlacement placement_;
    std::vector<Span> rows_;         // for each row of the picture; empty where clipped
    std::vector<std::uint32_t> row_; // one row of the picture at the scale
    bool bordered_ = false;          // the target has its black border
};

} // namespace orbisk
