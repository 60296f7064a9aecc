// Checks on the data directory that vantor-assets draws at build time: every
// picture is a sound 24-bit BMP of the expected size, the road tiles meet
// seamlessly, and the city name list is usable.

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kData = VANTOR_BIN_DIR "/data";

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // top row first, r g b

    bool white(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        return rgb[i] == 255 && rgb[i + 1] == 255 && rgb[i + 2] == 255;
    }
    int channel(int x, int y, int c) const { return rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c]; }
};

std::vector<std::uint8_t> slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le32(const std::vector<std::uint8_t>& d, std::size_t at)
{
    return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (static_cast<std::uint32_t>(d[at + 3]) << 24);
}

// Reads one of our own pictures: uncompressed, 24 bits, bottom-up rows.
Picture load(const std::string& name)
{
    Picture p;
    const auto d = slurp(kData / (name + ".bmp"));
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') {
        ADD_FAILURE() << name << ": not a BMP file";
        return p;
    }
    const std::uint32_t offset = le32(d, 10);
    const auto width = static_cast<std::int32_t>(le32(d, 18));
    const auto height = static_cast<std::int32_t>(le32(d, 22));
    const int bpp = d[28] | (d[29] << 8);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    EXPECT_EQ(le32(d, 2), d.size()) << name;
    EXPECT_EQ(bpp, 24) << name;
    EXPECT_EQ(le32(d, 30), 0u) << name << ": compressed";
    if (width <= 0 || height <= 0 || bpp != 24 || offset + stride * height > d.size()) {
        ADD_FAILURE() << name << ": bad header";
        return p;
    }
    p.width = width;
    p.height = height;
    p.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = &d[offset + stride * (height - 1 - y)];
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                p.rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] = src[x * 3 + 2 - c];
    }
    return p;
}

struct Expected {
    const char* name;
    int width; // 0: any size
    int height;
};

constexpr std::array<Expected, 56> kPictures = {{
    {"hangarN", 10, 10}, {"hangarW", 10, 10}, {"hangarS", 10, 10}, {"hangarE", 10, 10},
    {"house", 10, 10}, {"city", 10, 10}, {"industrial", 10, 10}, {"landmark", 10, 10},
    {"stairsL", 20, 10}, {"stairsR", 20, 10}, {"pillar", 10, 10},
    {"roadNESW", 32, 32}, {"roadNEW", 32, 32}, {"roadNES", 32, 32}, {"roadESW", 32, 32},
    {"roadNSW", 32, 32}, {"roadNS", 32, 32}, {"roadEW", 32, 32}, {"roadNE", 32, 32},
    {"roadES", 32, 32}, {"roadSW", 32, 32}, {"roadNW", 32, 32}, {"roadN", 32, 32},
    {"roadE", 32, 32}, {"roadS", 32, 32}, {"roadW", 32, 32},
    {"carshopground", 64, 64}, {"houseground", 32, 32},
    {"stairsshadow", 0, 0}, {"pillarshadow", 0, 0}, {"gateshadow", 0, 0},
    {"wallNSshadow", 0, 0}, {"wallEWshadow", 0, 0}, {"house1shadow", 0, 0},
    {"city1shadow", 0, 0}, {"city2shadow", 0, 0}, {"city3shadow", 0, 0},
    {"spaceportshadow", 0, 0}, {"house2Nshadow", 0, 0}, {"house2Eshadow", 0, 0},
    {"house2Sshadow", 0, 0}, {"house2Wshadow", 0, 0}, {"industrial1Nshadow", 0, 0},
    {"industrial1Eshadow", 0, 0}, {"industrial1Sshadow", 0, 0}, {"industrial1Wshadow", 0, 0},
    {"industrial2Nshadow", 0, 0}, {"industrial2Eshadow", 0, 0}, {"industrial3shadow", 0, 0},
    {"garageshadow", 0, 0}, {"hangarshadow", 0, 0}, {"carshopshadow", 0, 0},
    {"intro", 512, 256}, {"dirt1", 1024, 1024}, {"dirt2", 1024, 1024}, {"moonBase", 6, 6},
}};

TEST(Assets, EveryPictureIsA24BitBmpOfItsSize)
{
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.name);
        const Picture p = load(e.name);
        ASSERT_GT(p.width, 0);
        if (e.width != 0) {
            EXPECT_EQ(p.width, e.width);
            EXPECT_EQ(p.height, e.height);
        }
    }
}

TEST(Assets, ShadowMasksHoldShadowAndSeeThroughPixels)
{
    for (const Expected& e : kPictures) {
        if (std::string(e.name).find("shadow") == std::string::npos)
            continue;
        SCOPED_TRACE(e.name);
        const Picture p = load(e.name);
        int shadow = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                shadow += p.white(x, y) ? 0 : 1;
        EXPECT_GT(shadow, 0);
        EXPECT_LT(shadow, p.width * p.height);
    }
}

