#include "assets/GroundPatches.hpp"

#include "assets/Noise.hpp"
#include "assets/Paint.hpp"

#include <algorithm>
#include <cmath>

namespace vantor::assets {

namespace {

constexpr Rgb kSlab{132, 128, 120};
constexpr Rgb kJoint{96, 93, 88};
constexpr Rgb kRim{160, 156, 147};
constexpr Rgb kRimShade{112, 108, 101};
constexpr Rgb kYard{120, 119, 116};
constexpr Rgb kBayLine{222, 200, 92};
constexpr Rgb kPad{148, 146, 140};
constexpr int kSlabSize = 8;
constexpr std::uint32_t kHouseSeed = 0x51ab0001u;
constexpr std::uint32_t kYardSeed = 0x51ab0002u;

void put(Image& img, int x, int y, Rgb c)
{
    std::uint8_t* p = img.row(y) + 3 * x;
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

double grain(std::uint32_t seed, int x, int y)
{
    return (Noise::unit(seed, x, y) - 0.5) * 8.0 + (Noise::value(seed + 9, x, y, 4, 16) - 0.5) * 8.0;
}

} // namespace

Image GroundPatches::drawHouseGround()
{
    Image img(kHouseSide, kHouseSide, kSlab);
    for (int y = 0; y < kHouseSide; ++y) {
        for (int x = 0; x < kHouseSide; ++x) {
            Rgb c;
            const bool rim = x == 0 || y == 0 || x == kHouseSide - 1 || y == kHouseSide - 1;
            if (rim) {
                // Lit on the south-west, in shade on the north-east.
                c = (x == 0 || y == kHouseSide - 1) ? kRim : kRimShade;
            } else if ((x - 1) % kSlabSize == kSlabSize - 1 || (y - 1) % kSlabSize == kSlabSize - 1) {
                c = kJoint;
            } else {
                // Each slab has its own tone.
                const double tone = (Noise::unit(kHouseSeed, (x - 1) / kSlabSize, (y - 1) / kSlabSize) - 0.5) * 14.0;
                c = offset(kSlab, tone);
            }
            put(img, x, y, offset(c, grain(kHouseSeed, x, y)));
        }
    }
    return img;
}

Image GroundPatches::drawCarshopGround()
{
    Image img(kCarshopSide, kCarshopSide, kWhite);
    // Rounded rectangle over 2..61 with corner radius 8; kerb two pixels wide.
    constexpr double centre = 32.0;
    constexpr double halfSide = 30.0;
    constexpr double radius = 8.0;
    for (int y = 0; y < kCarshopSide; ++y) {
        for (int x = 0; x < kCarshopSide; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            const double qx = std::abs(px - centre) - (halfSide - radius);
            const double qy = std::abs(py - centre) - (halfSide - radius);
            const double ox = std::max(qx, 0.0);
            const double oy = std::max(qy, 0.0);
            // Distance into the yard from its rim (negative outside).
            const double depth = radius - std::sqrt(ox * ox + oy * oy) - std::min(std::max(qx, qy), 0.0);
            if (depth <= 0.0)
                continue;
            Rgb c;
            if (depth < 2.0) {
                c = (px < 32.0 && py > 32.0) || depth < 1.0 ? kRim : kRimShade;
            } else if (x >= 3 && x <= 35 && y >= 6 && y <= 31) {
                c = kPad; // showroom pad under the building
            } else {
                c = kYard;
                // Parking bays along the south and east sides of the forecourt.
                const bool southBays = y >= 41 && y <= 57 && x >= 8 && x <= 56 && (x - 8) % 8 == 0;
                const bool southEnd = y == 40 && x >= 8 && x <= 56;
                const bool eastBays = x >= 44 && x <= 57 && y >= 8 && y <= 36 && (y - 8) % 7 == 0;
                if (southBays || southEnd || eastBays)
                    c = kBayLine;
            }
            put(img, x, y, offset(c, grain(kYardSeed, x, y)));
        }
    }
    return img;
}

void GroundPatches::writeAll(const std::filesystem::path& dir)
{
    savePicture(drawHouseGround(), dir, "houseground");
    savePicture(drawCarshopGround(), dir, "carshopground");
}

} // namespace vantor::assets
