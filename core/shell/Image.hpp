#pragma once
// A 24-bit RGB picture held as rows of bytes, top row first, three bytes per
// pixel in the order red, green, blue, with no padding between rows.
// Hot loops take a row with row(y) and walk it; pixel()/setPixel() are for
// single accesses. Pure white (255, 255, 255) is the see-through colour of
// tiles and masks wherever a user copies pixel by pixel.

#include "shell/PictureMemory.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantor {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

inline constexpr bool isWhite(const std::uint8_t* px) noexcept
{
    return px[0] == 255 && px[1] == 255 && px[2] == 255;
}

class Image {
public:
    // Largest side accepted anywhere (pictures read from files included).
    static constexpr int kMaxSide = 16384;

    Image() = default;
    // A width x height picture filled with `fill`; sides 0..kMaxSide, else throws VantorError.
    Image(int width, int height, Rgb fill = kBlack);
    // A width x height picture whose bytes are left undefined: only for a
    // caller that writes every pixel before anything reads one.
    static Image forOverwrite(int width, int height);

    // Makes this a width x height picture in the memory it already holds
    // (taking more only when it is too small), its bytes left undefined:
    // a buffer kept for the largest picture serves every smaller one
    // without fresh memory. Sides as for the constructor.
    void reuseForOverwrite(int width, int height);
    // The same, every pixel `fill`.
    void reuse(int width, int height, Rgb fill);
    // Keeps this picture's top-left width x height pixels, moving the rows
    // together within the same memory; the sides are at most the current ones.
    void cropTopLeft(int width, int height) noexcept;

    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    bool empty() const noexcept { return width_ == 0 || height_ == 0; }
    bool contains(int x, int y) const noexcept
    {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }

    // Single pixel read; (x, y) must be inside.
    Rgb pixel(int x, int y) const noexcept
    {
        const std::uint8_t* p = &bytes_[offset(x, y)];
        return {p[0], p[1], p[2]};
    }
    // Single pixel write; writes outside the picture are ignored.
    void setPixel(int x, int y, Rgb c) noexcept
    {
        if (!contains(x, y))
            return;
        std::uint8_t* p = &bytes_[offset(x, y)];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }

    // Direct access to one row of 3 * width() bytes; y must be inside.
    std::uint8_t* row(int y) noexcept { return &bytes_[offset(0, y)]; }
    const std::uint8_t* row(int y) const noexcept { return &bytes_[offset(0, y)]; }

    // New size keeping the top-left content; new area is filled with `fill`.
    void resize(int width, int height, Rgb fill = kBlack);
    void fill(Rgb c) noexcept;

    using Bytes = std::vector<std::uint8_t, PictureAllocator<std::uint8_t>>;
    const Bytes& bytes() const noexcept { return bytes_; }
    friend bool operator==(const Image&, const Image&) = default;

private:
    std::size_t offset(int x, int y) const noexcept
    {
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3;
    }

    int width_ = 0;
    int height_ = 0;
    Bytes bytes_;
};

} // namespace vantor
