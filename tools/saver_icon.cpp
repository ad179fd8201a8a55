#include "tools/saver_icon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "tools/preview_bitmap.h"

namespace orbisk {
namespace {

constexpr double Pi = std::numbers::pi;
constexpr int Samples = 8; // per pixel and axis

// The whirl, in units of the disc's radius: three arms of a logarithmic spiral turning clockwise on the screen,
// the particles drifting inwards as they circle.
constexpr double Arms = 3;
constexpr double Twist = 2;       // radians of turn per unit of log radius
constexpr double Drift = 0.35;    // radians by which the motion leans inwards from the circle
constexpr double ArmWidth = 0.22; // at the rim; arms narrow towards the centre
constexpr double ArmGain = 1.8;   // makes each arm a solid core with soft edges
constexpr double HoleRadius = 0.12;

// 16 × 16 pixels would break the arms, so they are drawn wider there.
constexpr double SmallWidening = 1.5;
// With 16 colours there is no mixing with the black: a pixel is all arm when at least this much of it is arm.
constexpr double SolidArm = 0.35;

// Loose particles between the arms of the 256-colour image: the share of pixels that get one, their brightness,
// and how little arm a pixel may hold to count as between the arms.
constexpr std::uint32_t LooseInThousand = 120;
constexpr double LooseBrightness = 0.6;
constexpr double BetweenArms = 0.2;

using Rgb = std::array<double, 3>;

// Where a particle moves at a point of the disc (x right, y down): clockwise, leaning inwards.
double motionAngle(double u, double v) { return std::atan2(v, u) + Pi / 2 + Drift; }

// The colour a particle takes when it moves at the given angle. Code 0 is straight down, then one code per
// eighth turn clockwise; with `blend` the two nearest direction colours are mixed, as the saver's colour drift
// mixes them.
Rgb flowColour(double angle, bool blend) {
    double position = std::fmod((angle - Pi / 2) / (Pi / 4) + 16, 8);
    if (!blend) position = std::fmod(std::round(position), 8);
    const auto low = static_cast<std::size_t>(position);
    const double t = position - static_cast<double>(low);
    const Colour a = DirectionColour[low];
    const Colour b = DirectionColour[(low + 1) % 8];
    return {a.red + t * (b.red - a.red), a.green + t * (b.green - a.green), a.blue + t * (b.blue - a.blue)};
}

// How much of a point lies on an arm, 0 to 1.
double armBrightness(double u, double v, double width) {
    const double r = std::hypot(u, v);
    if (r < HoleRadius) return 0;
    const double phase = Arms * (std::atan2(v, u) + Twist * std::log(r)) / (2 * Pi);
    const double offArm = std::abs(phase - std::round(phase)) * 2 * Pi * r / Arms;
    return std::clamp(ArmGain * (1 - offArm / (width * (0.35 + 0.65 * r))), 0.0, 1.0);
}

// A fixed scatter: whether pixel (x, y) of an image of the given size holds a loose particle.
bool looseParticle(std::uint32_t x, std::uint32_t y, std::uint32_t size) {
    std::uint32_t h = (x * 73856093u) ^ (y * 19349663u) ^ (size * 83492791u);
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h % 1000 < LooseInThousand;
}

std::uint8_t toByte(double value) { return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0))); }
Colour toColour(const Rgb& c) { return {toByte(c[0]), toByte(c[1]), toByte(c[2])}; }

struct PixelCover {
    double disc = 0; // share of the pixel inside the disc
    double arm = 0;  // mean arm brightness over the pixel
    Rgb colour{};    // mean colour over the pixel, blended directions
};

PixelCover coverPixel(std::uint32_t x, std::uint32_t y, std::uint32_t size, double width) {
    const double radius = size / 2.0;
    PixelCover cover;
    for (int sy = 0; sy < Samples; ++sy)
        for (int sx = 0; sx < Samples; ++sx) {
            const double u = (x + (sx + 0.5) / Samples - radius) / radius;
            const double v = (y + (sy + 0.5) / Samples - radius) / radius;
            if (std::hypot(u, v) > 1) continue;
            const double arm = armBrightness(u, v, width);
            const Rgb c = flowColour(motionAngle(u, v), true);
            cover.disc += 1;
            cover.arm += arm;
            for (int k = 0; k < 3; ++k)
                cover.colour[static_cast<std::size_t>(k)] += arm * c[static_cast<std::size_t>(k)];
        }
    const double all = Samples * Samples;
    cover.disc /= all;
    cover.arm /= all;
    for (double& c : cover.colour) c /= all;
    return cover;
}

IconImage drawWhirl(std::uint32_t size, std::uint16_t bitCount) {
    const bool fullColour = bitCount == 8;
    const double width = ArmWidth * (size < 32 ? SmallWidening : 1);
    const double radius = size / 2.0;
    std::vector<Colour> pixels;
    IconImage image;
    for (std::uint32_t y = 0; y < size; ++y)
        for (std::uint32_t x = 0; x < size; ++x) {
            const PixelCover cover = coverPixel(x, y, size, width);
            const double u = (x + 0.5 - radius) / radius;
            const double v = (y + 0.5 - radius) / radius;
            const Rgb direction = flowColour(motionAngle(u, v), fullColour);
            Colour colour{0, 0, 0};
            if (cover.disc < 0.5) {
                // outside the disc: the mask lets the screen through, and the colour bits stay black
            } else if (!fullColour) {
                if (cover.arm >= SolidArm) colour = toColour(direction);
            } else if (cover.disc >= 1 && cover.arm < BetweenArms && looseParticle(x, y, size)) {
                Rgb loose{};
                for (std::size_t k = 0; k < 3; ++k)
                    loose[k] = std::max(cover.colour[k], LooseBrightness * direction[k]);
                colour = toColour(loose);
            } else {
                colour = toColour(cover.colour);
            }
            pixels.push_back(colour);
            image.transparent.push_back(cover.disc < 0.5);
        }
    if (fullColour) {
        image.picture = quantise(pixels, size, size);
        return image;
    }
    // Black and the eight direction colours; the rest of the table is unused.
    image.picture = {.width = size, .height = size, .bitCount = 4, .palette = {{0, 0, 0}}, .indices = {}};
    image.picture.palette.insert(image.picture.palette.end(), DirectionColour.begin(), DirectionColour.begin() + 8);
    image.picture.palette.resize(16, Colour{0, 0, 0});
    for (const Colour& c : pixels) {
        const auto at = std::find_if(image.picture.palette.begin(), image.picture.palette.end(), [&](const Colour& p) {
            return p.red == c.red && p.green == c.green && p.blue == c.blue;
        });
        image.picture.indices.push_back(static_cast<std::uint8_t>(at - image.picture.palette.begin()));
    }
    return image;
}

} // namespace

std::vector<IconImage> saverIconImages() { return {drawWhirl(32, 4), drawWhirl(32, 8), drawWhirl(16, 4)}; }

} // namespace orbisk
