#include "city/NoiseTexture.hpp"

#include "shell/ParallelRun.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <span>
#include <string>

namespace vantor {

// Control points of one octave: (n + 1) x (n + 1) bytes, 0 or 255,
// addressed [x][y] as the draws are made; a view into the shared buffer.
struct OctaveGrid {
    int n = 0;
    const std::uint8_t* points = nullptr;

    std::uint8_t at(int x, int y) const noexcept
    {
        return points[static_cast<std::size_t>(x) * static_cast<std::size_t>(n + 1) + static_cast<std::size_t>(y)];
    }
};

namespace {

// Levels that take part: 1..6 drawn, 7 black. Level 0 is drawn but unused.
constexpr int kFirstDrawnLevel = 1;
constexpr int kLastDrawnLevel = NoiseTexture::kLevels - 2;

// The smallest lastIndex built on more than one thread.
constexpr int kThreadedFrom = 511;

std::uint64_t levelDraws(int lastIndex, int level) noexcept
{
    const auto n = static_cast<std::uint64_t>(lastIndex >> level);
    return (n + 1) * (n + 1);
}

// Rows of rectangles narrower than this are copied as one block of this
// many bytes; the bytes past the rectangle are overwritten by the
// rectangles to its right (or land in the row's slack at the end).
constexpr std::size_t kCopyWidth = 16;

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
    const auto uw = static_cast<std::uint32_t>(w), uh = static_cast<std::uint32_t>(h);
    const std::uint32_t area = uw * uh;
    const std::size_t count = static_cast<std::size_t>(w + 1) * static_cast<std::size_t>(h + 1);
    // The four corner terms with the corner at 255, each divided on its
    // own; a pattern adds the terms of its lit corners (an unlit corner's
    // term is 0 / area = 0).
    std::array<std::vector<std::uint32_t>, 4> term;
    for (auto& t : term)
        t.resize(count);
    std::size_t index = 0;
    for (std::uint32_t dy = 0; dy <= uh; ++dy) {
        for (std::uint32_t dx = 0; dx <= uw; ++dx, ++index) {
            if (area == 0)
                continue; // a rectangle without area is all 0
            term[0][index] = 255 * (uh - dy) * (uw - dx) / area;
            term[1][index] = 255 * (uh - dy) * dx / area;
            term[2][index] = 255 * dy * (uw - dx) / area;
            term[3][index] = 255 * dy * dx / area;
        }
    }
    for (int bits = 0; bits < 16; ++bits) {
        auto& out = p.pattern[static_cast<std::size_t>(bits)];
        // Slack after the last row: narrow rows are copied kCopyWidth bytes at a time.
        out.assign(count + kCopyWidth, 0);
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t v = 0;
            for (std::size_t corner = 0; corner < 4; ++corner)
                if (bits & (1 << corner))
                    v += term[corner][i];
            out[i] = static_cast<std::uint8_t>(v);
        }
    }
    return p;
}

// One octave enlarged over the picture: the rectangle edges R(b * scale)
// along both axes, and the patterns of every rectangle size that occurs.
// Neighbouring rectangles share their edge rows and columns and give them
// the same values there (each term is c * (h - dy) / h or c * dx / w on an
// edge), so a pixel takes its value from the rectangle that starts at or
// before it, and the last rectangle also covers its far edge.
struct OctaveLayer {
    OctaveGrid grid;
    std::vector<int> edges;    // s + 1 entries: R(b * scale), b = 0..s
    std::vector<int> cellOf;   // per pixel index: the rectangle holding it
    std::vector<RectanglePatterns> patterns;

    const RectanglePatterns& patternsFor(int w, int h) const noexcept
    {
        for (const RectanglePatterns& p : patterns)
            if (p.w == w && p.h == h)
                return p;
        return patterns.front(); // every size was made in prepare()
    }
};

