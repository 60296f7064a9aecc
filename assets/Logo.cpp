#include "assets/Logo.hpp"

#include "assets/Noise.hpp"
#include "assets/Paint.hpp"
#include "shell/Font.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#ifndef VANTOR_LOGO_TITLE_FONT
#error "VANTOR_LOGO_TITLE_FONT must name the bold TrueType font of the logo"
#endif
#ifndef VANTOR_LOGO_TEXT_FONT
#error "VANTOR_LOGO_TEXT_FONT must name the TrueType font of the logo's subtitle"
#endif

namespace vantor::assets {

namespace {

constexpr int kW = Logo::kWidth;
constexpr int kH = Logo::kHeight;
constexpr std::uint32_t kSeed = 0x10a0u;

constexpr std::string_view kTitle = "Vantor";
constexpr std::string_view kSubtitle = "Moon city and campaign generator";
constexpr int kTitleScale = 3;          // title drawn this much larger, then averaged down
constexpr int kTitlePixels = 92;        // title size in the finished logo
constexpr int kTitleTop = 22;
constexpr int kSubtitlePixels = 15;
constexpr int kSubtitleTop = 138;

// The lunar horizon: a huge circle whose top just shows.
constexpr double kGroundCentreX = 256.0;
constexpr double kGroundCentreY = 1480.0;
constexpr double kGroundRadius = 1300.0;

// The Earth, lit from the south-west like everything else.
constexpr double kEarthX = 440.0;
constexpr double kEarthY = 150.0;
constexpr double kEarthR = 20.0;

struct Layer {
    std::vector<double> r, g, b;
    Layer() : r(kW * kH), g(kW * kH), b(kW * kH) {}
    void set(int x, int y, double cr, double cg, double cb)
    {
        const std::size_t i = static_cast<std::size_t>(y) * kW + x;
        r[i] = cr;
        g[i] = cg;
        b[i] = cb;
    }
    void blend(int x, int y, double cr, double cg, double cb, double a)
    {
        if (x < 0 || y < 0 || x >= kW || y >= kH || a <= 0.0)
            return;
        const std::size_t i = static_cast<std::size_t>(y) * kW + x;
        r[i] += (cr - r[i]) * a;
        g[i] += (cg - g[i]) * a;
        b[i] += (cb - b[i]) * a;
    }
};

void drawSky(Layer& L)
{
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double t = y / double(kH);
            L.set(x, y, 4 + 10 * t, 6 + 14 * t, 18 + 30 * t);
        }
    // Stars: a hash decides which pixels hold one and how bright it is.
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double u = Noise::unit(kSeed, x, y);
            if (u < 0.9935)
                continue;
            const double v = 90 + 165 * Noise::unit(kSeed + 1, x, y);
            const double tint = Noise::unit(kSeed + 2, x, y) - 0.5;
            L.blend(x, y, v * (1 + 0.15 * tint), v, v * (1 - 0.15 * tint), 1.0);
            if (u > 0.9995) { // a few bright ones with a small cross
                L.blend(x - 1, y, v, v, v, 0.45);
                L.blend(x + 1, y, v, v, v, 0.45);
                L.blend(x, y - 1, v, v, v, 0.45);
                L.blend(x, y + 1, v, v, v, 0.45);
            }
        }
}

void drawEarth(Layer& L)
{
    const double lx = -0.62, ly = 0.42, lz = 0.66; // towards the sun (south-west, low)
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double dx = (x + 0.5 - kEarthX) / kEarthR;
            const double dy = (y + 0.5 - kEarthY) / kEarthR;
            const double d2 = dx * dx + dy * dy;
            if (d2 > 1.0)
                continue;
            const double dz = std::sqrt(1.0 - d2);
            const double lit = std::max(0.0, dx * lx + dy * ly + dz * lz);
            const double land = Noise::fractal(kSeed + 7, dx * 40 + 100, dy * 40 + 100, 16, 64, 3, 0.5);
            const double cloud = Noise::fractal(kSeed + 8, dx * 60 + 300, dy * 30 + 300, 16, 64, 3, 0.5);
            double r = 30, g = 70, b = 160;
            if (land > 0.55) {
                r = 90;
                g = 110;
                b = 70;
            }
            if (cloud > 0.58) {
                r = 225;
                g = 230;
                b = 235;
            }
            const double edge = std::clamp((1.0 - d2) * 8.0, 0.0, 1.0); // soft rim
            const double f = 0.05 + 0.95 * lit;
            L.blend(x, y, r * f, g * f, b * f, edge);
        }
}

