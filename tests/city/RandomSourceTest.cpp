#include "city/RandomSource.hpp"

#include "ProcessRunner.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

namespace vantor {
namespace {

// Makes the C library read the TZ variable again (tzset; _tzset on Windows,
// whose C runtime reads the same "XST-2" form).
void readTimeZone()
{
#ifdef _WIN32
    ::_tzset();
#else
    ::tzset();
#endif
}

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

TEST(RandomSource, TimeOfDaySeedCountsMillisecondsSinceLocalMidnight)
{
    EXPECT_EQ(RandomSource::seedFromTime(0, 0, 0, 0), 0u);
    EXPECT_EQ(RandomSource::seedFromTime(0, 0, 0, 999), 999u);
    EXPECT_EQ(RandomSource::seedFromTime(0, 0, 59, 0), 59000u);
    EXPECT_EQ(RandomSource::seedFromTime(0, 59, 0, 0), 3540000u);
    EXPECT_EQ(RandomSource::seedFromTime(1, 2, 3, 4), 3723004u);
    EXPECT_EQ(RandomSource::seedFromTime(23, 59, 59, 999), 86399999u);

    // A clock reading of 2026-03-01 10:20:30.456 UTC, read in two time zones.
    const char* previous = std::getenv("TZ");
    const std::string saved = previous != nullptr ? previous : "";
    const auto reading = std::chrono::system_clock::time_point(std::chrono::milliseconds(1772360430456LL));
    const struct {
        const char* zone;
        std::uint32_t seed;
    } zones[] = {{"UTC0", 37230456u}, {"XST-2", 44430456u}, {"YST11", 84030456u}};
    for (const auto& z : zones) {
        test::setEnvironment("TZ", z.zone);
        readTimeZone();
        EXPECT_EQ(RandomSource::timeOfDaySeed(reading), z.seed) << z.zone;
    }
    if (previous != nullptr)
        test::setEnvironment("TZ", saved);
    else
        test::unsetEnvironment("TZ");
    readTimeZone();
}

} // namespace
} // namespace vantor
