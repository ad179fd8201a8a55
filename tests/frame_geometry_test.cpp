// Where the picture goes in client areas of any size.
#include <gtest/gtest.h>

#include "display/frame_geometry.h"

namespace orbisk {
namespace {

TEST(FrameGeometry, CentresThePictureWithTheOddPixelRightAndBelow) {
    const struct {
        std::uint32_t width, height;
        PictureRect expected;
    } cases[] = {{1024, 768, {192, 144, 832, 624}},
                 {640, 480, {0, 0, 640, 480}},
                 {801, 601, {80, 60, 720, 540}},
                 // Smaller than the picture: centred and clipped by the window, never thrown off to 2^31.
                 {320, 200, {-160, -140, 480, 340}},
                 {639, 479, {-1, -1, 639, 479}},
                 {0, 0, {-320, -240, 320, 240}}};
    for (const auto& c : cases) {
        const PictureRect r = centredPicture(c.width, c.height);
        EXPECT_EQ(r.left, c.expected.left) << c.width << "x" << c.height;
        EXPECT_EQ(r.top, c.expected.top) << c.width << "x" << c.height;
        EXPECT_EQ(r.right, c.expected.right) << c.width << "x" << c.height;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.width << "x" << c.height;
    }
}

} // namespace
} // namespace orbisk
