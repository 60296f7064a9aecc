#include "gui/ProgramOptions.hpp"

#include <string_view>

namespace vantor::gui {

const char* const kHelpText =
    "Usage: vantor [--root DIR]\n"
    "\n"
    "Vantor generates maps for Korvane: the desktop program, with a wizard for a\n"
    "single mission and one for a whole campaign. Both write into the atlas\n"
    "directory of the program directory.\n"
    "\n"
    "Options:\n"
    "  --root DIR  program directory: the game's folder, with its config.ini\n"
    "              (Language, and CC, which the game sets when its campaign is\n"
    "              complete) and atlas/\n"
    "  --help      show this text\n"
    "  --version   show the version\n"
    "Qt's own options (for example -platform) are accepted as well.\n"
    "\n"
    "Without --root the program directory is the environment variable\n"
    "VANTOR_ROOT, else the directory of vantor when data/ is beside it, else the\n"
    "game folder chosen in the program (asked on the first start and remembered;\n"
    "the main menu's \"Game folder...\" changes it), else $XDG_DATA_HOME/vantor\n"
    "(default ~/.local/share/vantor, created when missing).\n"
    "The pictures come from DIR/data when it holds every file, otherwise from the\n"
    "data installed with Vantor (<prefix>/share/vantor/data). Two lines on\n"
    "standard error say which directory and which data are used.\n"
    "\n"
    "Exit status: 0 closed, 1 the program directory cannot be used, 2 bad\n"
    "arguments.\n";

std::optional<ProgramOptions> readProgramOptions(int argc, char** argv, std::string& error)
{
    ProgramOptions options;
    options.qtArguments.push_back(argv[0]);
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--root" || arg.starts_with("--root=")) {
            std::string_view value;
            if (arg == "--root") {
                if (k + 1 >= argc) {
                    error = "--root: missing value (see 'vantor --help')";
                    return std::nullopt;
                }
                value = argv[++k];
            } else {
                value = arg.substr(7);
            }
            if (value.empty()) {
                error = "--root: expected a directory";
                return std::nullopt;
            }
            options.root = std::filesystem::path(value);
        } else {
            options.qtArguments.push_back(argv[k]);
        }
    }
    options.qtArguments.push_back(nullptr);
    return options;
}

} // namespace vantor::gui
