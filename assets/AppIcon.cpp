#include "assets/AppIcon.hpp"

#include "platform/Platform.hpp"
#include "shell/AtomicFile.hpp"
#include "shell/VantorError.hpp"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace vantor::assets {

namespace {

struct Colour {
    float r, g, b, a;
};

// Shapes in a unit square, (0, 0) top left.
struct Circle {
    float x, y, radius;
};
struct Box {
    float left, top, right, bottom;
};

constexpr Circle kMoon{0.5f, 0.56f, 0.42f};
constexpr std::array<Circle, 4> kCraters{{{0.34f, 0.62f, 0.09f}, {0.62f, 0.76f, 0.07f}, {0.70f, 0.52f, 0.05f},
                                          {0.44f, 0.84f, 0.04f}}};
// The city: four buildings of different heights standing on the disc.
constexpr std::array<Box, 4> kBuildings{{{0.26f, 0.30f, 0.38f, 0.58f},
                                         {0.40f, 0.10f, 0.52f, 0.58f},
                                         {0.54f, 0.22f, 0.64f, 0.58f},
                                         {0.66f, 0.36f, 0.76f, 0.58f}}};
constexpr Colour kMoonGrey{0.72f, 0.72f, 0.70f, 1.0f};
constexpr Colour kCraterGrey{0.52f, 0.52f, 0.51f, 1.0f};
constexpr Colour kBuildingBlue{0.16f, 0.22f, 0.36f, 1.0f};
constexpr Colour kWindowYellow{1.0f, 0.84f, 0.30f, 1.0f};

bool inside(const Circle& c, float x, float y)
{
    return (x - c.x) * (x - c.x) + (y - c.y) * (y - c.y) <= c.radius * c.radius;
}

bool inside(const Box& b, float x, float y)
{
    return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
}

// The colour at one sample point of the unit square.
Colour sample(float x, float y)
{
    for (const Box& b : kBuildings) {
        if (!inside(b, x, y))
            continue;
        // Windows: a lit grid inside each building, three columns wide.
        const float u = (x - b.left) / (b.right - b.left);
        const float v = (y - b.top) / 0.06f;
        const bool window = std::fmod(u * 3.0f, 1.0f) > 0.35f && std::fmod(v, 1.0f) > 0.5f && y < b.bottom - 0.04f;
        return window ? kWindowYellow : kBuildingBlue;
    }
    if (!inside(kMoon, x, y))
        return {0, 0, 0, 0};
    for (const Circle& c : kCraters)
        if (inside(c, x, y))
            return kCraterGrey;
    return kMoonGrey;
}

void writePng(const std::vector<std::uint8_t>& rgba, int size, const std::filesystem::path& path)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(size);
    image.format = PNG_FORMAT_RGBA;
    // Encoded in memory, written like every other file (libpng would take
    // the name in the ANSI code page on Windows).
    png_alloc_size_t bytes = 0;
    if (png_image_write_get_memory_size(image, bytes, 0, rgba.data(), 0, nullptr) == 0)
        throw VantorError("Cannot write " + platform::utf8(path) + ": " + image.message);
    std::vector<std::uint8_t> encoded(bytes);
    if (png_image_write_to_memory(&image, encoded.data(), &bytes, 0, rgba.data(), 0, nullptr) == 0)
        throw VantorError("Cannot write " + platform::utf8(path) + ": " + image.message);
    encoded.resize(bytes);
    writeFileAtomically(path, std::span<const std::uint8_t>(encoded));
}

} // namespace

std::vector<std::uint8_t> AppIcon::draw(int size)
{
    constexpr int kSamples = 4;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Colours are averaged weighted by coverage (premultiplied), so
            // the transparent outside does not darken the edges.
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Colour c = sample((static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSamples) / static_cast<float>(size),
                                            (static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSamples) / static_cast<float>(size));
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            std::uint8_t* px = &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)) * 4];
            const auto byte = [](float v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L)); };
            px[0] = a > 0 ? byte(r / a) : 0;
            px[1] = a > 0 ? byte(g / a) : 0;
            px[2] = a > 0 ? byte(b / a) : 0;
            px[3] = byte(a / (kSamples * kSamples));
        }
    }
    return rgba;
}

void AppIcon::writeAll(const std::filesystem::path& dir, const std::string& name)
{
    for (const int size : kSizes) {
        const std::string side = std::to_string(size);
        const std::filesystem::path folder = dir / "hicolor" / (side + "x" + side) / "apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec)
            throw VantorError("Cannot create directory " + platform::utf8(folder) + ": " + ec.message());
        writePng(draw(size), size, folder / (name + ".png"));
    }
}

} // namespace vantor::assets
