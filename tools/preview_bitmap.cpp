#include "tools/preview_bitmap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace orbisk {
namespace {

constexpr std::uint32_t Scale = FieldWidth / PreviewWidth;
constexpr std::uint32_t BlockPixels = Scale * Scale;
static_assert(FieldHeight / PreviewHeight == Scale);

using Rgb = std::array<int, 3>;

// Brightness of a block with n particles, out of 256. A plain average would show a lone particle at a sixteenth
// of its brightness and the picture would look nearly black; the square root keeps sparse regions visible while
// dense streams stay the brightest.
std::array<std::uint32_t, BlockPixels + 1> blockGain() {
    std::array<std::uint32_t, BlockPixels + 1> gain{};
    for (std::uint32_t n = 0; n <= BlockPixels; ++n)
        gain[n] = static_cast<std::uint32_t>(std::lround(256.0 * std::sqrt(double(n) / BlockPixels)));
    return gain;
}

// The mean colour of the particles in one block, at the brightness their number earns.
Colour shrinkBlock(const std::vector<std::uint8_t>& screenRgb, std::uint32_t bx, std::uint32_t by) {
    static const std::array<std::uint32_t, BlockPixels + 1> gain = blockGain();
    std::array<std::uint32_t, 3> sum{};
    std::uint32_t count = 0;
    for (std::uint32_t y = by * Scale; y < (by + 1) * Scale; ++y)
        for (std::uint32_t x = bx * Scale; x < (bx + 1) * Scale; ++x) {
            const std::uint8_t* rgb = screenRgb.data() + (std::size_t{y} * FieldWidth + x) * 3;
            if (rgb[0] == 0 && rgb[1] == 0 && rgb[2] == 0) continue; // background
            ++count;
            for (int c = 0; c < 3; ++c) sum[c] += rgb[c];
        }
    if (count == 0) return {0, 0, 0};
    const auto channel = [&](int c) { return static_cast<std::uint8_t>(sum[c] / count * gain[count] / 256); };
    return {channel(0), channel(1), channel(2)};
}

Rgb channels(Colour c) { return {c.red, c.green, c.blue}; }

int distance(const Rgb& a, const Rgb& b) {
    int d = 0;
    for (int c = 0; c < 3; ++c) d += (a[c] - b[c]) * (a[c] - b[c]);
    return d;
}

struct Weighted {
    Rgb rgb;
    std::uint64_t count;
};

struct Box {
    std::size_t begin, end;
};

std::uint64_t weightOf(const std::vector<Weighted>& colours, Box b) {
    std::uint64_t w = 0;
    for (std::size_t i = b.begin; i < b.end; ++i) w += colours[i].count;
    return w;
}

// The channel over which the box's colours spread the most, and that spread.
std::pair<int, int> widestChannel(const std::vector<Weighted>& colours, Box b) {
    std::pair<int, int> widest{0, -1};
    for (int c = 0; c < 3; ++c) {
        int lo = 255, hi = 0;
        for (std::size_t i = b.begin; i < b.end; ++i) {
            lo = std::min(lo, colours[i].rgb[c]);
            hi = std::max(hi, colours[i].rgb[c]);
        }
        if (hi - lo > widest.second) widest = {c, hi - lo};
    }
    return widest;
}

// Median cut: again and again, the box whose pixel count times spread is largest is halved at its weighted
// median, and each box's weighted mean becomes a palette entry. Only integers and stable sorts, so every
// compiler makes the same palette.
std::vector<Rgb> medianCut(std::vector<Weighted> colours, std::size_t wanted) {
    std::vector<Box> boxes{{0, colours.size()}};
    while (boxes.size() < wanted) {
        std::size_t pick = boxes.size();
        std::uint64_t pickScore = 0;
        int pickChannel = 0;
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            const auto [channel, spread] = widestChannel(colours, boxes[b]);
            const std::uint64_t score = weightOf(colours, boxes[b]) * static_cast<std::uint64_t>(spread);
            if (score > pickScore) {
                pick = b;
                pickScore = score;
                pickChannel = channel;
            }
        }
        if (pick == boxes.size()) break; // every box holds a single colour
        const Box box = boxes[pick];
        const auto first = colours.begin() + static_cast<std::ptrdiff_t>(box.begin);
        const auto last = colours.begin() + static_cast<std::ptrdiff_t>(box.end);
        std::stable_sort(first, last,
                         [c = pickChannel](const Weighted& a, const Weighted& b) { return a.rgb[c] < b.rgb[c]; });
        const std::uint64_t half = weightOf(colours, box) / 2;
        std::uint64_t below = 0;
        std::size_t cut = box.begin;
        while (cut < box.end - 1 && below + colours[cut].count <= half) below += colours[cut++].count;
        cut = std::max(cut, box.begin + 1);
        boxes[pick].end = cut;
        boxes.push_back({cut, box.end});
    }
    std::vector<Rgb> means;
    for (const Box& b : boxes) {
        const std::uint64_t w = weightOf(colours, b);
        Rgb mean{};
        for (int c = 0; c < 3; ++c) {
            std::uint64_t sum = 0;
            for (std::size_t i = b.begin; i < b.end; ++i) sum += std::uint64_t(colours[i].rgb[c]) * colours[i].count;
            mean[c] = static_cast<int>((sum + w / 2) / w);
        }
        means.push_back(mean);
    }
    return means;
}

std::uint8_t nearest(const std::vector<Rgb>& palette, const Rgb& rgb) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < palette.size(); ++i)
        if (distance(palette[i], rgb) < distance(palette[best], rgb)) best = i;
    return static_cast<std::uint8_t>(best);
}

} // namespace

std::vector<Colour> shrinkScreen(const std::vector<std::uint8_t>& screenRgb) {
    std::vector<Colour> out;
    out.reserve(std::size_t{PreviewWidth} * PreviewHeight);
    for (std::uint32_t by = 0; by < PreviewHeight; ++by)
        for (std::uint32_t bx = 0; bx < PreviewWidth; ++bx) out.push_back(shrinkBlock(screenRgb, bx, by));
    return out;
}

IndexedPicture quantise(const std::vector<Colour>& pixels, std::uint32_t width, std::uint32_t height) {
    std::map<Rgb, std::uint64_t> histogram;
    for (const Colour& c : pixels)
        if (c.red != 0 || c.green != 0 || c.blue != 0) ++histogram[channels(c)];
    std::vector<Weighted> colours;
    for (const auto& [rgb, count] : histogram) colours.push_back({rgb, count});

    // Black, the background, keeps an exact entry of its own.
    std::vector<Rgb> palette{{0, 0, 0}};
    if (!colours.empty()) {
        const std::vector<Rgb> means = medianCut(colours, 255);
        palette.insert(palette.end(), means.begin(), means.end());
    }

    IndexedPicture picture{.width = width, .height = height, .bitCount = 8, .palette = {}, .indices = {}};
    for (const Rgb& p : palette)
        picture.palette.push_back(
            {static_cast<std::uint8_t>(p[0]), static_cast<std::uint8_t>(p[1]), static_cast<std::uint8_t>(p[2])});
    picture.palette.resize(256, Colour{0, 0, 0});
    picture.indices.reserve(pixels.size());
    for (const Colour& c : pixels) picture.indices.push_back(nearest(palette, channels(c)));
    return picture;
}

} // namespace orbisk
