#include "assets/Textures.hpp"

#include "assets/Noise.hpp"
#include "assets/Paint.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vantor::assets {

namespace {

constexpr int kSide = Textures::kSide;
constexpr int kMask = kSide - 1; // kSide is a power of two

const Textures::Style kDirt1 = {0xd1e7001u, {158, 152, 142}, {124, 118, 110}, 1.2, 7.0, 2600, 45, 18.0};
const Textures::Style kDirt2 = {0xd1e7002u, {136, 120, 100}, {100, 88, 74}, 2.4, 11.0, 1500, 70, 30.0};

// Sun from the south-west, 45 degrees up: in picture axes (x East, y South)
// the light comes from (-1, +1) and shadows fall towards the north-east.
constexpr double kLightX = -0.5;
constexpr double kLightY = 0.5;
constexpr double kLightZ = 0.70710678118654752;

// Longest run, in pixels, that a cast shadow is traced towards the sun.
constexpr int kShadowReach = 24;
// Rise of the sun's ray per diagonal pixel step (45 degrees up).
constexpr double kRayRise = 1.41421356237309505;

// True when the terrain between (x, y) and the sun rises above the ray.
bool inCastShadow(const std::vector<float>& height, int x, int y)
{
    const double h0 = height[static_cast<std::size_t>(y) * kSide + x];
    for (int k = 1; k <= kShadowReach; ++k) {
        const std::size_t i = static_cast<std::size_t>((y + k) & kMask) * kSide + static_cast<std::size_t>((x - k) & kMask);
        if (height[i] > h0 + k * kRayRise)
            return true;
    }
    return false;
}

// Adds one crater, centred at (cx, cy) with radius r, to the wrapped height field.
void addCrater(std::vector<float>& height, double cx, double cy, double r)
{
    const double depth = 0.45 * r;
    const double rim = 0.15 * r;
    const double reach = 1.6 * r;
    const int x0 = static_cast<int>(std::floor(cx - reach));
    const int x1 = static_cast<int>(std::ceil(cx + reach));
    const int y0 = static_cast<int>(std::floor(cy - reach));
    const int y1 = static_cast<int>(std::ceil(cy + reach));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            const double d = std::sqrt(dx * dx + dy * dy) / r;
            double h;
            if (d < 1.0) {
                h = -depth + (depth + rim) * d * d * d; // bowl rising to the rim
            } else if (d < 1.6) {
                const double t = (d - 1.0) / 0.6;
                h = rim * (1.0 - t) * (1.0 - t) * (1.0 - t); // rim falling off outside
            } else {
                continue;
            }
            height[static_cast<std::size_t>(y & kMask) * kSide + static_cast<std::size_t>(x & kMask)] += static_cast<float>(h);
        }
    }
}

} // namespace

Image Textures::draw(const Style& style)
{
    std::vector<float> height(static_cast<std::size_t>(kSide) * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            height[static_cast<std::size_t>(y) * kSide + x] = static_cast<float>(
                (Noise::fractal(style.seed, x, y, 64, 16, 6, 0.55) - 0.5) * 6.0
                + (Noise::value(style.seed + 3, x, y, 2, 512) - 0.5) * style.roughness);

    // Craters: many small pits, then a few large craters, each population
    // with more small members than large ones (radius ~ u^2).
    for (int k = 0; k < style.pits + style.craters; ++k) {
        const double cx = Noise::unit(style.seed + 11, k, 0) * kSide;
        const double cy = Noise::unit(style.seed + 11, k, 1) * kSide;
        const double u = Noise::unit(style.seed + 11, k, 2);
        const double r = k < style.pits ? 1.2 + 3.5 * u * u : 5.0 + (style.largest - 5.0) * u * u;
        addCrater(height, cx, cy, r);
    }

    Image img(kSide, kSide);
    for (int y = 0; y < kSide; ++y) {
        std::uint8_t* row = img.row(y);
        const float* up = &height[static_cast<std::size_t>((y - 1) & kMask) * kSide];
        const float* down = &height[static_cast<std::size_t>((y + 1) & kMask) * kSide];
        const float* here = &height[static_cast<std::size_t>(y) * kSide];
        for (int x = 0; x < kSide; ++x) {
            // Lambert shading from the height field's slope, 1.0 on flat ground.
            const double gx = (here[(x + 1) & kMask] - here[(x - 1) & kMask]) * 0.5;
            const double gy = (down[x] - up[x]) * 0.5;
            const double len = std::sqrt(gx * gx + gy * gy + 1.0);
            const double lambert = (-gx * kLightX - gy * kLightY + kLightZ) / (len * kLightZ);
            double light = std::clamp(0.45 + 0.55 * lambert, 0.3, 1.35);
            if (inCastShadow(height, x, y))
                light = std::min(light, 0.42);

            // Albedo: broad pale and dark patches, then grain.
            const double patch = Noise::fractal(style.seed + 5, x, y, 128, 8, 4, 0.5);
            const double t = std::clamp((patch - 0.3) * 2.5, 0.0, 1.0);
            const double grain = (Noise::unit(style.seed + 7, x, y) - 0.5) * 2.0 * style.grain;
            const Rgb base = mixed(style.dark, style.light, t);
            const Rgb c = colour(base.r * light + grain, base.g * light + grain, base.b * light + grain, 235.0);
            row[3 * x] = c.r;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.b;
        }
    }
    return img;
}

void Textures::writeAll(const std::filesystem::path& dir)
{
    savePicture(draw(kDirt1), dir, "dirt1");
    savePicture(draw(kDirt2), dir, "dirt2");
}

} // namespace vantor::assets
