#pragma once
// Value noise for the height picture and the dirt mask.
//
// BuildNoise(N) makes an (N + 1) x (N + 1) grey picture from seven octave
// grids of random black-or-white control points. Octave k has (N >> k) + 1
// points a side; every point takes one real draw (255 when above 0.5, else
// 0; border points are forced to 0 after their draw), levels 0..6 in order,
// x outer and y inner. Level 7 stays 0 and level 0 is drawn but never used.
// Each octave k = 1..7 is enlarged bilinearly over rectangles whose edges are
// R(b * scale), scale = N / (N >> k) as a 32-bit float, R rounding half to
// even; the four corner terms are each divided by the rectangle's area with
// truncation. The layers blend as v = (127 * layer + 128 * v) >> 8 for
// k = 1..7, so every border pixel is 0 and no pixel exceeds 124.
//
// Example: N = 255 draws 256^2 + 128^2 + ... + 4^2 = 87376 numbers.
//
// How it is computed (same bytes as the steps above): level 0's draws are
// stepped over (RandomSource::skip), levels 1..6 are drawn in batches, and
// the picture is built row by row, each row blending the six enlarged
// octave rows at once; with more than one thread the draws and the rows are
// split into runs that start from a jumped copy of the random source.

#include "city/RandomSource.hpp"
#include "shell/PictureMemory.hpp"

#include <cstdint>
#include <span>
#include <vector>

namespace vantor {

// A square grey picture, one byte a pixel, row-major (index y * side + x).
struct GreyPicture {
    int side = 0;
    std::vector<std::uint8_t, PictureAllocator<std::uint8_t>> values;

    std::uint8_t at(int x, int y) const noexcept
    {
        return values[static_cast<std::size_t>(y) * static_cast<std::size_t>(side) + static_cast<std::size_t>(x)];
    }
};

struct OctaveGrid; // the control points of one octave

class NoiseTexture {
public:
    static constexpr int kLevels = 8;
    static constexpr int kMaxLastIndex = 1023;

    // The last pixel index of the latest picture; 255 until a larger one is built.
    int lastIndex() const noexcept { return lastIndex_; }
    // Weight of the octaves blended so far; fixed at 128.
    int blendWeight() const noexcept { return blendWeight_; }

    // Builds the picture for lastIndex 128..1023 (the city uses 255, 511,
    // 1023) and leaves `random` stepped by drawCount(lastIndex).
    GreyPicture build(int lastIndex, RandomSource& random);
    // The same into `picture`, in the memory it already holds when that is
    // large enough. The control points' memory is kept for the next build.
    void build(int lastIndex, RandomSource& random, GreyPicture& picture);

    // The values build(lastIndex) gives at the pixels (columns[i], rows[j]),
    // row by row (values[j * columns.size() + i]), each worked out on its
    // own: a few thousand samples of a large picture cost a small part of
    // building it. The same draws as build(); samples must lie inside.
    void sample(int lastIndex, RandomSource& random, std::span<const int> columns, std::span<const int> rows,
                std::vector<std::uint8_t>& values);

    // The number of draws build(lastIndex) makes.
    static std::uint64_t drawCount(int lastIndex) noexcept;

    // Threads one build may use, 1 (the default) or more; the picture is the
    // same for every count.
    void setThreadCount(int threads) noexcept { threads_ = threads < 1 ? 1 : threads; }
    int threadCount() const noexcept { return threads_; }

private:
    // Draws the control points of levels 1..6 into points_ (borders forced
    // to 0) and steps `random` past every draw of the picture.
    std::vector<OctaveGrid> drawControlPoints(int lastIndex, RandomSource& random);

    int lastIndex_ = 255;
    int blendWeight_ = 128;
    int threads_ = 1;
    std::vector<std::uint8_t> points_; // control points of levels 1..6, reused
};

} // namespace vantor
