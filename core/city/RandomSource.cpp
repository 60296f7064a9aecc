#include "city/RandomSource.hpp"

#include "platform/Platform.hpp"

#include <array>
#include <chrono>
#include <ctime>

namespace vantor {

namespace {

// The affine map of k steps, seed -> a * seed + c (mod 2^32).
struct Affine {
    std::uint32_t a = 1;
    std::uint32_t c = 0;

    // This map after `first`: x -> a * (first.a * x + first.c) + c.
    Affine after(Affine first) const noexcept { return {a * first.a, a * first.c + c}; }
};

Affine stepsMap(std::uint64_t k) noexcept
{
    Affine result;
    Affine power{RandomSource::kMultiplier, RandomSource::kIncrement}; // one step, then squared
    while (k != 0) {
        if (k & 1u)
            result = power.after(result);
        power = power.after(power);
        k >>= 1u;
    }
    return result;
}

// Lanes stepped together: lane l holds the seed after l + 1 steps, and every
// lane advances by kLanes steps at once, which the compiler vectorises.
constexpr std::size_t kLanes = 8;

template <typename Emit>
std::uint32_t drawLanes(std::uint32_t seed, std::size_t count, Emit emit) noexcept
{
    std::array<std::uint32_t, kLanes> lane{};
    std::uint32_t s = seed;
    for (std::size_t l = 0; l < kLanes; ++l) {
        s = s * RandomSource::kMultiplier + RandomSource::kIncrement;
        lane[l] = s;
    }
    const Affine jump = stepsMap(kLanes);
    std::size_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (std::size_t l = 0; l < kLanes; ++l)
            emit(i + l, lane[l]);
        for (std::size_t l = 0; l < kLanes; ++l)
            lane[l] = jump.a * lane[l] + jump.c;
    }
    // The tail: lane l is the seed of draw i + l.
    std::uint32_t last = seed;
    if (i > 0)
        last = stepsMap(i).a * seed + stepsMap(i).c;
    for (std::size_t l = 0; i + l < count; ++l) {
        emit(i + l, lane[l]);
        last = lane[l];
    }
    return last;
}

} // namespace

std::uint32_t RandomSource::timeOfDaySeed()
{
    return timeOfDaySeed(std::chrono::system_clock::now());
}

std::uint32_t RandomSource::timeOfDaySeed(std::chrono::system_clock::time_point now)
{
    using namespace std::chrono;
    const std::time_t t = system_clock::to_time_t(now);
    const std::tm local = platform::localTime(t);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return seedFromTime(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
}

void RandomSource::skip(std::uint64_t k) noexcept
{
    const Affine map = stepsMap(k);
    seed_ = map.a * seed_ + map.c;
}

void RandomSource::reals(std::span<double> out) noexcept
{
    double* data = out.data();
    seed_ = drawLanes(seed_, out.size(),
                      [data](std::size_t i, std::uint32_t s) { data[i] = static_cast<double>(s) * (1.0 / 4294967296.0); });
}

void RandomSource::aboveHalfBytes(std::span<std::uint8_t> out) noexcept
{
    // real() > 0.5 exactly when the stepped seed is above 2^31.
    std::uint8_t* data = out.data();
    seed_ = drawLanes(seed_, out.size(), [data](std::size_t i, std::uint32_t s) {
        data[i] = s > 0x80000000u ? std::uint8_t{255} : std::uint8_t{0};
    });
}

} // namespace vantor
