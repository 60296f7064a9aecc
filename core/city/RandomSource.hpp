#pragma once
// The one random source of the program: a 32-bit linear congruential
// generator. Every draw first steps seed = seed * 134775813 + 1 (mod 2^32).
//   below(n): the high 32 bits of the 64-bit product seed * n, in [0, n);
//             below(0) yields 0 and still steps the seed.
//   real():   the stepped seed as an unsigned integer times 2^-32, in [0, 1).
// There is no global instance: whoever generates owns one and passes it on,
// so every draw is visible at its call site and a seed replays a whole map.
//
// k steps compose into one affine map: seed -> A_k * seed + C_k (mod 2^32).
// skip(k) applies it in O(log k) by squaring, so a phase whose draw count is
// known can be stepped over and replayed elsewhere from the saved seed.
// Example: skip(2) from seed 0 gives 134775813 * 1 + 1 = 134775814.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vantor {

class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed = 0) noexcept : seed_(seed) {}

    // Seed from the local time of day: ((h * 60 + m) * 60 + s) * 1000 + ms.
    static std::uint32_t timeOfDaySeed();
    // The same for a given clock reading, in the process's local time zone.
    static std::uint32_t timeOfDaySeed(std::chrono::system_clock::time_point now);
    // The seed of a time of day (hour 0..23, minute and second 0..59, millisecond 0..999).
    static constexpr std::uint32_t seedFromTime(int hour, int minute, int second, int millisecond) noexcept
    {
        return static_cast<std::uint32_t>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond);
    }

    void setSeed(std::uint32_t seed) noexcept { seed_ = seed; }
    std::uint32_t seed() const noexcept { return seed_; }

    // Integer draw in [0, n) for n > 0; 0 for n == 0.
    int below(int n) noexcept
    {
        step();
        return static_cast<int>((static_cast<std::int64_t>(seed_) * n) >> 32);
    }

    // Real draw in [0, 1).
    double real() noexcept
    {
        step();
        return static_cast<double>(seed_) * (1.0 / 4294967296.0);
    }

    // Steps the seed k times, as k draws of any kind would, in O(log k).
    void skip(std::uint64_t k) noexcept;

    // Fills `out` with the next out.size() real draws; the same values and
    // the same final seed as calling real() that many times.
    void reals(std::span<double> out) noexcept;

    // The next out.size() draws as bytes: 255 where real() would be above
    // 0.5, else 0; the seed ends as after that many real() calls. This is
    // the noise's control-point draw, batched.
    void aboveHalfBytes(std::span<std::uint8_t> out) noexcept;

    static constexpr std::uint32_t kMultiplier = 134775813u;
    static constexpr std::uint32_t kIncrement = 1u;

private:
    void step() noexcept { seed_ = seed_ * kMultiplier + kIncrement; }

    std::uint32_t seed_;
};

} // namespace vantor