// Road tiles. Edge k of a tile: 0 north row, 1 east column, 2 south row,
// 3 west column; pixel t runs along it from the north-west.
constexpr std::array<const char*, 15> kShapes = {
    "N", "E", "S", "W", "NS", "EW", "NESW", "NE", "ES", "SW", "NW", "NES", "ESW", "NSW", "NEW",
};
constexpr const char* kSides = "NESW";

std::pair<int, int> edgePixel(int side, int t)
{
    switch (side) {
    case 0: return {t, 0};
    case 1: return {31, t};
    case 2: return {t, 31};
    default: return {0, t};
    }
}

bool joins(const std::string& shape, int side) { return shape.find(kSides[side]) != std::string::npos; }

TEST(Assets, RoadTilesMeetTheEdgeWithTheSameCrossSection)
{
    for (const char* shape : kShapes) {
        SCOPED_TRACE(shape);
        const Picture p = load(std::string("road") + shape);
        ASSERT_EQ(p.width, 32);
        for (int side = 0; side < 4; ++side) {
            for (int t = 0; t < 32; ++t) {
                const auto [x, y] = edgePixel(side, t);
                // Joined side: kerbs on 4..5 and 26..27, asphalt between, ground outside.
                const bool road = joins(shape, side) && t >= 4 && t <= 27;
                EXPECT_EQ(p.white(x, y), !road) << "side " << kSides[side] << " pixel " << t;
            }
        }
        EXPECT_FALSE(p.white(15, 15));
        EXPECT_FALSE(p.white(16, 16));
    }
}

TEST(Assets, RoadTilesJoinWithoutASeam)
{
    // For every shape joined on side s and every shape joined on the opposite
    // side, the two touching pixel lines match colour for colour, within
    // the asphalt's grain.
    for (const char* a : kShapes) {
        for (const char* b : kShapes) {
            for (int side = 1; side <= 2; ++side) { // east-west and north-south pairs
                const int opposite = side + 2;
                if (!joins(a, side) || !joins(b, opposite))
                    continue;
                SCOPED_TRACE(std::string(a) + " beside " + b);
                const Picture pa = load(std::string("road") + a);
                const Picture pb = load(std::string("road") + b);
                for (int t = 0; t < 32; ++t) {
                    const auto [ax, ay] = edgePixel(side, t);
                    const auto [bx, by] = edgePixel(opposite, t);
                    ASSERT_EQ(pa.white(ax, ay), pb.white(bx, by)) << t;
                    for (int c = 0; c < 3; ++c)
                        EXPECT_LE(std::abs(pa.channel(ax, ay, c) - pb.channel(bx, by, c)), 24) << t;
                }
            }
        }
    }
}

TEST(Assets, CityNamesAreAHundredDistinctFileSafeNames)
{
    std::ifstream in(kData / "citynames.txt", std::ios::binary);
    ASSERT_TRUE(in);
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);)
        names.push_back(line);
    ASSERT_EQ(names.size(), 100u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 100u);
    for (const std::string& n : names) {
        SCOPED_TRACE(n);
        ASSERT_FALSE(n.empty());
        EXPECT_LE(n.size(), 20u); // the Moon map labels them in one short line
        EXPECT_NE(n.front(), ' ');
        EXPECT_NE(n.back(), ' ');
        for (char c : n)
            EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '-')
                << "character " << int(static_cast<unsigned char>(c));
    }
}

TEST(Assets, DrawingAgainGivesTheSameBytes)
{
    const std::filesystem::path tool = std::filesystem::path(VANTOR_BIN_DIR) / ".." / "tools" /
                                       (std::string("vantor-assets") + vantor::test::kExecutableSuffix);
    // A folder of this run's own: two test runs at once must not share it.
    const vantor::test::TempDir folder;
    const std::filesystem::path again = folder.path() / "again";
    std::filesystem::create_directories(again);
    const vantor::test::ProcessResult drawn = vantor::test::runProcess(tool, {again.string()});
    ASSERT_EQ(drawn.exitCode, 0) << drawn.output;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(again)) {
        ++files;
        EXPECT_EQ(slurp(entry.path()), slurp(kData / entry.path().filename())) << entry.path().filename();
    }
    EXPECT_EQ(files, 57); // 56 pictures and the name list

    // A missing or unusable output directory is refused with status 2.
    EXPECT_EQ(vantor::test::runProcess(tool, {}).exitCode, 2);
    EXPECT_EQ(vantor::test::runProcess(tool, {(again / "missing").string()}).exitCode, 2);
}

} // namespace
