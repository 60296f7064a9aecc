#pragma once
// Darkens the ground picture under shadows. Each pixel is darkened at most
// once, however many shadows cover it: the shade mask remembers it. A
// darkened byte c becomes Trunc(0.7 * c) in 32-bit floats, which is
// (7 * c) div 10 for every byte value. The outermost pixel rows and columns
// are never darkened.

#include "city/CityGrid.hpp"
#include "shell/Image.hpp"

#include <array>
#include <cstdint>

namespace vantor {

class ShadowPainter {
public:
    ShadowPainter(Image& ground, ShadeMask& mask, float shadeFactor);

    void shadePixel(int x, int y) noexcept;
    // Every non-white pixel of `shadow` darkens the ground at (x0 + px, y0 + py).
    void stamp(const Image& shadow, int x0, int y0) noexcept;
    // The same with the shadow turned by 180 degrees.
    void stampTurned(const Image& shadow, int x0, int y0) noexcept;
    // The stroke a lamp in the cell at pixel (x, y) casts towards the north-east.
    void lampStroke(int x, int y) noexcept;
    // A filled block x1..x2, y1..y2 (inclusive), for the highway deck.
    void shadeBlock(int x1, int y1, int x2, int y2) noexcept;

private:
    Image& ground_;
    ShadeMask& mask_;
    int side_;
    std::array<std::uint8_t, 256> darker_{};
};

} // namespace vantor
