#include "city/NoiseTexture.hpp"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(NoiseTexture, SameSeedGivesTheSamePicture)
{
    RandomSource a(99);
    RandomSource b(99);
    NoiseTexture noise;
    EXPECT_EQ(noise.build(255, a).values, noise.build(255, b).values);
}

TEST(NoiseTexture, RefusesSizesOutsideTheCityRange)
{
    RandomSource random(1);
    NoiseTexture noise;
    EXPECT_ANY_THROW(noise.build(100, random));
    EXPECT_ANY_THROW(noise.build(4096, random));
}

} // namespace
} // namespace vantor
