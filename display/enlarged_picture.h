// The 640 x 480 picture enlarged by the program itself: each of its pixels drawn as a block of scale × scale
// pixels, centred on black, in a larger picture of the same 32-bit pixels. For a compositor whose own scaling would
// blur the blocks. The larger picture is kept from frame to frame: only the blocks whose pixel changed since it was
// last brought up to date are drawn again.
#pragma once

#include <cstdint>
#include <vector>

#include "display/picture_placement.h"

namespace orbisk {

class EnlargedPicture {
public:
    // An enlarged picture of width × height pixels, at `scale` (see pictureScale). What it needs is allocated here,
    // none of it while it is brought up to date.
    EnlargedPicture(std::uint32_t width, std::uint32_t height, std::uint32_t scale);

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    std::uint32_t scale() const { return placement_.scale; }
    // Where the blocks are: the rest is black.
    const Area& pictureArea() const { return placement_.destination; }

    // Brings `target` (width × height 32-bit pixels, rows `stride` pixels apart) up to date with `picture`
    // (FieldWidth × FieldHeight 32-bit pixels, rows FieldWidth apart): the first time it is made whole, black around
    // the blocks; after that only the blocks whose pixel differs from the picture it was last brought up to date
    // with are drawn.
    void update(const std::uint32_t* picture, std::uint32_t* target, std::uint32_t stride);

    struct Span {
        std::uint32_t begin, end; // the enlarged picture's pixels that one picture pixel covers, clipped
    };

private:

    std::uint32_t width_, height_;
    PicturePlacement placement_;
    std::vector<Span> columns_, rows_; // for each column and row of the picture; empty spans where clipped
    std::vector<std::uint32_t> shown_; // the picture that the target holds, once it holds one
    bool holdsPicture_ = false;
};

} // namespace orbisk
