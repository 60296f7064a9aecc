#pragma once
// Deterministic noise for the drawn data pictures: an integer hash and
// tileable value noise built on it. No library random source is used, so the
// pictures come out byte-identical on every run and machine.

#include <cstdint>

namespace vantor::assets {

class Noise {
public:
    // A well-mixed 32-bit hash of up to three integers and a seed.
    static std::uint32_t hash(std::uint32_t seed, std::int32_t x, std::int32_t y = 0, std::int32_t z = 0);

    // The hash as a real number in [0, 1).
    static double unit(std::uint32_t seed, std::int32_t x, std::int32_t y = 0, std::int32_t z = 0);

    // Smooth value noise in [0, 1) at (x, y), with lattice cells of `cell`
    // pixels, repeating every `period` lattice cells in both directions
    // (period >= 1), so a picture of cell * period pixels tiles seamlessly.
    static double value(std::uint32_t seed, double x, double y, int cell, int period);

    // Sum of `octaves` value-noise layers, each with half the cell size and
    // `gain` times the weight of the one before, scaled back into [0, 1).
    // Tiles over cell * period pixels as long as the cell stays >= 1.
    static double fractal(std::uint32_t seed, double x, double y, int cell, int period, int octaves, double gain);
};

} // namespace vantor::assets