// The rectangles of one octave without their patterns: enough to work out
// single pixels (see pixelValue()).
OctaveLayer layerRectangles(const OctaveGrid& grid, int lastIndex)
{
    OctaveLayer layer;
    layer.grid = grid;
    const int s = grid.n;
    const float scale = static_cast<float>(static_cast<double>(lastIndex) / s);
    // Exact in double: a small integer times a 24-bit float mantissa, so
    // R(b * scale + scale) is R((b + 1) * scale) and the rectangles tile.
    layer.edges.resize(static_cast<std::size_t>(s) + 1);
    for (int b = 0; b <= s; ++b)
        layer.edges[static_cast<std::size_t>(b)] =
            static_cast<int>(std::nearbyint(static_cast<double>(b) * static_cast<double>(scale)));
    // For every size in the city's range the rectangles cover the whole side
    // (R(s * scale) >= N), which the row-by-row build relies on.
    if (layer.edges.front() != 0 || layer.edges.back() < lastIndex)
        throw VantorError("noise picture size " + std::to_string(lastIndex + 1) + " leaves pixels uncovered");
    layer.cellOf.resize(static_cast<std::size_t>(lastIndex) + 1);
    int cell = 0;
    for (int p = 0; p <= lastIndex; ++p) {
        while (cell < s - 1 && layer.edges[static_cast<std::size_t>(cell) + 1] <= p)
            ++cell;
        layer.cellOf[static_cast<std::size_t>(p)] = cell;
    }
    return layer;
}

OctaveLayer prepareLayer(const OctaveGrid& grid, int lastIndex)
{
    OctaveLayer layer = layerRectangles(grid, lastIndex);
    const int s = grid.n;
    std::vector<int> sizes;
    for (int b = 0; b < s; ++b) {
        const int w = layer.edges[static_cast<std::size_t>(b) + 1] - layer.edges[static_cast<std::size_t>(b)];
        if (std::find(sizes.begin(), sizes.end(), w) == sizes.end())
            sizes.push_back(w);
    }
    for (const int h : sizes)
        for (const int w : sizes)
            layer.patterns.push_back(makePatterns(w, h));
    return layer;
}

// One pixel of an enlarged octave, as the patterns give it: the rectangle
// holding (x, y) and the terms of its lit corners, each divided on its own.
unsigned pixelValue(const OctaveLayer& layer, int x, int y) noexcept
{
    const auto& edges = layer.edges;
    const int a = layer.cellOf[static_cast<std::size_t>(y)];
    const int b = layer.cellOf[static_cast<std::size_t>(x)];
    const int top = edges[static_cast<std::size_t>(a)];
    const int left = edges[static_cast<std::size_t>(b)];
    const auto uh = static_cast<std::uint32_t>(edges[static_cast<std::size_t>(a) + 1] - top);
    const auto uw = static_cast<std::uint32_t>(edges[static_cast<std::size_t>(b) + 1] - left);
    const std::uint32_t area = uw * uh;
    if (area == 0)
        return 0;
    const auto dy = static_cast<std::uint32_t>(y - top);
    const auto dx = static_cast<std::uint32_t>(x - left);
    std::uint32_t v = 0;
    if (layer.grid.at(b, a))
        v += 255 * (uh - dy) * (uw - dx) / area;
    if (layer.grid.at(b + 1, a))
        v += 255 * (uh - dy) * dx / area;
    if (layer.grid.at(b, a + 1))
        v += 255 * dy * (uw - dx) / area;
    if (layer.grid.at(b + 1, a + 1))
        v += 255 * dy * dx / area;
    return v & 0xFFu;
}

// Writes one row of an enlarged octave, keeping the rectangle row it last
// worked on: rows come in increasing order, so the segments of a rectangle
// row are worked out once per thread.
class LayerRows {
public:
    explicit LayerRows(const OctaveLayer& layer, int lastIndex) : layer_(layer), lastIndex_(lastIndex)
    {
        segments_.resize(static_cast<std::size_t>(layer.grid.n));
    }

    void row(int y, std::uint8_t* out)
    {
        const int a = layer_.cellOf[static_cast<std::size_t>(y)];
        if (a != cellRow_)
            enterCellRow(a);
        const auto dy = static_cast<std::size_t>(y - top_);
        // Left to right, so every byte ends with its own rectangle's value.
        for (const Segment& segment : segments_) {
            const std::uint8_t* source = segment.pattern + dy * static_cast<std::size_t>(segment.stride);
            std::uint8_t* target = out + segment.left;
            if (segment.count <= 0)
                continue; // past the picture's last column
            if (static_cast<std::size_t>(segment.count) <= kCopyWidth)
                std::memcpy(target, source, kCopyWidth);
            else
                std::memcpy(target, source, static_cast<std::size_t>(segment.count));
        }
    }

private:
    struct Segment {
        const std::uint8_t* pattern; // rows of w + 1 bytes
        int left;
        int count; // bytes of each row this rectangle writes
        int stride;
    };

