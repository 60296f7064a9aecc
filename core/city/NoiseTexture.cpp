#include "city/NoiseTexture.hpp"

#include "shell/VantorError.hpp"

#include <array>
#include <cmath>
#include <string>
#include <utility>

namespace vantor {

namespace {

// Control points of one octave: (n + 1) x (n + 1) bytes, 0 or 255,
// addressed [x][y] as the draws are made.
struct OctaveGrid {
    int n = 0;
    std::vector<std::uint8_t> points;

    std::uint8_t at(int x, int y) const noexcept
    {
        return points[static_cast<std::size_t>(x) * static_cast<std::size_t>(n + 1) + static_cast<std::size_t>(y)];
    }
};

OctaveGrid fillRandom(int n, RandomSource& random)
{
    OctaveGrid grid;
    grid.n = n;
    grid.points.resize(static_cast<std::size_t>(n + 1) * static_cast<std::size_t>(n + 1));
    std::size_t index = 0;
    for (int x = 0; x <= n; ++x) {
        for (int y = 0; y <= n; ++y) {
            const double r = random.real();
            const bool border = x == 0 || x == n || y == 0 || y == n;
            grid.points[index++] = (r > 0.5 && !border) ? 255 : 0;
        }
    }
    return grid;
}

// Bilinear values of one rectangle of w x h steps for each of the sixteen
// corner patterns (bit 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right
// set = 255), rows dy = 0..h of w + 1 bytes. The corners are only ever 0 or
// 255, so a rectangle of the picture is a copy of one pattern.
struct RectanglePatterns {
    int w = 0;
    int h = 0;
    std::array<std::vector<std::uint8_t>, 16> pattern;
};

RectanglePatterns makePatterns(int w, int h)
{
    RectanglePatterns p;
    p.w = w;
    p.h = h;
    const auto area = static_cast<std::uint32_t>(w * h);
    for (int bits = 0; bits < 16; ++bits) {
        const std::uint32_t c00 = (bits & 1) ? 255 : 0;
        const std::uint32_t c10 = (bits & 2) ? 255 : 0;
        const std::uint32_t c01 = (bits & 4) ? 255 : 0;
        const std::uint32_t c11 = (bits & 8) ? 255 : 0;
        auto& out = p.pattern[static_cast<std::size_t>(bits)];
        out.resize(static_cast<std::size_t>(w + 1) * static_cast<std::size_t>(h + 1));
        std::size_t index = 0;
        for (int dy = 0; dy <= h; ++dy) {
            for (int dx = 0; dx <= w; ++dx) {
                const auto uw = static_cast<std::uint32_t>(w), uh = static_cast<std::uint32_t>(h);
                const auto udx = static_cast<std::uint32_t>(dx), udy = static_cast<std::uint32_t>(dy);
                std::uint32_t v = 0;
                if (area != 0)
                    v = c00 * (uh - udy) * (uw - udx) / area + c10 * (uh - udy) * udx / area +
                        c01 * udy * (uw - udx) / area + c11 * udy * udx / area;
                out[index++] = static_cast<std::uint8_t>(v);
            }
        }
    }
    return p;
}

// Enlarges octave `grid` bilinearly and blends it into `picture` (row-major,
// side N + 1): v = ((255 - weight) * layer + weight * v) >> 8.
// Neighbouring rectangles share their edge rows and columns and give them
// the same values there (each term is c * (h - dy) / h or c * dx / w on an
// edge), so every rectangle writes its edges only towards the picture's
// far sides and each pixel is blended exactly once.
void interpolateAndBlend(const OctaveGrid& grid, int lastIndex, unsigned weight, std::vector<std::uint8_t>& picture)
{
    const int s = grid.n;
    const float scale = static_cast<float>(static_cast<double>(lastIndex) / s);
    // Exact in double: a small integer times a 24-bit float mantissa.
    std::vector<int> edges(static_cast<std::size_t>(s) + 1);
    for (int cell = 0; cell < s; ++cell)
        edges[static_cast<std::size_t>(cell)] = static_cast<int>(std::nearbyint(static_cast<double>(cell) * static_cast<double>(scale)));
    std::vector<int> edgesAfter(static_cast<std::size_t>(s));
    for (int cell = 0; cell < s; ++cell)
        edgesAfter[static_cast<std::size_t>(cell)] =
            static_cast<int>(std::nearbyint(static_cast<double>(cell) * static_cast<double>(scale) + static_cast<double>(scale)));

    // Rectangles come in at most a few sizes (the edges round up or down).
    std::vector<RectanglePatterns> patterns;
    const auto patternsFor = [&patterns](int w, int h) -> const RectanglePatterns& {
        for (const RectanglePatterns& p : patterns)
            if (p.w == w && p.h == h)
                return p;
        patterns.push_back(makePatterns(w, h));
        return patterns.back();
    };

    const auto side = static_cast<std::size_t>(lastIndex + 1);
    const unsigned layerWeight = 255u - weight;
    struct Segment {
        const std::uint8_t* pattern; // rows of w + 1 bytes
        int left;
        int count; // bytes of each row this rectangle writes
        int stride;
    };
    std::vector<Segment> segments(static_cast<std::size_t>(s));
    std::vector<std::uint8_t> layerRow(side);
    for (int a = 0; a < s; ++a) {
        const int top = edges[static_cast<std::size_t>(a)];
        const int h = edgesAfter[static_cast<std::size_t>(a)] - top;
        for (int b = 0; b < s; ++b) {
            const int left = edges[static_cast<std::size_t>(b)];
            const int w = edgesAfter[static_cast<std::size_t>(b)] - left;
            const int bits = (grid.at(b, a) ? 1 : 0) | (grid.at(b + 1, a) ? 2 : 0) | (grid.at(b, a + 1) ? 4 : 0) |
                             (grid.at(b + 1, a + 1) ? 8 : 0);
            const int count = std::min(b == s - 1 ? w + 1 : w, lastIndex + 1 - left);
            segments[static_cast<std::size_t>(b)] = {patternsFor(w, h).pattern[static_cast<std::size_t>(bits)].data(), left, count, w + 1};
        }
        const int lastRow = a == s - 1 ? h : h - 1;
        for (int dy = 0; dy <= lastRow && top + dy <= lastIndex; ++dy) {
            for (const Segment& segment : segments) {
                const std::uint8_t* source = segment.pattern + static_cast<std::size_t>(dy) * static_cast<std::size_t>(segment.stride);
                std::uint8_t* target = &layerRow[static_cast<std::size_t>(segment.left)];
                for (int dx = 0; dx < segment.count; ++dx)
                    target[dx] = source[dx];
            }
            std::uint8_t* out = &picture[static_cast<std::size_t>(top + dy) * side];
            for (std::size_t x = 0; x < side; ++x)
                out[x] = static_cast<std::uint8_t>((layerWeight * layerRow[x] + weight * out[x]) >> 8);
        }
    }
}

} // namespace

GreyPicture NoiseTexture::build(int lastIndex, RandomSource& random)
{
    if (lastIndex < (1 << (kLevels - 1)) || lastIndex > kMaxLastIndex)
        throw VantorError("noise picture size " + std::to_string(lastIndex + 1) + " is out of range");
    lastIndex_ = lastIndex;

    // Levels 0..6 draw their control points in order; level 7 stays black.
    std::array<OctaveGrid, kLevels> grids;
    for (int k = 0; k < kLevels - 1; ++k)
        grids[static_cast<std::size_t>(k)] = fillRandom(lastIndex >> k, random);
    grids[kLevels - 1].n = lastIndex >> (kLevels - 1);
    grids[kLevels - 1].points.assign(static_cast<std::size_t>(grids[kLevels - 1].n + 1) * static_cast<std::size_t>(grids[kLevels - 1].n + 1), 0);

    const auto side = static_cast<std::size_t>(lastIndex + 1);
    GreyPicture result;
    result.side = lastIndex + 1;
    result.values.assign(side * side, 0); // level 0 is never enlarged: the blend starts at 0

    // Layers blend one after the other in k order, which gives the same value
    // per pixel as blending all seven at once. Level 7 is black: it only
    // weighs the sum down.
    const unsigned weight = static_cast<unsigned>(blendWeight_);
    for (int k = 1; k < kLevels - 1; ++k)
        interpolateAndBlend(grids[static_cast<std::size_t>(k)], lastIndex, weight, result.values);
    for (std::uint8_t& v : result.values)
        v = static_cast<std::uint8_t>((weight * v) >> 8);
    return result;
}

} // namespace vantor
