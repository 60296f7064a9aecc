#include "city/NoiseTexture.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vantor {
namespace {

std::uint32_t seedAfterRealDraws(std::uint32_t seed, int draws)
{
    RandomSource random(seed);
    for (int k = 0; k < draws; ++k)
        random.real();
    return random.seed();
}

struct NoiseCase {
    int lastIndex;
    int draws; // sum over levels 0..6 of ((N >> k) + 1)^2
};

class NoiseSizes : public testing::TestWithParam<NoiseCase> {};

TEST_P(NoiseSizes, ConsumesOneDrawPerControlPointAndKeepsItsRange)
{
    const NoiseCase c = GetParam();
    RandomSource random(777);
    NoiseTexture noise;
    const GreyPicture picture = noise.build(c.lastIndex, random);
    EXPECT_EQ(random.seed(), seedAfterRealDraws(777, c.draws));
    EXPECT_EQ(noise.lastIndex(), c.lastIndex);

    ASSERT_EQ(picture.side, c.lastIndex + 1);
    const int n = c.lastIndex;
    int maxValue = 0;
    for (int y = 0; y <= n; ++y) {
        for (int x = 0; x <= n; ++x) {
            const int v = picture.at(x, y);
            maxValue = std::max(maxValue, v);
            if (x == 0 || y == 0 || x == n || y == n) {
                ASSERT_EQ(v, 0) << "border pixel " << x << "," << y;
            }
        }
    }
    EXPECT_LE(maxValue, 124);
    EXPECT_GT(maxValue, 40) << "the octaves should make visible relief";
}

INSTANTIATE_TEST_SUITE_P(CitySizes, NoiseSizes,
                         testing::Values(NoiseCase{255, 87376}, NoiseCase{511, 349504}, NoiseCase{1023, 1398016}));

// Samples worked out pixel by pixel equal the built picture there, with the
// same draws: every pixel of the smallest size, the height picture's grids,
// the corners, the last rectangles' far edges and uneven rectangle sizes.
TEST(NoiseTexture, SamplesEqualTheBuiltPicture)
{
    struct Case {
        int lastIndex;
        std::uint32_t seed;
        std::vector<int> columns;
        std::vector<int> rows;
    };
    std::vector<int> all128(129);
    for (int k = 0; k <= 128; ++k)
        all128[static_cast<std::size_t>(k)] = k;
    const auto heightGrid = [](int side) {
        std::vector<int> at;
        for (int k = 0; k < side; ++k)
            at.push_back(static_cast<int>(k * 256.0 / side));
        return at;
    };
    const std::vector<Case> cases{
        {128, 5, all128, all128},
        {255, 99, heightGrid(8), heightGrid(8)},
        {255, 2024, heightGrid(64), heightGrid(64)},
        {333, 7, {0, 1, 2, 165, 166, 331, 332, 333}, {333, 0, 17, 200}},
        {1023, 3, {0, 511, 512, 1022, 1023}, {1023, 1, 640}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("lastIndex " + std::to_string(c.lastIndex) + ", seed " + std::to_string(c.seed));
        RandomSource built(c.seed);
        RandomSource sampled(c.seed);
        NoiseTexture noise;
        const GreyPicture picture = noise.build(c.lastIndex, built);
        std::vector<std::uint8_t> values;
        noise.sample(c.lastIndex, sampled, c.columns, c.rows, values);
        EXPECT_EQ(sampled.seed(), built.seed()) << "the same draws";
        ASSERT_EQ(values.size(), c.columns.size() * c.rows.size());
        for (std::size_t j = 0; j < c.rows.size(); ++j)
            for (std::size_t i = 0; i < c.columns.size(); ++i)
                ASSERT_EQ(values[j * c.columns.size() + i], picture.at(c.columns[i], c.rows[j]))
                    << "at " << c.columns[i] << ", " << c.rows[j];
    }
}

TEST(NoiseTexture, RefusesSizesAndSamplesOutsideTheRange)
{
    RandomSource random(1);
    NoiseTexture noise;
    EXPECT_ANY_THROW(noise.build(100, random));
    EXPECT_ANY_THROW(noise.build(4096, random));
    std::vector<std::uint8_t> values;
    const std::vector<int> inside{0, 255};
    const std::vector<int> outside{256};
    EXPECT_ANY_THROW(noise.sample(255, random, inside, outside, values));
    EXPECT_ANY_THROW(noise.sample(255, random, std::vector<int>{-1}, inside, values));
}

} // namespace
} // namespace vantor