    void enterCellRow(int a)
    {
        const OctaveGrid& grid = layer_.grid;
        const int s = grid.n;
        const auto& edges = layer_.edges;
        top_ = edges[static_cast<std::size_t>(a)];
        const int h = edges[static_cast<std::size_t>(a) + 1] - top_;
        for (int b = 0; b < s; ++b) {
            const int left = edges[static_cast<std::size_t>(b)];
            const int w = edges[static_cast<std::size_t>(b) + 1] - left;
            const int bits = (grid.at(b, a) ? 1 : 0) | (grid.at(b + 1, a) ? 2 : 0) | (grid.at(b, a + 1) ? 4 : 0) |
                             (grid.at(b + 1, a + 1) ? 8 : 0);
            const int count = std::min(b == s - 1 ? w + 1 : w, lastIndex_ + 1 - left);
            segments_[static_cast<std::size_t>(b)] = {
                layer_.patternsFor(w, h).pattern[static_cast<std::size_t>(bits)].data(), left, count, w + 1};
        }
        cellRow_ = a;
    }

    const OctaveLayer& layer_;
    int lastIndex_;
    int cellRow_ = -1;
    int top_ = 0;
    std::vector<Segment> segments_;
};

// out = (lw * layer + w * out) >> 8 over one row. Blocks of 16 bytes with a
// fixed count, and out and layer declared apart (__restrict), so that the
// compiler turns the block into vector operations at the default
// optimisation level; the last bytes are done one by one.
constexpr std::size_t kBlendBlock = 16;

void blendRow(std::uint8_t* __restrict out, const std::uint8_t* __restrict layer, std::size_t n, unsigned w,
              unsigned lw) noexcept
{
    std::size_t x = 0;
    for (; x + kBlendBlock <= n; x += kBlendBlock)
        for (std::size_t k = 0; k < kBlendBlock; ++k)
            out[x + k] = static_cast<std::uint8_t>((lw * layer[x + k] + w * out[x + k]) >> 8);
    for (; x < n; ++x)
        out[x] = static_cast<std::uint8_t>((lw * layer[x] + w * out[x]) >> 8);
}

// out = (w * out) >> 8 over one row (the black last level), blocked likewise.
void darkenRow(std::uint8_t* __restrict out, std::size_t n, unsigned w) noexcept
{
    std::size_t x = 0;
    for (; x + kBlendBlock <= n; x += kBlendBlock)
        for (std::size_t k = 0; k < kBlendBlock; ++k)
            out[x + k] = static_cast<std::uint8_t>((w * out[x + k]) >> 8);
    for (; x < n; ++x)
        out[x] = static_cast<std::uint8_t>((w * out[x]) >> 8);
}

} // namespace

void NoiseTexture::sample(int lastIndex, RandomSource& random, std::span<const int> columns, std::span<const int> rows,
                          std::vector<std::uint8_t>& values)
{
    std::vector<OctaveLayer> layers;
    for (const OctaveGrid& grid : drawControlPoints(lastIndex, random))
        layers.push_back(layerRectangles(grid, lastIndex));
    const unsigned weight = static_cast<unsigned>(blendWeight_);
    const unsigned layerWeight = 255u - weight;
    values.resize(columns.size() * rows.size());
    std::size_t at = 0;
    for (const int y : rows) {
        for (const int x : columns) {
            if (x < 0 || y < 0 || x > lastIndex || y > lastIndex)
                throw VantorError("noise sample " + std::to_string(x) + ", " + std::to_string(y) + " is outside the picture");
            unsigned v = 0;
            for (const OctaveLayer& layer : layers)
                v = (layerWeight * pixelValue(layer, x, y) + weight * v) >> 8;
            values[at++] = static_cast<std::uint8_t>((weight * v) >> 8);
        }
    }
}

std::uint64_t NoiseTexture::drawCount(int lastIndex) noexcept
{
    std::uint64_t draws = 0;
    for (int k = 0; k <= kLastDrawnLevel; ++k)
        draws += levelDraws(lastIndex, k);
    return draws;
}

GreyPicture NoiseTexture::build(int lastIndex, RandomSource& random)
{
    GreyPicture picture;
    build(lastIndex, random, picture);
    return picture;
}

