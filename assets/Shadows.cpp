#include "assets/Shadows.hpp"

#include "assets/Paint.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace vantor::assets {

namespace {

constexpr Rgb kShadow{64, 64, 64};

// One solid, in pixels relative to the cell's top-left corner (x East,
// y South, z up). Footprint corners are inclusive.
struct Solid {
    enum Kind { Box, Cylinder, Dome, GableX, GableY, BarrelX, RampX, SlabX };
    Kind kind;
    int x0, y0, x1, y1; // footprint (for Cylinder and Dome: centre x0, y0 and radius x1)
    double low;         // Box, Gable, Barrel: eave height; Ramp: height at x0; Slab: underside
    double high;        // Box, Cylinder, Dome: height; Gable/Barrel: ridge; Ramp: height at x1; Slab: top
};

// A structure's mask: the solids and where the ground stamps the picture.
struct Mask {
    const char* name;
    int originX; // stamping offset from the cell's top-left corner
    int originY;
    std::vector<Solid> solids;
};

// The heights (bottom, top) a solid occupies over pixel (x, y); top < 0 when
// the pixel is outside its footprint.
std::pair<double, double> span(const Solid& s, int x, int y)
{
    const double px = x + 0.5;
    const double py = y + 0.5;
    switch (s.kind) {
    case Solid::Cylinder:
    case Solid::Dome: {
        const double dx = px - (s.x0 + 0.5);
        const double dy = py - (s.y0 + 0.5);
        const double r2 = dx * dx + dy * dy;
        const double r = s.x1;
        if (r2 > r * r)
            return {0.0, -1.0};
        if (s.kind == Solid::Cylinder)
            return {0.0, s.high};
        return {0.0, s.high * std::sqrt(1.0 - r2 / (r * r))};
    }
    default:
        break;
    }
    if (x < s.x0 || x > s.x1 || y < s.y0 || y > s.y1)
        return {0.0, -1.0};
    const double fx = (px - s.x0) / (s.x1 + 1 - s.x0); // 0 .. 1 across the footprint
    const double fy = (py - s.y0) / (s.y1 + 1 - s.y0);
    switch (s.kind) {
    case Solid::Box:
        return {0.0, s.high};
    case Solid::GableX: // ridge runs West-East
        return {0.0, s.low + (s.high - s.low) * (1.0 - std::abs(2.0 * fy - 1.0))};
    case Solid::GableY: // ridge runs North-South
        return {0.0, s.low + (s.high - s.low) * (1.0 - std::abs(2.0 * fx - 1.0))};
    case Solid::BarrelX: {
        const double t = 2.0 * fy - 1.0;
        return {0.0, s.low + (s.high - s.low) * std::sqrt(std::max(0.0, 1.0 - t * t))};
    }
    case Solid::RampX:
        return {0.0, s.low + (s.high - s.low) * fx};
    case Solid::SlabX:
        return {s.low, s.high};
    default:
        return {0.0, -1.0};
    }
}

// Shadow pixels of a set of solids, relative to the cell: each footprint
// pixel throws a diagonal run from its lowest to its highest point.
std::vector<std::pair<int, int>> castShadow(const std::vector<Solid>& solids)
{
    std::vector<std::pair<int, int>> pixels;
    for (const Solid& s : solids) {
        int x0 = s.x0, y0 = s.y0, x1 = s.x1, y1 = s.y1;
        if (s.kind == Solid::Cylinder || s.kind == Solid::Dome) {
            x0 = s.x0 - s.x1;
            x1 = s.x0 + s.x1;
            y0 = s.y0 - s.x1;
            y1 = s.y0 + s.x1;
        }
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const auto [bottom, top] = span(s, x, y);
                if (top < 0.0)
                    continue;
                for (int t = static_cast<int>(bottom); t <= static_cast<int>(top); ++t)
                    pixels.emplace_back(x + t, y - t);
            }
        }
    }
    std::sort(pixels.begin(), pixels.end());
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    return pixels;
}

