#include "city/GroundPicture.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string_view>
#include <vector>

namespace vantor {

namespace {

// Road tiles by the road neighbours' letters, always in the order N, E, S, W.
struct RoadTile {
    std::string_view letters;
    Picture picture;
};

constexpr std::array<RoadTile, 15> kRoadTiles{{
    {"N", Picture::RoadN},       {"E", Picture::RoadE},       {"S", Picture::RoadS},     {"W", Picture::RoadW},
    {"NS", Picture::RoadNS},     {"EW", Picture::RoadEW},     {"NESW", Picture::RoadNESW},
    {"NE", Picture::RoadNE},     {"ES", Picture::RoadES},     {"SW", Picture::RoadSW},   {"NW", Picture::RoadNW},
    {"NES", Picture::RoadNES},   {"ESW", Picture::RoadESW},   {"NSW", Picture::RoadNSW}, {"NEW", Picture::RoadNEW},
}};

constexpr int kTileSide = 32;
constexpr int kMaskStrip = 64; // columns mixed per progress batch

// Copies `source` tiled over the whole ground: a texture smaller than the
// ground repeats instead of leaving the rest undefined. Every pixel of the
// ground is written (black when there is no texture at all).
void fillTiled(Image& ground, const Image& source)
{
    if (source.empty()) {
        ground.fill(kBlack);
        return;
    }
    const int w = source.width();
    for (int y = 0; y < ground.height(); ++y) {
        const std::uint8_t* src = source.row(y % source.height());
        std::uint8_t* dst = ground.row(y);
        for (int x = 0; x < ground.width(); x += w) {
            const int n = std::min(w, ground.width() - x);
            std::memcpy(dst + static_cast<std::size_t>(x) * 3, src, static_cast<std::size_t>(n) * 3);
        }
    }
}

// Byte masks for eight pixels (24 bytes, three 64-bit words) from a byte of
// eight flags, bit k set where pixel k takes dirt2: word w of the block holds
// bytes 8w..8w+7, that is pixels (8w)/3 .. (8w+7)/3, so the three words
// depend on pixels 0-2, 2-5 and 5-7. Each table is indexed by the flags of
// those pixels, shifted down to the word's first pixel.
constexpr std::array<std::uint64_t, 16> wordMasks(int word)
{
    const int firstPixel = 8 * word / 3;
    std::array<std::uint64_t, 16> table{};
    for (unsigned flags = 0; flags < 16; ++flags)
        for (int i = 0; i < 8; ++i)
            if (flags >> ((8 * word + i) / 3 - firstPixel) & 1u)
                table[flags] |= std::uint64_t{0xFF} << (8 * i);
    return table;
}
constexpr std::array<std::array<std::uint64_t, 16>, 3> kWordMasks{wordMasks(0), wordMasks(1), wordMasks(2)};

std::uint64_t load64(const std::uint8_t* p) noexcept
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void store64(std::uint8_t* p, std::uint64_t v) noexcept
{
    std::memcpy(p, &v, sizeof v);
}

// Bit k set where byte k of `mask` (eight mask values) is above 60. Per
// byte, (v & 0x7F) + 67 reaches bit 7 exactly when v & 0x7F >= 61, and never
// carries into the next byte; v's own bit 7 covers v >= 128. Multiplying the
// bytes' 0/1 results by 0x0102040810204080 gathers bit k of the result's top
// byte from byte k.
unsigned dirtFlags(std::uint64_t mask) noexcept
{
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr std::uint64_t kAdd = 0x4343434343434343ull; // 67 = 128 - 61 in every byte
    constexpr std::uint64_t kTop = 0x8080808080808080ull;
    const std::uint64_t above = (((mask & kLow7) + kAdd) | mask) & kTop;
    return static_cast<unsigned>(((above >> 7) * 0x0102040810204080ull) >> 56);
}

// One row of the mix: where mask > 60 the pixel of `src` replaces that of
// `dst`. Eight pixels at a time: none or all of them taken is a skip or a
// copy, a mixture a select on three words.
void mixRow(const std::uint8_t* mask, const std::uint8_t* src, std::uint8_t* dst, std::size_t width) noexcept
{
    std::size_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 8 <= width; x += 8) {
            const unsigned flags = dirtFlags(load64(mask + x));
            if (flags == 0)
                continue;
            const std::size_t at = 3 * x;
            if (flags == 0xFF) {
                std::memcpy(dst + at, src + at, 24);
                continue;
            }
            const std::uint64_t take[3] = {kWordMasks[0][flags & 7u], kWordMasks[1][(flags >> 2) & 15u],
                                           kWordMasks[2][flags >> 5]};
            for (std::size_t w = 0; w < 3; ++w) {
                const std::uint64_t d = load64(dst + at + 8 * w);
                const std::uint64_t s = load64(src + at + 8 * w);
                store64(dst + at + 8 * w, (s & take[w]) | (d & ~take[w]));
            }
        }
    }
    for (; x < width; ++x)
        if (mask[x] > 60)
            std::memcpy(dst + 3 * x, src + 3 * x, 3);
}

void mixDirt(CityState& city, const Image& dirt2, ProgressSink& progress)
{
    Image& ground = city.groundPicture;
    const GreyPicture& mask = city.dirtMask;
    const int width = ground.width();
    // The result does not depend on the order in which pixels are mixed, so
    // rows are mixed in bands while the progress still counts the columns.
    for (int band = 0; band < width; band += kMaskStrip) {
        const int bandEnd = std::min(width, band + kMaskStrip);
        for (int x = band; x < bandEnd; ++x) {
            progress.setTaskProgress(static_cast<int>(static_cast<double>(x) / width * 60 + 10));
            progress.pump();
        }
        for (int y = band; y < bandEnd; ++y) {
            const std::uint8_t* m = &mask.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.side)];
            std::uint8_t* const dst = ground.row(y);
            const std::uint8_t* const src = dirt2.row(y % dirt2.height());
            if (dirt2.width() >= width) {
                mixRow(m, src, dst, static_cast<std::size_t>(width));
            } else {
                // A texture narrower than the ground repeats.
                for (int x = 0; x < width; ++x) {
                    if (m[x] > 60)
                        std::memcpy(dst + static_cast<std::size_t>(x) * 3,
                                    src + static_cast<std::size_t>(x % dirt2.width()) * 3, 3);
                }
            }
        }
    }
}