std::vector<OctaveGrid> NoiseTexture::drawControlPoints(int lastIndex, RandomSource& random)
{
    if (lastIndex < (1 << (kLevels - 1)) || lastIndex > kMaxLastIndex)
        throw VantorError("noise picture size " + std::to_string(lastIndex + 1) + " is out of range");
    lastIndex_ = lastIndex;
    // A picture of a quarter megapixel or less takes well under a
    // millisecond: starting a thread would cost more than it saves.
    const int threads = lastIndex < kThreadedFrom ? 1 : threads_;

    // FillRandom, levels 1..6: one run of draws right after level 0's, laid
    // out in one buffer level after level ([x][y] within a level, the order
    // of the draws). Each thread draws its share from a jumped copy.
    std::array<std::size_t, kLevels> levelStart{};
    std::size_t drawn = 0;
    for (int k = kFirstDrawnLevel; k <= kLastDrawnLevel; ++k) {
        levelStart[static_cast<std::size_t>(k)] = drawn;
        drawn += static_cast<std::size_t>(levelDraws(lastIndex, k));
    }
    std::vector<std::uint8_t>& points = points_;
    points.resize(drawn); // every byte is drawn below
    const std::uint32_t firstSeed = [&] {
        RandomSource start(random.seed());
        start.skip(levelDraws(lastIndex, 0));
        return start.seed();
    }();
    runInParallel(threads, [&](int part) {
        const std::size_t from = drawn * static_cast<std::size_t>(part) / static_cast<std::size_t>(threads);
        const std::size_t to = drawn * static_cast<std::size_t>(part + 1) / static_cast<std::size_t>(threads);
        RandomSource share(firstSeed);
        share.skip(from);
        share.aboveHalfBytes(std::span(points).subspan(from, to - from));
    });
    random.skip(drawCount(lastIndex));

    std::vector<OctaveGrid> grids;
    for (int k = kFirstDrawnLevel; k <= kLastDrawnLevel; ++k) {
        const int n = lastIndex >> k;
        std::uint8_t* grid = points.data() + levelStart[static_cast<std::size_t>(k)];
        // Border points are drawn, then forced to 0.
        for (int x = 0; x <= n; ++x) {
            std::uint8_t* column = grid + static_cast<std::size_t>(x) * static_cast<std::size_t>(n + 1);
            if (x == 0 || x == n) {
                std::fill_n(column, n + 1, std::uint8_t{0});
            } else {
                column[0] = 0;
                column[n] = 0;
            }
        }
        grids.push_back(OctaveGrid{n, grid});
    }
    return grids;
}

void NoiseTexture::build(int lastIndex, RandomSource& random, GreyPicture& result)
{
    std::vector<OctaveLayer> layers;
    for (const OctaveGrid& grid : drawControlPoints(lastIndex, random))
        layers.push_back(prepareLayer(grid, lastIndex));
    const int threads = lastIndex < kThreadedFrom ? 1 : threads_;

    const auto side = static_cast<std::size_t>(lastIndex + 1);
    result.side = lastIndex + 1;
    result.values.resize(side * side); // every row is written below

    // Interpolate and blend, one row at a time: v starts at 0 (level 0 is
    // never enlarged), takes v = ((255 - W) * layer + W * v) >> 8 for levels
    // 1..6 in order, and level 7, black, leaves (W * v) >> 8.
    const unsigned weight = static_cast<unsigned>(blendWeight_);
    const unsigned layerWeight = 255u - weight;
    runInParallel(threads, [&](int part) {
        const int firstRow = static_cast<int>(side * static_cast<std::size_t>(part) / static_cast<std::size_t>(threads));
        const int endRow = static_cast<int>(side * static_cast<std::size_t>(part + 1) / static_cast<std::size_t>(threads));
        std::vector<LayerRows> rows;
        rows.reserve(layers.size());
        for (const OctaveLayer& layer : layers)
            rows.emplace_back(layer, lastIndex);
        std::vector<std::uint8_t> layerRow(side + kCopyWidth);
        // Locals, not captures: a byte store may alias anything reached
        // through a reference, which would keep the loops below scalar.
        const std::size_t n = side;
        const unsigned w = weight;
        const unsigned lw = layerWeight;
        std::uint8_t* const layerBytes = layerRow.data();
        for (int y = firstRow; y < endRow; ++y) {
            std::uint8_t* const out = result.values.data() + static_cast<std::size_t>(y) * n;
            std::fill_n(out, n, std::uint8_t{0});
            for (LayerRows& layer : rows) {
                layer.row(y, layerBytes);
                blendRow(out, layerBytes, n, w, lw);
            }
            darkenRow(out, n, w);
        }
    });
}

} // namespace vantor
