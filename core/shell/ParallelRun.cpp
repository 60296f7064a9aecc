#include "shell/ParallelRun.hpp"

#include <algorithm>

namespace vantor {

int pictureThreads() noexcept
{
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 2u));
}

} // namespace vantor
