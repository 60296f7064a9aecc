#include "shell/Canvas.hpp"

#include "shell/Font.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vantor {

namespace {

// Fills x1..x2-1, y1..y2-1, clipped; an empty or inverted box fills nothing.
// Bounds are widened first so that no clipping sum can overflow.
void fillBox(Image& image, long long x1, long long y1, long long x2, long long y2, Rgb c)
{
    x1 = std::max(x1, 0LL);
    y1 = std::max(y1, 0LL);
    x2 = std::min<long long>(x2, image.width());
    y2 = std::min<long long>(y2, image.height());
    if (x1 >= x2 || y1 >= y2)
        return;
    const std::size_t count = static_cast<std::size_t>(x2 - x1);
    // The first row is painted pixel by pixel, the others copy it.
    std::uint8_t* first = image.row(static_cast<int>(y1)) + x1 * 3;
    for (std::size_t i = 0; i < count; ++i) {
        first[i * 3] = c.r;
        first[i * 3 + 1] = c.g;
        first[i * 3 + 2] = c.b;
    }
    for (long long y = y1 + 1; y < y2; ++y)
        std::memcpy(image.row(static_cast<int>(y)) + x1 * 3, first, count * 3);
}

} // namespace

void Canvas::drawImage(int x, int y, const Image& picture)
{
    const long long left = x;
    const long long top = y;
    const long long x1 = std::max(left, 0LL);
    const long long y1 = std::max(top, 0LL);
    const long long x2 = std::min<long long>(left + picture.width(), target_.width());
    const long long y2 = std::min<long long>(top + picture.height(), target_.height());
    if (x1 >= x2 || y1 >= y2)
        return;
    const std::size_t bytes = static_cast<std::size_t>(x2 - x1) * 3;
    for (long long ty = y1; ty < y2; ++ty) {
        const std::uint8_t* src = picture.row(static_cast<int>(ty - top)) + (x1 - left) * 3;
        std::memcpy(target_.row(static_cast<int>(ty)) + x1 * 3, src, bytes);
    }
}

void Canvas::fillRect(int x1, int y1, int x2, int y2)
{
    fillBox(target_, x1, y1, x2, y2, brush_);
}

void Canvas::rectangle(int x1, int y1, int x2, int y2)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    const long long l = x1;
    const long long t = y1;
    const long long r = x2;
    const long long b = y2;
    fillBox(target_, l, t, r, t + 1, pen_);         // top edge
    fillBox(target_, l, b - 1, r, b, pen_);         // bottom edge
    fillBox(target_, l, t + 1, l + 1, b - 1, pen_); // left edge
    fillBox(target_, r - 1, t + 1, r, b - 1, pen_); // right edge
    fillBox(target_, l + 1, t + 1, r - 1, b - 1, brush_);
}

// Bresenham's line in closed form: along the major axis the line takes one
// pixel per step t = 0 .. n-1 (n = the major distance, so the end point is
// left out), and the minor coordinate is the exact one rounded to nearest,
// halves towards the start. Horizontal, vertical and 45-degree lines thus
// cover exactly the pixels between the points. Because every pixel is found
// from t alone, the steps are first clipped to the picture along the major
// axis, so a line with far-away end points costs no more than one across
// the picture.
void Canvas::line(int x1, int y1, int x2, int y2)
{
    __extension__ typedef __int128 Wide;

    const long long dx = static_cast<long long>(x2) - x1;
    const long long dy = static_cast<long long>(y2) - y1;
    const long long adx = dx < 0 ? -dx : dx;
    const long long ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const long long n = xMajor ? adx : ady;         // pixels drawn
    const long long m = xMajor ? ady : adx;         // minor distance
    if (n == 0)
        return;
    const long long major0 = xMajor ? x1 : y1;
    const long long minor0 = xMajor ? y1 : x1;
    const long long majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const long long minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const long long majorSize = xMajor ? target_.width() : target_.height();
    const long long minorSize = xMajor ? target_.height() : target_.width();

    // Steps t whose major coordinate lies inside the picture.
    long long t0 = 0;
    long long t1 = n - 1;
    if (majorStep > 0) {
        t0 = std::max(t0, -major0);
        t1 = std::min(t1, majorSize - 1 - major0);
    } else {
        t0 = std::max(t0, major0 - (majorSize - 1));
        t1 = std::min(t1, major0);
    }

    const Wide twoN = static_cast<Wide>(2) * n;
    for (long long t = t0; t <= t1; ++t) {
        const long long offset = static_cast<long long>((static_cast<Wide>(2) * t * m + n - 1) / twoN);
        const long long minor = minor0 + minorStep * offset;
        if (minor < 0 || minor >= minorSize)
            continue;
        const long long major = major0 + majorStep * t;
        if (xMajor)
            target_.setPixel(static_cast<int>(major), static_cast<int>(minor), pen_);
        else
            target_.setPixel(static_cast<int>(minor), static_cast<int>(major), pen_);
    }
}

void Canvas::textOut(int x, int y, std::string_view utf8)
{
    if (font_ == nullptr || target_.empty())
        return;
    const Font::Bitmap text = font_->render(utf8);
    const long long left = x;
    const long long top = y;
    const long long x1 = std::max(left, 0LL);
    const long long y1 = std::max(top, 0LL);
    const long long x2 = std::min<long long>(left + text.width, target_.width());
    const long long y2 = std::min<long long>(top + text.height, target_.height());
    if (x1 >= x2 || y1 >= y2)
        return;
    for (long long ty = y1; ty < y2; ++ty) {
        const std::uint8_t* ink = &text.ink[static_cast<std::size_t>(ty - top) * static_cast<std::size_t>(text.width)];
        std::uint8_t* px = target_.row(static_cast<int>(ty));
        for (long long tx = x1; tx < x2; ++tx) {
            if (!ink[tx - left])
                continue;
            px[tx * 3] = fontColor_.r;
            px[tx * 3 + 1] = fontColor_.g;
            px[tx * 3 + 2] = fontColor_.b;
        }
    }
}

int Canvas::textWidth(std::string_view utf8) const
{
    return font_ != nullptr ? font_->textWidth(utf8) : 0;
}

} // namespace vantor
