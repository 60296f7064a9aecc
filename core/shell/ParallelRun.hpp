#pragma once
// Runs task(0) .. task(count - 1) at once: task 0 on the calling thread, the
// others on threads of their own, and returns when all have ended. The first
// exception a task throws (in task order) is rethrown after every task has
// ended. count <= 1 runs task(0) alone on the calling thread, with no thread.
//
// For the few large, independent pieces of one picture (two bands of rows,
// two runs of random draws); a thread costs tens of microseconds to start,
// so the pieces should take at least a millisecond.

#include <exception>
#include <thread>
#include <vector>

namespace vantor {

template <typename Task>
void runInParallel(int count, Task&& task)
{
    if (count <= 1) {
        task(0);
        return;
    }
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(count));
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(count - 1));
    for (int index = 1; index < count; ++index)
        threads.emplace_back([&task, &failures, index] {
            try {
                task(index);
            } catch (...) {
                failures[static_cast<std::size_t>(index)] = std::current_exception();
            }
        });
    try {
        task(0);
    } catch (...) {
        failures[0] = std::current_exception();
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

// Threads worth using on this machine for one picture: the cores, 1..2.
// Two bands already halve a picture; more threads than that gain little on
// pictures of at most 1024 rows.
int pictureThreads() noexcept;

} // namespace vantor
