#include "assets/RoadTiles.hpp"

#include "assets/Noise.hpp"
#include "assets/Paint.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace vantor::assets {

namespace {

// The fifteen shapes the ground picture asks for.
constexpr std::array<const char*, 15> kShapes = {
    "N", "E", "S", "W", "NS", "EW", "NESW", "NE", "ES", "SW", "NW", "NES", "ESW", "NSW", "NEW",
};

// Cross-section, measured from the centre line in pixels.
constexpr double kHalfRoad = 10.0;        // asphalt half width (columns 6..25)
constexpr double kKerb = 2.0;             // kerb width outside the asphalt
constexpr double kEdgeLineFrom = -2.0;    // edge line: signed distance -2 .. -1 from the asphalt edge
constexpr double kEdgeLineTo = -1.0;
constexpr double kCentreLineHalf = 1.0;   // centre dash: columns 15 and 16
constexpr double kDashPeriod = 16.0;      // dash + gap along a straight
constexpr double kInnerKerbRadius = 4.0;  // rounding of the kerb corners at crossings
constexpr double kTurningCircle = 12.0;   // asphalt radius of a dead end's turning circle
constexpr double kCentre = 16.0;

constexpr Rgb kAsphalt{84, 84, 88};
constexpr Rgb kKerbTop{184, 181, 172};
constexpr Rgb kKerbSide{150, 147, 140};
constexpr Rgb kEdgeLine{206, 204, 194};
constexpr Rgb kCentreDash{226, 196, 84};
constexpr Rgb kZebra{214, 212, 204};
constexpr std::uint32_t kGrainSeed = 0x0a5fa17u;

struct Arm {
    char letter;
    double endX; // where the arm meets the tile edge
    double endY;
};

constexpr std::array<Arm, 4> kArms = {{
    {'N', 16.0, 0.0},
    {'E', 32.0, 16.0},
    {'S', 16.0, 32.0},
    {'W', 0.0, 16.0},
}};

double segmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax;
    const double dy = by - ay;
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    const double ex = px - (ax + t * dx);
    const double ey = py - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

// Union of two signed distances with a circular fillet of radius r.
double roundUnion(double a, double b, double r)
{
    const double ux = std::max(r - a, 0.0);
    const double uy = std::max(r - b, 0.0);
    return std::max(r, std::min(a, b)) - std::sqrt(ux * ux + uy * uy);
}

// What one pixel of a tile is, from the tile's geometry.
struct Sample {
    double edge = 1e9;      // signed distance to the asphalt edge (< 0 on asphalt)
    double centre = 1e9;    // distance to the centre line where it is marked
    double along = 0.0;     // position along the centre line, in dash periods
    bool zebra = false;     // a zebra stripe of a crossing arm
};

bool has(const std::string& letters, char c) { return letters.find(c) != std::string::npos; }

Sample sample(const std::string& letters, double px, double py)
{
    Sample s;
    const bool n = has(letters, 'N');
    const bool e = has(letters, 'E');
    const bool so = has(letters, 'S');
    const bool w = has(letters, 'W');
    const int count = int(n) + int(e) + int(so) + int(w);

    if (count == 2 && n && so) { // straight north-south
        s.edge = std::abs(px - kCentre) - kHalfRoad;
        s.centre = std::abs(px - kCentre);
        s.along = py / kDashPeriod;
        return s;
    }
    if (count == 2 && e && w) { // straight east-west
        s.edge = std::abs(py - kCentre) - kHalfRoad;
        s.centre = std::abs(py - kCentre);
        s.along = px / kDashPeriod;
        return s;
    }
    if (count == 2) { // bend: a quarter circle about the corner between the two arms
        const double cx = e ? 32.0 : 0.0;
        const double cy = n ? 0.0 : 32.0;
        const double dx = px - cx;
        const double dy = py - cy;
        const double r = std::sqrt(dx * dx + dy * dy);
        s.edge = std::abs(r - kCentre) - kHalfRoad;
        s.centre = std::abs(r - kCentre);
        // Angle from one tile edge, turned into the same dash pattern: two
        // dash periods over the quarter circle, gaps centred on the edges.
        const double angle = std::atan2(std::abs(dy), std::abs(dx)); // 0 .. pi/2
        s.along = angle / (3.14159265358979323846 / 2.0) * 2.0;
        return s;
    }

    // Dead ends and crossings: bands from the centre to each joined edge.
    double d = 1e9;
    bool first = true;
    for (const Arm& arm : kArms) {
        if (!has(letters, arm.letter))
            continue;
        const double band = segmentDistance(px, py, kCentre, kCentre, arm.endX, arm.endY) - kHalfRoad;
        d = first ? band : roundUnion(d, band, kInnerKerbRadius);
        first = false;
        // Zebra crossing across the arm, two to five pixels in from the edge.
        if (count >= 3) {
            const bool vertical = arm.letter == 'N' || arm.letter == 'S';
            const double fromEdge = vertical ? std::abs(py - arm.endY) : std::abs(px - arm.endX);
            const double across = vertical ? px : py;
            if (fromEdge > 1.0 && fromEdge < 5.0 && across > 8.0 && across < 24.0
                && (static_cast<int>(across) / 2) % 2 == 0)
                s.zebra = true;
        }
    }
    if (count == 1) {
        const double dx = px - kCentre;
        const double dy = py - kCentre;
        const double circle = std::sqrt(dx * dx + dy * dy) - kTurningCircle;
        d = roundUnion(d, circle, 3.0);
    }
    s.edge = d;
    return s;
}

} // namespace

Image RoadTiles::draw(const std::string& letters)
{
    Image tile(kTile, kTile, kWhite);
    for (int y = 0; y < kTile; ++y) {
        std::uint8_t* row = tile.row(y);
        for (int x = 0; x < kTile; ++x) {
            const Sample s = sample(letters, x + 0.5, y + 0.5);
            if (s.edge >= kKerb)
                continue; // see-through ground
            // Grain repeats every tile so it runs on across tile borders.
            const double grain = (Noise::value(kGrainSeed, x, y, 4, 8) - 0.5) * 10.0
                + (Noise::unit(kGrainSeed + 1, x, y) - 0.5) * 8.0;
            Rgb c;
            if (s.edge >= 0.0) {
                c = s.edge < 1.0 ? kKerbTop : kKerbSide;
                c = offset(c, grain * 0.4);
            } else {
                c = offset(kAsphalt, grain);
                const double phase = s.along - std::floor(s.along);
                if (s.edge >= kEdgeLineFrom && s.edge < kEdgeLineTo)
                    c = offset(kEdgeLine, grain * 0.3);
                else if (s.centre < kCentreLineHalf && phase >= 0.25 && phase < 0.75)
                    c = offset(kCentreDash, grain * 0.3);
                else if (s.zebra && s.edge < -2.0)
                    c = offset(kZebra, grain * 0.3);
            }
            row[3 * x] = c.r;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.b;
        }
    }
    return tile;
}

void RoadTiles::writeAll(const std::filesystem::path& dir)
{
    for (const char* shape : kShapes)
        savePicture(draw(shape), dir, std::string("road") + shape);
}

} // namespace vantor::assets
