#pragma once
// Where generation and saving report progress: the progress dialog in the
// desktop program, standard error in the command-line tool, nothing in tests.

#include <string_view>

namespace vantor {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // The task line, e.g. "Current task: generating SingleCity".
    virtual void setTask(std::string_view text) = 0;
    // The task bar, 0..100.
    virtual void setTaskProgress(int percent) = 0;
    // Lets a user interface process pending events.
    virtual void pump() = 0;
};

class NullProgressSink final : public ProgressSink {
public:
    void setTask(std::string_view) override {}
    void setTaskProgress(int) override {}
    void pump() override {}
};

} // namespace vantor
