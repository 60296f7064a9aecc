#pragma once
// The desktop program's own command-line options, read before Qt starts so
// that --help and --version work without a display: --help, --version and
// --root DIR (or --root=DIR). Every other argument is left for QApplication
// (Qt's own options such as -platform).

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantor::gui {

extern const char* const kHelpText;

struct ProgramOptions {
    bool help = false;
    bool version = false;
    std::optional<std::filesystem::path> root;
    std::vector<char*> qtArguments; // argv without the options read here, ending in nullptr
};

// Reads argv; returns the options, or an error text naming the option
// ("--root: missing value ...") in `error` and nullopt.
std::optional<ProgramOptions> readProgramOptions(int argc, char** argv, std::string& error);

} // namespace vantor::gui
