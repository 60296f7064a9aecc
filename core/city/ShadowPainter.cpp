#include "city/ShadowPainter.hpp"

#include <algorithm>

namespace vantor {

void ShadeMask::prepare(int side)
{
    side = std::clamp(side, 0, kSide);
    if (side == side_)
        return;
    const auto n = static_cast<std::size_t>(side);
    if (side_ == 0) {
        marks_.resize(n * n);
        std::fill(marks_.begin(), marks_.end(), std::uint8_t{0});
    } else {
        // Marks kept from a ground of another side, not cleared since: they
        // stay at their pixels in the new square.
        decltype(marks_) next(n * n);
        std::fill(next.begin(), next.end(), std::uint8_t{0});
        const int common = std::min(side, side_);
        for (int y = 0; y < common; ++y)
            std::copy_n(marks_.begin() + static_cast<std::ptrdiff_t>(index(0, y)), common,
                        next.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * n));
        marks_ = std::move(next);
    }
    side_ = side;
}

ShadowPainter::ShadowPainter(Image& ground, ShadeMask& mask, float shadeFactor)
    : ground_(ground), mask_(mask), side_(std::min({ground.width(), ground.height(), ShadeMask::kSide}))
{
    mask_.prepare(side_);
    const float keep = 1.0f - shadeFactor;
    for (int c = 0; c < 256; ++c) {
        const float product = keep * static_cast<float>(c);
        darker_[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(product);
    }
}

void ShadowPainter::shadePixel(int x, int y) noexcept
{
    if (x < 1 || y < 1 || x >= side_ - 1 || y >= side_ - 1)
        return;
    if (mask_.markedInside(x, y))
        return;
    std::uint8_t* p = ground_.row(y) + static_cast<std::size_t>(x) * 3;
    p[0] = darker_[p[0]];
    p[1] = darker_[p[1]];
    p[2] = darker_[p[2]];
    mask_.mark(x, y);
}

void ShadowPainter::stamp(const Image& shadow, int x0, int y0) noexcept
{
    for (int py = 0; py < shadow.height(); ++py) {
        const std::uint8_t* row = shadow.row(py);
        for (int px = 0; px < shadow.width(); ++px)
            if (!isWhite(row + static_cast<std::size_t>(px) * 3))
                shadePixel(x0 + px, y0 + py);
    }
}

void ShadowPainter::stampTurned(const Image& shadow, int x0, int y0) noexcept
{
    const int w = shadow.width();
    const int h = shadow.height();
    for (int py = 0; py < h; ++py) {
        const std::uint8_t* row = shadow.row(h - 1 - py);
        for (int px = 0; px < w; ++px)
            if (!isWhite(row + static_cast<std::size_t>(w - 1 - px) * 3))
                shadePixel(x0 + px, y0 + py);
    }
}

void ShadowPainter::lampStroke(int x, int y) noexcept
{
    for (int d = 0; d <= 4; ++d)
        for (int e = 0; e <= 2; ++e)
            shadePixel(x + 30 + d, y - d + e);
    for (int d = 5; d <= 10; ++d)
        shadePixel(x + 30 + d, y - d + 1);
}

void ShadowPainter::shadeBlock(int x1, int y1, int x2, int y2) noexcept
{
    for (int y = std::max(y1, 1); y <= y2 && y < side_ - 1; ++y)
        for (int x = std::max(x1, 1); x <= x2 && x < side_ - 1; ++x)
            shadePixel(x, y);
}

} // namespace vantor
