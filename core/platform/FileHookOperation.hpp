#pragma once
// One numbered operation of the file layer (see FileLayer.hpp), for the
// two sides' implementations. Internal to core/platform/.

#include <string>
#include <string_view>

namespace vantor::fileio::detail {

// Counts the operation, writes it to the test hook's record, and kills,
// holds or fails it as the hook or FileFaults ask; the kill after the
// operation happens when the object is destroyed.
class Operation {
public:
    Operation(const char* kind, std::string_view name);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // True (with errno set) when a test asked this operation to fail.
    bool failed() const;

private:
    long number_ = 0;
    int error_ = 0;
};

// The name a handle was opened with (for the record; empty without one).
std::string handleName(int handle);
// Remembers `name` for the handle (when recording); returns the handle.
int remember(int handle, const char* name);
// The hook's sync=off.
bool syncOff();

} // namespace vantor::fileio::detail
