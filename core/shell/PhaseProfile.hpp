#pragma once
// Where a run spends its time and its fresh memory, for judging a change to
// the program's speed: with VANTOR_PROFILE=1 in the environment, every
// phase the program passes prints one line on standard error, the time the
// phase took and the page faults it caused (minor: fresh or shared memory
// mapped in; major: read from disk), e.g.
//   profile: catalogue       0.31 ms   minor faults    42   major 0
// Without the variable nothing is measured or printed. Called from one
// thread at a time (the program's main thread).

#include <string_view>

namespace vantor {

class PhaseProfile {
public:
    // Whether VANTOR_PROFILE=1 was set when the program started.
    static bool enabled() noexcept;
    // Ends the phase named `phase` and prints its line. A phase begins where
    // the previous one ended; the first one's time counts from the first
    // call, its faults from the process's start (the program's loading).
    static void phaseDone(std::string_view phase);
};

} // namespace vantor