// The picture of a mask: just big enough to hold the shadow east and south
// of the stamping offset. A shadow reaching west or north of the offset
// would be cut off, so it is refused.
Image render(const Mask& mask)
{
    const auto pixels = castShadow(mask.solids);
    int right = mask.originX;
    int bottom = mask.originY;
    for (const auto& [x, y] : pixels) {
        if (x < mask.originX || y < mask.originY)
            throw VantorError(std::string("shadow of ") + mask.name + " reaches beyond its stamping offset");
        right = std::max(right, x);
        bottom = std::max(bottom, y);
    }
    Image img(right - mask.originX + 1, bottom - mask.originY + 1, kWhite);
    for (const auto& [x, y] : pixels)
        img.setPixel(x - mask.originX, y - mask.originY, kShadow);
    return img;
}

using S = Solid;

// Highway ramp. The deck stands 29 pixels high over the middle of the
// highway row; the West ramp (its cell the North-East corner of its 2 x 2
// block, the highway row the block's southern row) climbs from 15 pixels
// west of its cell to full height 20 pixels into it, where the deck's own
// shadow takes over.
constexpr double kDeckHeight = 29.0;
const std::vector<Solid> kWestRamp = {
    {S::RampX, -15, 38, 19, 57, 0.0, kDeckHeight},
    {S::SlabX, 20, 38, 31, 57, kDeckHeight, kDeckHeight},
};
constexpr int kStairsX = -15; // stamping offset of the West ramp
constexpr int kStairsY = -16;

// The West ramp's shadow without the ground under the ramp itself, which
// the ramp covers. Leaving that band out matters for the East ramp: there
// the picture is stamped turned round, and the band would turn into a dark
// strip standing off the ramp in the row to its north.
Image renderStairs()
{
    const auto pixels = castShadow(kWestRamp);
    std::vector<std::pair<int, int>> kept;
    int width = 1;
    int height = 1;
    for (const auto& [x, y] : pixels) {
        bool underRamp = false;
        for (const Solid& s : kWestRamp)
            underRamp = underRamp || (x >= s.x0 && x <= s.x1 && y >= s.y0 && y <= s.y1);
        if (underRamp)
            continue;
        if (x < kStairsX || y < kStairsY)
            throw VantorError("shadow of the West ramp reaches beyond its stamping offset");
        kept.emplace_back(x, y);
        width = std::max(width, x - kStairsX + 1);
        height = std::max(height, y - kStairsY + 1);
    }
    // Keep the picture's foot on the ramp's last row, so the turned stamp at
    // the East ramp lands where the unturned one does at the West ramp.
    height = std::max(height, kWestRamp.front().y1 - kStairsY + 1);
    Image img(width, height, kWhite);
    for (const auto& [x, y] : kept)
        img.setPixel(x - kStairsX, y - kStairsY, kShadow);
    return img;
}

// House of the second kind: a dome with an entrance tunnel on its front.
std::vector<Solid> domeHouse(char front)
{
    std::vector<Solid> solids = {{S::Dome, 15, 17, 11, 0, 0.0, 11.0}};
    switch (front) {
    case 'N': solids.push_back({S::BarrelX, 12, 4, 18, 9, 2.0, 5.0}); break;
    case 'W': solids.push_back({S::BarrelX, 2, 14, 7, 20, 2.0, 5.0}); break;
    case 'S': solids.push_back({S::BarrelX, 12, 25, 18, 30, 2.0, 5.0}); break;
    default: solids.push_back({S::BarrelX, 23, 14, 29, 20, 2.0, 5.0}); break;
    }
    return solids;
}