// Copies the non-white pixels of `picture`'s top-left width x height block to
// (x0, y0); pixels falling outside the ground are dropped.
void copyOpaquePixels(Image& ground, const Image& picture, int x0, int y0, int width, int height)
{
    width = std::min(width, picture.width());
    height = std::min(height, picture.height());
    for (int py = std::max(0, -y0); py < height && y0 + py < ground.height(); ++py) {
        const std::uint8_t* src = picture.row(py);
        std::uint8_t* dst = ground.row(y0 + py);
        for (int px = std::max(0, -x0); px < width && x0 + px < ground.width(); ++px) {
            const std::uint8_t* s = src + static_cast<std::size_t>(px) * 3;
            if (isWhite(s))
                continue;
            std::uint8_t* d = dst + static_cast<std::size_t>(x0 + px) * 3;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

// Draws `picture` whole and opaque at (x0, y0), clipped.
void drawOpaque(Image& ground, const Image& picture, int x0, int y0)
{
    for (int py = std::max(0, -y0); py < picture.height() && y0 + py < ground.height(); ++py) {
        const int from = std::max(0, -x0);
        const int to = std::min(picture.width(), ground.width() - x0);
        if (to > from)
            std::memcpy(ground.row(y0 + py) + static_cast<std::size_t>(x0 + from) * 3,
                        picture.row(py) + static_cast<std::size_t>(from) * 3, static_cast<std::size_t>(to - from) * 3);
    }
}

void drawStructureGround(CityState& city)
{
    const PictureCatalogue& pictures = *city.catalogue;
    const int size = city.params.size();
    for (int i = 0; i <= size; ++i) {
        for (int j = 0; j <= size; ++j) {
            const StructureCode code = city.grid.structure(i, j);
            if (code == StructureCode::House1 || code == StructureCode::House2 || code == StructureCode::City1 ||
                code == StructureCode::City2) {
                drawOpaque(city.groundPicture, pictures.picture(Picture::HouseGround), 32 * i, 32 * j);
            } else if (code == StructureCode::Landmark && city.params.landmarkKind == LandmarkKind::Carshop) {
                const Image& yard = pictures.picture(Picture::CarshopGround);
                copyOpaquePixels(city.groundPicture, yard, 32 * i - 16, 32 * j - 16, yard.width(), yard.height());
            }
        }
    }
}

void drawRoadTiles(CityState& city, ProgressSink& progress)
{
    const CityGrid& grid = city.grid;
    const int size = city.params.size();
    for (int i = 0; i <= size; ++i) {
        progress.setTaskProgress(static_cast<int>(static_cast<double>(i) / size * 20 + 70));
        progress.pump();
        for (int j = 0; j <= size; ++j) {
            if (!grid.road(i, j))
                continue;
            char letters[5];
            std::size_t n = 0;
            if (j > 0 && grid.road(i, j - 1))
                letters[n++] = 'N';
            if (i < size && grid.road(i + 1, j))
                letters[n++] = 'E';
            if (j < size && grid.road(i, j + 1))
                letters[n++] = 'S';
            if (i > 0 && grid.road(i - 1, j))
                letters[n++] = 'W';
            const std::string_view key(letters, n);
            for (const RoadTile& tile : kRoadTiles) {
                if (tile.letters == key) {
                    copyOpaquePixels(city.groundPicture, city.catalogue->picture(tile.picture), 32 * i, 32 * j,
                                     kTileSide, kTileSide);
                    break;
                }
            }
        }
    }
}

int groundSide(const CityState& city) noexcept
{
    return (city.params.size() + 1) * 32;
}

// Everything after the dirt1 base: the dirt2 mix, the ground patches and the road tiles.
void drawOnBase(CityState& city, const Image& dirt2, RandomSource& random, ProgressSink& progress)
{
    if (city.params.size() > 3) {
        city.noise.build(groundSide(city) - 1, random, city.dirtMask);
        mixDirt(city, dirt2, progress);
    }
    drawStructureGround(city);
    drawRoadTiles(city, progress);
}

} // namespace

void GroundPicture::build(CityState& city, RandomSource& random, ProgressSink& progress)
{
    build(city, city.dirt1, city.dirt2, random, progress);
}

void GroundPicture::build(CityState& city, const Image& dirt1, const Image& dirt2, RandomSource& random,
                          ProgressSink& progress)
{
    const int width = groundSide(city);
    city.groundPicture.reuseForOverwrite(width, width); // fillTiled writes every pixel
    fillTiled(city.groundPicture, dirt1);
    drawOnBase(city, dirt2, random, progress);
}

void GroundPicture::build(CityState& city, Image&& dirt1, const Image& dirt2, RandomSource& random,
                          ProgressSink& progress)
{
    const int width = groundSide(city);
    if (dirt1.width() < width || dirt1.height() < width) {
        build(city, static_cast<const Image&>(dirt1), dirt2, random, progress);
        return;
    }
    city.groundPicture = std::move(dirt1);
    dirt1 = Image();
    city.groundPicture.cropTopLeft(width, width);
    drawOnBase(city, dirt2, random, progress);
}

} // namespace vantor