void drawGround(Layer& L)
{
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double dx = x + 0.5 - kGroundCentreX;
            const double dy = y + 0.5 - kGroundCentreY;
            const double depth = kGroundRadius - std::sqrt(dx * dx + dy * dy); // pixels below the horizon
            if (depth < -1.5)
                continue;
            // Perspective: the surface texture is squashed towards the horizon.
            const double sy = 40.0 * std::sqrt(std::max(depth, 0.0));
            const double relief = Noise::fractal(kSeed + 3, x * 1.5, sy, 32, 64, 5, 0.55);
            const double albedo = 70 + 80 * relief;
            // Lit from the left (the sun stands low in the south-west).
            const double side = 1.0 - 0.35 * (x / double(kW));
            double v = albedo * side;
            const double fade = 1.0 + std::max(depth, 0.0) / 3.0;
            const double glow = 70.0 / (fade * fade); // bright limb
            v += glow;
            const double cover = std::clamp(depth + 1.5, 0.0, 1.0);
            L.blend(x, y, v * 1.02, v, v * 0.94, cover);
        }
    // A few craters on the near ground, as flattened ellipses: dark towards
    // the sun inside the bowl, bright on the far inner wall.
    for (int k = 0; k < 14; ++k) {
        const double cx = Noise::unit(kSeed + 20, k) * kW;
        const double cy = 200 + Noise::unit(kSeed + 21, k) * 56;
        const double rx = 6 + Noise::unit(kSeed + 22, k) * 22 * (cy - 180) / 76;
        const double ry = rx * 0.28;
        for (int y = int(cy - ry - 2); y <= int(cy + ry + 2); ++y)
            for (int x = int(cx - rx - 2); x <= int(cx + rx + 2); ++x) {
                const double ex = (x + 0.5 - cx) / rx;
                const double ey = (y + 0.5 - cy) / ry;
                const double e = std::sqrt(ex * ex + ey * ey);
                if (e > 1.15)
                    continue;
                if (e > 1.0)
                    L.blend(x, y, 200, 196, 188, 0.35 * (1.15 - e) / 0.15); // rim
                else if (ex < 0.0)
                    L.blend(x, y, 20, 20, 24, 0.55 * (1.0 - e * 0.5));
                else
                    L.blend(x, y, 170, 166, 158, 0.25);
            }
    }
}

// Text coverage, scaled down by `scale` (box average), into a kW-wide grid.
struct Coverage {
    int width = 0;
    int height = 0;
    std::vector<double> a;
    double at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0.0;
        return a[static_cast<std::size_t>(y) * width + x];
    }
};

Coverage textCoverage(const Font& font, std::string_view text, int scale)
{
    const Font::Bitmap bm = font.render(text);
    Coverage c;
    c.width = (bm.width + scale - 1) / scale;
    c.height = (bm.height + scale - 1) / scale;
    c.a.assign(static_cast<std::size_t>(c.width) * c.height, 0.0);
    for (int y = 0; y < bm.height; ++y)
        for (int x = 0; x < bm.width; ++x)
            if (bm.ink[static_cast<std::size_t>(y) * bm.width + x])
                c.a[static_cast<std::size_t>(y / scale) * c.width + x / scale] += 1.0 / (scale * scale);
    return c;
}

// The ink's bounding rows, so the title can be placed by its letters.
std::pair<int, int> inkRows(const Coverage& c)
{
    int top = c.height, bottom = -1;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            if (c.at(x, y) > 0.0) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return {top, bottom};
}

void drawTitle(Layer& L, const std::filesystem::path& fontFile)
{
    const Font font(fontFile, kTitlePixels * kTitleScale);
    const Coverage c = textCoverage(font, kTitle, kTitleScale);
    const auto [top, bottom] = inkRows(c);
    const int x0 = (kW - c.width) / 2;
    const int y0 = kTitleTop - top;
    const double span = std::max(1, bottom - top);
    // Soft dark halo, then a drop shadow, then the letters.
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            double halo = 0.0;
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx)
                    halo = std::max(halo, c.at(x - x0 + dx, y - y0 + dy) * (1.0 - (dx * dx + dy * dy) / 20.0));
            L.blend(x, y, 0, 0, 8, 0.6 * halo);
        }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            L.blend(x, y, 0, 0, 0, 0.8 * c.at(x - x0 - 4, y - y0 - 4));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double a = c.at(x - x0, y - y0);
            if (a <= 0.0)
                continue;
            // Metal: bright at the top, a cool band in the middle, warm below.
            const double t = std::clamp((y - y0 - top) / span, 0.0, 1.0);
            double r, g, b;
            if (t < 0.5) {
                r = 238 - 90 * t;
                g = 240 - 70 * t;
                b = 246 - 30 * t;
            } else {
                r = 150 + 110 * (t - 0.5);
                g = 160 + 60 * (t - 0.5);
                b = 200 - 100 * (t - 0.5);
            }
            L.blend(x, y, r, g, b, a);
        }
}

void drawSubtitle(Layer& L, const std::filesystem::path& fontFile)
{
    const Font font(fontFile, kSubtitlePixels * 2);
    const Coverage c = textCoverage(font, kSubtitle, 2);
    const int x0 = (kW - c.width) / 2;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            L.blend(x, y, 0, 0, 0, 0.7 * c.at(x - x0 - 1, y - kSubtitleTop - 1));
            L.blend(x, y, 196, 206, 226, c.at(x - x0, y - kSubtitleTop));
        }
}

} // namespace

Image Logo::draw(const std::filesystem::path& titleFont, const std::filesystem::path& textFont)
{
    Layer L;
    drawSky(L);
    drawEarth(L);
    drawGround(L);
    drawTitle(L, titleFont);
    drawSubtitle(L, textFont);
    Image img(kW, kH);
    for (int y = 0; y < kH; ++y) {
        std::uint8_t* row = img.row(y);
        for (int x = 0; x < kW; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * kW + x;
            row[3 * x] = channel(L.r[i]);
            row[3 * x + 1] = channel(L.g[i]);
            row[3 * x + 2] = channel(L.b[i]);
        }
    }
    return img;
}

void Logo::write(const std::filesystem::path& dir)
{
    savePicture(draw(VANTOR_LOGO_TITLE_FONT, VANTOR_LOGO_TEXT_FONT), dir, "intro");
}

} // namespace vantor::assets