std::vector<Mask> masks()
{
    return {
        {"pillarshadow", 15, -47, {{S::Box, 15, 13, 18, 18, 0.0, kDeckHeight}}},
        // Gatehouse: a low block with a tower on each corner.
        {"gateshadow", 0, -20,
         {{S::Box, 4, 4, 27, 27, 0.0, 12.0},
          {S::Box, 4, 4, 9, 9, 0.0, 20.0},
          {S::Box, 22, 4, 27, 9, 0.0, 20.0},
          {S::Box, 4, 22, 9, 27, 0.0, 20.0},
          {S::Box, 22, 22, 27, 27, 0.0, 20.0}}},
        {"wallNSshadow", 15, -11, {{S::Box, 15, 0, 17, 31, 0.0, 11.0}}},
        {"wallEWshadow", 0, -8, {{S::Box, 0, 14, 31, 16, 0.0, 11.0}}},
        // Gabled house.
        {"house1shadow", 2, -3, {{S::GableX, 2, 6, 25, 28, 7.0, 12.0}}},
        // Downtown: a stepped tower with a mast, twin towers, a wide low block.
        {"city1shadow", 2, -30,
         {{S::Box, 2, 4, 27, 29, 0.0, 16.0},
          {S::Box, 6, 8, 23, 25, 0.0, 26.0},
          {S::Box, 10, 12, 19, 21, 0.0, 33.0},
          {S::Box, 14, 16, 15, 17, 0.0, 46.0}}},
        {"city2shadow", 2, -27,
         {{S::Box, 2, 4, 29, 29, 0.0, 8.0},
          {S::Box, 4, 9, 14, 28, 0.0, 30.0},
          {S::Box, 17, 4, 28, 15, 0.0, 31.0}}},
        {"city3shadow", 2, -12,
         {{S::Box, 2, 2, 29, 29, 0.0, 9.0},
          {S::Box, 8, 2, 20, 12, 0.0, 14.0}}},
        // Spaceport: a rocket and its gantry on the North-West pad, domes on
        // the North-East and South-West pads, fuel tanks on the South-East.
        {"spaceportshadow", -33, -51,
         {{S::Cylinder, -16, -16, 4, 0, 0.0, 31.0},
          {S::Box, -9, -24, -7, -8, 0.0, 26.0},
          {S::Dome, 48, -16, 11, 0, 0.0, 11.0},
          {S::Dome, -16, 48, 11, 0, 0.0, 11.0},
          {S::Cylinder, 43, 43, 5, 0, 0.0, 14.0},
          {S::Cylinder, 53, 53, 5, 0, 0.0, 14.0}}},
        {"house2Nshadow", 1, -4, domeHouse('E')},
        {"house2Eshadow", 0, -5, domeHouse('S')},
        {"house2Sshadow", 2, -1, domeHouse('W')},
        {"house2Wshadow", 2, -1, domeHouse('N')},
        // Factory hall with a chimney, its long side along the street front.
        {"industrial1Nshadow", 0, -8,
         {{S::GableY, 2, 4, 21, 29, 8.0, 12.0}, {S::Cylinder, 25, 12, 2, 0, 0.0, 18.0}}},
        {"industrial1Eshadow", 7, -11,
         {{S::GableX, 7, 8, 29, 27, 9.0, 14.0}, {S::Cylinder, 26, 11, 2, 0, 0.0, 20.0}}},
        {"industrial1Sshadow", 7, -11,
         {{S::GableY, 10, 6, 29, 28, 9.0, 14.0}, {S::Cylinder, 10, 10, 2, 0, 0.0, 19.0}}},
        {"industrial1Wshadow", 0, -8,
         {{S::GableX, 0, 10, 27, 27, 8.0, 12.0}, {S::Cylinder, 5, 12, 2, 0, 0.0, 18.0}}},
        // Tank farm: two tanks in a North-South or a West-East line.
        {"industrial2Nshadow", 18, -2,
         {{S::Cylinder, 24, 14, 5, 0, 0.0, 10.0}, {S::Cylinder, 24, 25, 5, 0, 0.0, 10.0}}},
        {"industrial2Eshadow", 10, 4,
         {{S::Cylinder, 16, 21, 5, 0, 0.0, 10.0}, {S::Cylinder, 27, 21, 5, 0, 0.0, 10.0}}},
        // Processing hall with a conveyor tower.
        {"industrial3shadow", 7, -10,
         {{S::Box, 7, 6, 28, 27, 0.0, 12.0}, {S::Box, 20, 6, 25, 10, 0.0, 16.0}}},
        // Garage: a flat-roofed shed on the plot a house would take.
        {"garageshadow", 2, -3, {{S::Box, 2, 6, 27, 28, 0.0, 9.0}}},
        // Terminal hangar: a barrel roof with a control cabin.
        {"hangarshadow", 0, -10,
         {{S::BarrelX, 1, 4, 30, 29, 4.0, 17.0}, {S::Box, 24, 2, 29, 7, 0.0, 12.0}}},
        // Car shop: a showroom with a sign mast.
        {"carshopshadow", -20, -31,
         {{S::Box, -12, -8, 17, 13, 0.0, 16.0}, {S::Box, 12, -10, 15, -7, 0.0, 21.0}}},
    };
}

} // namespace

void Shadows::writeAll(const std::filesystem::path& dir)
{
    savePicture(renderStairs(), dir, "stairsshadow");
    for (const Mask& mask : masks())
        savePicture(render(mask), dir, mask.name);
}

} // namespace vantor::assets
