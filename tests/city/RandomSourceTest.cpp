#include "city/RandomSource.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

// Values worked out by hand from seed * 134775813 + 1 (mod 2^32).
TEST(RandomSource, IntegerAndRealDrawsFollowTheGenerator)
{
    RandomSource random(12345);
    const int ranges[] = {100, 100, 100, 7, 0, 1000000};
    const int expected[] = {38, 28, 7, 3, 0, 341599};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(random.below(ranges[k]), expected[k]) << "draw " << k;
    EXPECT_DOUBLE_EQ(random.real(), 1889648464.0 / 4294967296.0);
    EXPECT_EQ(random.seed(), 1889648464u);
    EXPECT_DOUBLE_EQ(random.real(), 340655249.0 / 4294967296.0);
}

TEST(RandomSource, DrawsStayInRangeAndZeroStillSteps)
{
    RandomSource random(0);
    random.below(0);
    EXPECT_EQ(random.seed(), 1u);
    for (int k = 0; k < 10000; ++k) {
        const int v = random.below(7);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 7);
        const double r = random.real();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST(RandomSource, TimeOfDaySeedIsWithinADay)
{
    EXPECT_LT(RandomSource::timeOfDaySeed(), 24u * 60 * 60 * 1000);
}

} // namespace
} // namespace vantor
