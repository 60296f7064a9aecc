#include "assets/PlanIcons.hpp"

#include "assets/Paint.hpp"
#include "shell/VantorError.hpp"

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace vantor::assets {

namespace {

// Plan colours: the plan's own silver background and road grey.
constexpr Rgb kSilver{192, 192, 192};
constexpr Rgb kRoadGrey{150, 150, 150};

struct PaletteEntry {
    char key;
    Rgb colour;
};

constexpr std::array<PaletteEntry, 16> kPalette = {{
    {'.', kSilver},
    {'g', kRoadGrey},
    {'#', {36, 36, 44}},     // outline
    {'b', {74, 92, 132}},    // hangar hall
    {'Y', {246, 204, 40}},   // hangar door, lit windows
    {'r', {168, 64, 44}},    // house roof
    {'w', {232, 216, 172}},  // house wall
    {'c', {86, 118, 168}},   // downtown glass
    {'k', {178, 136, 58}},   // industrial hall
    {'s', {226, 226, 226}},  // smoke
    {'m', {96, 96, 108}},    // concrete pier
    {'d', {112, 112, 116}},  // stair tread shadow
    {'G', {250, 206, 48}},   // landmark star
    {'R', {176, 32, 24}},    // landmark outline
    {'o', {120, 136, 176}},  // moon base dome
    {'l', {250, 236, 120}},  // moon base light
}};

// Icon drawings, one string per pixel row, keys from kPalette.
constexpr std::array<const char*, 10> kHangarNorth = {
    "..........",
    ".##YYYY##.",
    ".#bYYYYb#.",
    ".#bbbbbb#.",
    ".#bbbbbb#.",
    ".#b#bb#b#.",
    ".#bbbbbb#.",
    ".#bbbbbb#.",
    ".########.",
    "..........",
};
constexpr std::array<const char*, 10> kHouse = {
    "..........",
    "....##....",
    "...#rr#...",
    "..#rrrr#..",
    ".#rrrrrr#.",
    ".########.",
    "..#wwww#..",
    "..#w##w#..",
    "..#w##w#..",
    "..######..",
};
constexpr std::array<const char*, 10> kCity = {
    "....###...",
    "....#Y#...",
    ".####c####",
    ".#Yc#Y#cY#",
    ".#cc#c#cc#",
    ".#cY#Y#Yc#",
    ".#cc#c#cc#",
    ".#Yc#Y#cY#",
    ".#########",
    "..........",
};
constexpr std::array<const char*, 10> kIndustrial = {
    "..ss......",
    "...s......",
    ".##.......",
    ".#k#......",
    ".#k#######",
    ".#kkkkkkk#",
    ".#kYkYkYk#",
    ".#kkkkkkk#",
    ".#kk##kkk#",
    ".#########",
};
constexpr std::array<const char*, 10> kPillar = {
    "...####...",
    "...#mm#...",
    "...#mm#...",
    "...#mm#...",
    "...#mm#...",
    "...#mm#...",
    "...#mm#...",
    "...#mm#...",
    "...#mm#...",
    "...####...",
};
// Stairs climbing East onto the deck (rows 2..7 like the deck).
constexpr std::array<const char*, 10> kStairsLeft = {
    "....................",
    "....................",
    "...#################",
    "...#gdgdgdgdgdgdgggg",
    "...#gdgdgdgdgdgdgggg",
    "...#gdgdgdgdgdgdgggg",
    "...#gdgdgdgdgdgdgggg",
    "...#################",
    "....................",
    "....................",
};
constexpr std::array<const char*, 6> kMoonBase = {
    ".####.",
    "#oooo#",
    "#ollo#",
    "#ollo#",
    "#oooo#",
    ".####.",
};

Rgb lookup(char key)
{
    for (const PaletteEntry& e : kPalette)
        if (e.key == key)
            return e.colour;
    throw VantorError(std::string("unknown icon colour key '") + key + "'");
}

template <std::size_t Rows>
Image fromArt(const std::array<const char*, Rows>& art)
{
    const int width = static_cast<int>(std::string(art[0]).size());
    Image img(width, static_cast<int>(Rows), kSilver);
    for (std::size_t y = 0; y < Rows; ++y) {
        const std::string row = art[y];
        if (static_cast<int>(row.size()) != width)
            throw VantorError("icon rows differ in length");
        for (int x = 0; x < width; ++x)
            img.setPixel(x, static_cast<int>(y), lookup(row[x]));
    }
    return img;
}

// The picture turned a quarter turn anticlockwise (North becomes West).
Image turnedLeft(const Image& src)
{
    Image out(src.height(), src.width());
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            out.setPixel(y, src.width() - 1 - x, src.pixel(x, y));
    return out;
}

Image mirrored(const Image& src)
{
    Image out(src.width(), src.height());
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            out.setPixel(src.width() - 1 - x, y, src.pixel(x, y));
    return out;
}

// A five-pointed star, gold with a dark red rim, drawn from its outline.
Image landmarkStar()
{
    constexpr double cx = 5.0;
    constexpr double cy = 5.3;
    constexpr double outer = 5.2;
    constexpr double inner = 2.1;
    constexpr double pi = 3.14159265358979323846;
    std::array<double, 20> poly{};
    for (int k = 0; k < 10; ++k) {
        const double a = -pi / 2.0 + k * pi / 5.0;
        const double r = (k % 2 == 0) ? outer : inner;
        poly[2 * k] = cx + r * std::cos(a);
        poly[2 * k + 1] = cy + r * std::sin(a);
    }
    auto inside = [&](double px, double py) {
        bool in = false;
        for (int i = 0, j = 9; i < 10; j = i++) {
            const double xi = poly[2 * i], yi = poly[2 * i + 1];
            const double xj = poly[2 * j], yj = poly[2 * j + 1];
            if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
                in = !in;
        }
        return in;
    };
    Image img(10, 10, kSilver);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            if (!inside(x + 0.5, y + 0.5))
                continue;
            const bool rim = !inside(x - 0.5, y + 0.5) || !inside(x + 1.5, y + 0.5)
                || !inside(x + 0.5, y - 0.5) || !inside(x + 0.5, y + 1.5);
            img.setPixel(x, y, lookup(rim ? 'R' : 'G'));
        }
    }
    return img;
}

} // namespace

void PlanIcons::writeAll(const std::filesystem::path& dir)
{
    const Image north = fromArt(kHangarNorth);
    const Image west = turnedLeft(north);
    const Image south = turnedLeft(west);
    const Image east = turnedLeft(south);
    savePicture(north, dir, "hangarN");
    savePicture(west, dir, "hangarW");
    savePicture(south, dir, "hangarS");
    savePicture(east, dir, "hangarE");
    savePicture(fromArt(kHouse), dir, "house");
    savePicture(fromArt(kCity), dir, "city");
    savePicture(fromArt(kIndustrial), dir, "industrial");
    savePicture(landmarkStar(), dir, "landmark");
    const Image stairsLeft = fromArt(kStairsLeft);
    savePicture(stairsLeft, dir, "stairsL");
    savePicture(mirrored(stairsLeft), dir, "stairsR");
    savePicture(fromArt(kPillar), dir, "pillar");
    savePicture(fromArt(kMoonBase), dir, "moonBase");
}

} // namespace vantor::assets
