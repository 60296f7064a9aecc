#pragma once
// The one error type of the core. Its text is what the user is shown: it
// always names the file, option or value at fault.

#include <stdexcept>
#include <string>

namespace vantor {

class VantorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vantor
