#include "city/NoiseTexture.hpp"
#include "city/RandomSource.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <vector>

namespace vantor {
namespace {

std::uint32_t stepped(std::uint32_t seed, std::uint64_t k)
{
    RandomSource random(seed);
    for (std::uint64_t i = 0; i < k; ++i)
        random.real();
    return random.seed();
}

// skip(k) lands where k single draws land, for counts of every shape:
// 0, 1, powers of two and their neighbours, the noise's own counts.
TEST(RandomSourceSkip, EqualsThatManySingleSteps)
{
    const std::uint64_t counts[] = {0, 1, 2, 3, 7, 8, 9, 15, 16, 17, 255, 256, 1000, 4095, 65535, 65536, 87376, 349504, 1398016};
    for (const std::uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu, 2863311530u}) {
        for (const std::uint64_t k : counts) {
            RandomSource random(seed);
            random.skip(k);
            EXPECT_EQ(random.seed(), stepped(seed, k)) << "seed " << seed << ", k " << k;
        }
    }
}

// The generator has period 2^32 (an odd increment and a multiplier of the
// form 4m + 1), so 2^32 - 1 steps are one step back and 2^32 steps are none.
TEST(RandomSourceSkip, WrapsWithThePeriod)
{
    for (const std::uint32_t seed : {0u, 99u, 0x80000000u, 0xFFFFFFFFu}) {
        RandomSource back(seed);
        back.skip(0xFFFFFFFFull);
        RandomSource forward(back.seed());
        forward.real();
        EXPECT_EQ(forward.seed(), seed) << seed;
        EXPECT_NE(back.seed(), seed);

        RandomSource whole(seed);
        whole.skip(0x100000000ull);
        EXPECT_EQ(whole.seed(), seed);
    }
    // Skips compose: a + b steps in two jumps equal one jump.
    RandomSource two(7);
    two.skip(123456789);
    two.skip(0xFFFFFFFFull - 123456789);
    RandomSource one(7);
    one.skip(0xFFFFFFFFull);
    EXPECT_EQ(two.seed(), one.seed());
}

// Batched draws give the values and the final seed of single draws, for
// lengths around the batch width.
TEST(RandomSourceBatch, EqualsSingleDraws)
{
    for (const std::uint32_t seed : {3u, 4000000000u}) {
        for (std::size_t length = 0; length <= 40; ++length) {
            RandomSource single(seed);
            std::vector<double> expectedReals(length);
            std::vector<std::uint8_t> expectedBytes(length);
            for (std::size_t i = 0; i < length; ++i) {
                expectedReals[i] = single.real();
                expectedBytes[i] = expectedReals[i] > 0.5 ? 255 : 0;
            }

            RandomSource batchReals(seed);
            std::vector<double> reals(length);
            batchReals.reals(reals);
            EXPECT_EQ(reals, expectedReals) << "length " << length;
            EXPECT_EQ(batchReals.seed(), single.seed());

            RandomSource batchBytes(seed);
            std::vector<std::uint8_t> bytes(length);
            batchBytes.aboveHalfBytes(bytes);
            EXPECT_EQ(bytes, expectedBytes) << "length " << length;
            EXPECT_EQ(batchBytes.seed(), single.seed());
        }
    }
}

// A draw of exactly 0.5 (seed 2^31) is not above one half.
TEST(RandomSourceBatch, ExactlyOneHalfGivesZero)
{
    // The seed whose next step is 2^31: (2^31 - 1) / 134775813 mod 2^32.
    RandomSource back(0x80000000u);
    back.skip(0xFFFFFFFFull);
    RandomSource single(back.seed());
    EXPECT_EQ(single.real(), 0.5);
    RandomSource batch(back.seed());
    std::uint8_t byte = 1;
    batch.aboveHalfBytes(std::span(&byte, 1));
    EXPECT_EQ(byte, 0);
}

// ---- The noise picture against a literal reading of its definition -------

// Eight full layers, nearest enlargement overwritten by the bilinear pass,
// later rectangles writing shared edges last, then the blend.
std::vector<std::uint8_t> literalNoise(int N, RandomSource& random)
{
    const auto side = static_cast<std::size_t>(N + 1);
    std::vector<std::vector<std::uint8_t>> grid(8), layer(8, std::vector<std::uint8_t>(side * side, 0));
    for (int k = 0; k < 8; ++k) {
        const int n = N >> k;
        grid[k].assign(static_cast<std::size_t>(n + 1) * (n + 1), 0);
        if (k == 7)
            continue;
        for (int x = 0; x <= n; ++x)
            for (int y = 0; y <= n; ++y) {
                const double r = random.real();
                std::uint8_t v = r > 0.5 ? 255 : 0;
                if (x == 0 || x == n || y == 0 || y == n)
                    v = 0;
                grid[k][static_cast<std::size_t>(x) * (n + 1) + y] = v;
            }
    }
    for (int k = 1; k < 8; ++k) {
        const int n = N >> k;
        auto g = [&](int x, int y) { return static_cast<std::uint32_t>(grid[k][static_cast<std::size_t>(x) * (n + 1) + y]); };
        auto& L = layer[k];
        for (int x = 0; x <= N; ++x)
            for (int y = 0; y <= N; ++y)
                L[static_cast<std::size_t>(x) * side + y] = static_cast<std::uint8_t>(g(x >> k, y >> k));
        const int s = n;
        const float scale = static_cast<float>(static_cast<double>(N) / s);
        auto R = [](double v) { return static_cast<int>(std::nearbyint(v)); };
        for (int a = 0; a < s; ++a)
            for (int b = 0; b < s; ++b) {
                const int left = R(b * static_cast<double>(scale)), top = R(a * static_cast<double>(scale));
                const int right = R(b * static_cast<double>(scale) + scale), bottom = R(a * static_cast<double>(scale) + scale);
                const std::uint32_t w = right - left, h = bottom - top, area = w * h;
                for (std::uint32_t dy = 0; dy <= h; ++dy)
                    for (std::uint32_t dx = 0; dx <= w; ++dx) {
                        const std::uint32_t v = g(b, a) * (h - dy) * (w - dx) / area + g(b + 1, a) * (h - dy) * dx / area +
                                                g(b, a + 1) * dy * (w - dx) / area + g(b + 1, a + 1) * dy * dx / area;
                        const int px = left + static_cast<int>(dx), py = top + static_cast<int>(dy);
                        if (px <= N && py <= N)
                            L[static_cast<std::size_t>(px) * side + py] = static_cast<std::uint8_t>(v);
                    }
            }
    }
    std::vector<std::uint8_t> out(side * side);
    for (int y = 0; y <= N; ++y)
        for (int x = 0; x <= N; ++x) {
            unsigned v = layer[0][static_cast<std::size_t>(x) * side + y];
            for (int k = 1; k < 8; ++k)
                v = (127u * layer[k][static_cast<std::size_t>(x) * side + y] + 128u * v) >> 8;
            out[static_cast<std::size_t>(y) * side + x] = static_cast<std::uint8_t>(v);
        }
    return out;
}

// Every thread count gives the literal picture and the literal draw count,
// for the city sizes and sizes whose rectangles round unevenly.
TEST(NoiseTextureThreads, MatchesTheLiteralDefinitionForEveryThreadCount)
{
    for (const int N : {128, 200, 255, 333, 511, 777, 1023}) {
        for (const std::uint32_t seed : {1u, 2024u}) {
            RandomSource literal(seed);
            const std::vector<std::uint8_t> expected = literalNoise(N, literal);
            std::uint64_t draws = 0;
            for (int k = 0; k < 7; ++k)
                draws += static_cast<std::uint64_t>((N >> k) + 1) * static_cast<std::uint64_t>((N >> k) + 1);
            EXPECT_EQ(NoiseTexture::drawCount(N), draws);
            for (const int threads : {1, 2, 3}) {
                RandomSource random(seed);
                NoiseTexture noise;
                noise.setThreadCount(threads);
                const GreyPicture picture = noise.build(N, random);
                EXPECT_TRUE(std::equal(picture.values.begin(), picture.values.end(), expected.begin(), expected.end()))
                    << "N " << N << ", seed " << seed << ", threads " << threads;
                EXPECT_EQ(random.seed(), literal.seed()) << "N " << N << ", threads " << threads;
            }
        }
    }
}

} // namespace
} // namespace vantor
