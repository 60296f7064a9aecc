#include "city/RandomSource.hpp"

#include <chrono>
#include <ctime>

namespace vantor {

std::uint32_t RandomSource::timeOfDaySeed()
{
    return timeOfDaySeed(std::chrono::system_clock::now());
}

std::uint32_t RandomSource::timeOfDaySeed(std::chrono::system_clock::time_point now)
{
    using namespace std::chrono;
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return seedFromTime(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
}

} // namespace vantor
