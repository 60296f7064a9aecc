#include "shell/Image.hpp"

#include "shell/VantorError.hpp"

#include <algorithm>
#include <cstring>
#include <string>

namespace vantor {

namespace {

void checkSides(int width, int height)
{
    if (width < 0 || height < 0 || width > Image::kMaxSide || height > Image::kMaxSide)
        throw VantorError("picture size " + std::to_string(width) + " x " + std::to_string(height) +
                          " is out of range (0.." + std::to_string(Image::kMaxSide) + ")");
}

} // namespace

Image::Image(int width, int height, Rgb fill)
{
    checkSides(width, height);
    width_ = width;
    height_ = height;
    bytes_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    this->fill(fill);
}

Image Image::forOverwrite(int width, int height)
{
    checkSides(width, height);
    Image image;
    image.width_ = width;
    image.height_ = height;
    image.bytes_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    return image;
}

void Image::reuseForOverwrite(int width, int height)
{
    checkSides(width, height);
    width_ = width;
    height_ = height;
    bytes_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
}

void Image::reuse(int width, int height, Rgb fill)
{
    reuseForOverwrite(width, height);
    this->fill(fill);
}

void Image::cropTopLeft(int width, int height) noexcept
{
    width = std::clamp(width, 0, width_);
    height = std::clamp(height, 0, height_);
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    // Row y moves from y * width_ * 3 to y * width * 3, never later: top to
    // bottom, no row is overwritten before it has moved.
    if (width != width_)
        for (int y = 1; y < height; ++y)
            std::memmove(bytes_.data() + static_cast<std::size_t>(y) * rowBytes, row(y), rowBytes);
    width_ = width;
    height_ = height;
    bytes_.resize(rowBytes * static_cast<std::size_t>(height));
}

void Image::resize(int width, int height, Rgb fill)
{
    if (width == width_ && height == height_)
        return;
    Image next(width, height, fill);
    const int w = std::min(width, width_);
    const int h = std::min(height, height_);
    for (int y = 0; y < h; ++y)
        std::copy_n(row(y), static_cast<std::size_t>(w) * 3, next.row(y));
    *this = std::move(next);
}

void Image::fill(Rgb c) noexcept
{
    if (c.r == c.g && c.g == c.b) {
        std::fill(bytes_.begin(), bytes_.end(), c.r);
        return;
    }
    for (std::size_t i = 0; i + 2 < bytes_.size(); i += 3) {
        bytes_[i] = c.r;
        bytes_[i + 1] = c.g;
        bytes_[i + 2] = c.b;
    }
}

} // namespace vantor
