// The committed resource files as Windows will read them: the preview picture's headers, and its content against a
// run of the saver; the icon directory and images; and the encoding of the resource script (windres turns a script
// in the wrong encoding into garbled text without a word).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "headless/headless.h"
#include "tools/preview_bitmap.h"

namespace orbisk {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readResource(const std::string& name) {
    std::ifstream file(std::string(ORBISK_RESOURCES_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

std::uint32_t u16(const Bytes& b, std::size_t at) { return b.at(at) | std::uint32_t{b.at(at + 1)} << 8; }
std::uint32_t u32(const Bytes& b, std::size_t at) { return u16(b, at) | u16(b, at + 2) << 16; }

// The fields of a BITMAPINFOHEADER at `at` that every picture here fixes.
void expectInfoHeader(const Bytes& b, std::size_t at, std::uint32_t width, std::uint32_t height, std::uint32_t bitCount,
                      const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(u32(b, at), 40u);
    EXPECT_EQ(u32(b, at + 4), width);
    EXPECT_EQ(u32(b, at + 8), height); // positive: bottom-up
    EXPECT_EQ(u16(b, at + 12), 1u);    // planes
    EXPECT_EQ(u16(b, at + 14), bitCount);
    EXPECT_EQ(u32(b, at + 16), 0u); // BI_RGB
}

TEST(PreviewBitmap, IsA160By120PictureOf256ColoursBottomUp) {
    const Bytes bmp = readResource("preview.bmp");
    ASSERT_EQ(bmp.size(), 14u + 40 + 1024 + 19200);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(u32(bmp, 2), bmp.size());
    EXPECT_EQ(u32(bmp, 6), 0u);
    EXPECT_EQ(u32(bmp, 10), 14u + 40 + 1024);
    expectInfoHeader(bmp, 14, 160, 120, 8, "preview");
    EXPECT_TRUE(u32(bmp, 34) == 19200 || u32(bmp, 34) == 0);
    EXPECT_TRUE(u32(bmp, 46) == 256 || u32(bmp, 46) == 0);
    EXPECT_LE(u32(bmp, 50), 256u);
    for (std::size_t entry = 0; entry < 256; ++entry) EXPECT_EQ(bmp[54 + 4 * entry + 3], 0) << "entry " << entry;
}

// Each pixel of the preview stands for 4 × 4 pixels of the saver's screen at the preview frame. It is black exactly
// where none of them shows a particle; elsewhere its colour, as a direction in RGB space, lies within 30 degrees of
// the particles' mean colour (the picture brightens sparse squares and has only 256 colours, but shows the particles'
// own colours).
TEST(PreviewBitmap, ShowsTheSaversScreenAtThePreviewFrame) {
    const Bytes bmp = readResource("preview.bmp");
    ASSERT_EQ(bmp.size(), 20278u);
    HeadlessRun run(PictureFormat::Xrgb8888, PreviewFps, PreviewEpoch);
    while (run.framesRendered() < PreviewFrame) run.renderFrame();
    const std::vector<std::uint8_t> screen = run.screenRgb();

    int wrongBlack = 0, wrongColour = 0;
    for (std::size_t y = 0; y < 120; ++y)
        for (std::size_t x = 0; x < 160; ++x) {
            std::array<double, 3> sum{}; // points the way of the mean colour
            bool particles = false;
            for (std::size_t dy = 0; dy < 4; ++dy)
                for (std::size_t dx = 0; dx < 4; ++dx) {
                    const std::uint8_t* rgb = &screen[((4 * y + dy) * 640 + 4 * x + dx) * 3];
                    particles = particles || rgb[0] || rgb[1] || rgb[2];
                    for (std::size_t c = 0; c < 3; ++c) sum[c] += rgb[c];
                }
            const std::size_t entry = 54 + 4 * std::size_t{bmp[1078 + (119 - y) * 160 + x]}; // bottom row first
            const std::array<double, 3> shown{double(bmp[entry + 2]), double(bmp[entry + 1]), double(bmp[entry])};
            const bool black = shown == std::array<double, 3>{};
            const double dot = sum[0] * shown[0] + sum[1] * shown[1] + sum[2] * shown[2];
            const double lengths = std::hypot(sum[0], sum[1], sum[2]) * std::hypot(shown[0], shown[1], shown[2]);
            wrongBlack += particles == black;
            wrongColour += particles && !black && dot < std::cos(std::numbers::pi / 6) * lengths;
        }
    EXPECT_EQ(wrongBlack, 0);
    EXPECT_EQ(wrongColour, 0);
}

TEST(Icon, HoldsThreeImagesInTheirOrder) {
    const Bytes ico = readResource("orbisk.ico");
    ASSERT_GE(ico.size(), 6u + 3 * 16);
    EXPECT_EQ(u16(ico, 0), 0u);
    EXPECT_EQ(u16(ico, 2), 1u); // icon
    ASSERT_EQ(u16(ico, 4), 3u);

    const struct { std::uint32_t size, colours, bitCount; } expected[] = {{32, 16, 4}, {32, 256, 8}, {16, 16, 4}};
    std::uint32_t offset = 6 + 3 * 16;
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& e = expected[i];
        SCOPED_TRACE("image " + std::to_string(i + 1));
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(ico[entry], e.size);
        EXPECT_EQ(ico[entry + 1], e.size);
        EXPECT_EQ(ico[entry + 2], e.colours % 256); // 0 stands for 256
        EXPECT_EQ(ico[entry + 3], 0);
        EXPECT_EQ(u16(ico, entry + 4), 1u);
        EXPECT_EQ(u16(ico, entry + 6), e.bitCount);
        const std::uint32_t xorRow = (e.size * e.bitCount + 31) / 32 * 4;
        const std::uint32_t andRow = (e.size + 31) / 32 * 4;
        const std::uint32_t bytes = 40 + 4 * e.colours + (xorRow + andRow) * e.size;
        EXPECT_EQ(u32(ico, entry + 8), bytes);
        EXPECT_EQ(u32(ico, entry + 12), offset);
        ASSERT_LE(offset + bytes, ico.size());
        expectInfoHeader(ico, offset, e.size, 2 * e.size, e.bitCount, "header");
        EXPECT_TRUE(u32(ico, offset + 32) == e.colours || u32(ico, offset + 32) == 0);

        // Where the mask lets the screen through, the colour bits must be black, or the screen is inverted there.
        const std::uint32_t table = offset + 40;
        const std::uint32_t xorBits = table + 4 * e.colours;
        const std::uint32_t andBits = xorBits + xorRow * e.size;
        int through = 0;
        for (std::uint32_t y = 0; y < e.size; ++y)
            for (std::uint32_t x = 0; x < e.size; ++x) {
                if (!(ico[andBits + y * andRow + x / 8] & (0x80 >> (x % 8)))) continue;
                ++through;
                const std::uint32_t bit = x * e.bitCount;
                const std::uint32_t index =
                    (ico[xorBits + y * xorRow + bit / 8] >> (8 - e.bitCount - bit % 8)) & ((1u << e.bitCount) - 1);
                for (std::uint32_t c = 0; c < 3; ++c)
                    EXPECT_EQ(ico[table + 4 * index + c], 0) << "pixel " << x << " of row " << y << " from the bottom";
            }
        EXPECT_GT(through, 0);
        EXPECT_LT(through, static_cast<int>(e.size * e.size / 2));
        offset += bytes;
    }
    EXPECT_EQ(offset, ico.size());
}

TEST(ResourceScript, IsShiftJisThatWindresReadsCorrectly) {
    const Bytes rc = readResource("orbisk.rc");
    const std::string text(rc.begin(), rc.end());
    EXPECT_EQ(text.rfind("#pragma code_page(932)\n", 0), 0u) << "the pragma must be the first line";
    EXPECT_NE(text.find("\x90\xDA\x91\xB1"), std::string::npos) << "the button text in Shift-JIS";
    EXPECT_NE(text.find("\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E"), std::string::npos) << "the font";
    // A double-byte character whose second byte is a backslash must have the backslash doubled.
    for (std::size_t i = 0; i + 1 < rc.size(); ++i) {
        const std::uint8_t lead = rc[i];
        if ((lead < 0x81 || lead > 0x9F) && (lead < 0xE0 || lead > 0xFC)) continue;
        if (rc[i + 1] == '\\') {
            EXPECT_TRUE(i + 2 < rc.size() && rc[i + 2] == '\\') << "at byte " << i;
        }
        ++i;
    }
}

} // namespace
} // namespace orbisk
