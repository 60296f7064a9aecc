#include "shell/PhaseProfile.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Platform.hpp"

namespace vantor {

namespace {

struct Faults {
    long minor = 0;
    long major = 0;
};

// The faults of the whole process (every thread) so far; none counted
// where the system does not say (Windows counts them all as minor).
Faults processFaults() noexcept
{
    Faults faults;
    if (!platform::processFaults(faults.minor, faults.major))
        return {};
    return faults;
}

struct State {
    bool enabled = false;
    std::chrono::steady_clock::time_point last;
    Faults faults;
};

State& state() noexcept
{
    static State s = [] {
        State init;
        const char* value = std::getenv("VANTOR_PROFILE");
        init.enabled = value != nullptr && std::strcmp(value, "1") == 0;
        init.last = std::chrono::steady_clock::now();
        return init;
    }();
    return s;
}

} // namespace

bool PhaseProfile::enabled() noexcept
{
    return state().enabled;
}

void PhaseProfile::phaseDone(std::string_view phase)
{
    State& s = state();
    if (!s.enabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    const Faults faults = processFaults();
    const double ms = std::chrono::duration<double, std::milli>(now - s.last).count();
    std::fprintf(stderr, "profile: %-16.*s %8.2f ms   minor faults %6ld   major %ld\n", static_cast<int>(phase.size()),
                 phase.data(), ms, faults.minor - s.faults.minor, faults.major - s.faults.major);
    s.last = now;
    s.faults = faults;
}

} // namespace vantor
