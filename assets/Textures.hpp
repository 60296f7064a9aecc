#pragma once
// The two lunar ground textures, dirt1.bmp and dirt2.bmp, 1024 x 1024.
//
// Each is a height field (fractal value noise plus a scatter of craters with
// raised rims) lit by a sun in the south-west, times a grey-brown albedo with
// fine grain. Everything wraps round at 1024 pixels, so the textures tile
// without a seam. dirt1 is the lighter, greyer, finer one; dirt2 is darker,
// browner and rougher with more large craters, so the noise mixing of the
// two reads on the ground. Colours stay mid-range so a 70 % shadow still
// shows detail.

#include "shell/Image.hpp"

#include <cstdint>
#include <filesystem>

namespace vantor::assets {

class Textures {
public:
    static constexpr int kSide = 1024;

    struct Style {
        std::uint32_t seed;
        Rgb light;          // albedo of the pale patches
        Rgb dark;           // albedo of the dark patches
        double roughness;   // height amplitude of the fine relief, pixels
        double grain;       // per-pixel colour grain, +- levels
        int pits;           // number of small pits (radius 1..5 pixels)
        int craters;        // number of larger craters (radius 5..largest)
        double largest;     // largest crater radius, pixels
    };

    static Image draw(const Style& style);

    // Writes dirt1.bmp and dirt2.bmp into `dir`.
    static void writeAll(const std::filesystem::path& dir);
};

} // namespace vantor::assets
