#pragma once
// Small colour helpers shared by the picture drawers of vantor-assets.

#include "shell/BmpFile.hpp"
#include "shell/Image.hpp"

#include <algorithm>
#include <filesystem>
#include <string>

namespace vantor::assets {

// Rounds and clamps one channel into 0..`top`.
inline std::uint8_t channel(double v, double top = 255.0)
{
    return static_cast<std::uint8_t>(std::clamp(v + 0.5, 0.0, top));
}

// A colour from real channels; `top` keeps drawn pixels off pure white.
inline Rgb colour(double r, double g, double b, double top = 250.0)
{
    return {channel(r, top), channel(g, top), channel(b, top)};
}

// `c` with `d` added to every channel (and kept off pure white).
inline Rgb offset(Rgb c, double d)
{
    return colour(c.r + d, c.g + d, c.b + d);
}

// Linear mix of two colours, t in [0, 1].
inline Rgb mixed(Rgb a, Rgb b, double t)
{
    return colour(a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t);
}

// Writes `image` as <dir>/<name>.bmp.
inline void savePicture(const Image& image, const std::filesystem::path& dir, const std::string& name)
{
    BmpFile::write(image, dir / (name + ".bmp"));
}

} // namespace vantor::assets
