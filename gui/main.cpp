// vantor: the desktop program. Reads its own options (--help, --version,
// --root DIR) before Qt starts, so they work without a display; finds the
// program directory and the data; creates the five windows once, in order
// (main menu, city editor, ground viewer, progress dialog, campaign wizard),
// and runs the event loop until the main menu closes.

#include "city/RandomSource.hpp"
#include "gui/QtMessageBoxes.hpp"
#include "gui/VantorWindows.hpp"
#include "shell/ProgramPaths.hpp"
#include "VantorBuildInfo.hpp"

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr int kExitUsage = 2;

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
    "VANTOR_ROOT, else the directory of vantor when data/ is beside it, else\n"
    "$XDG_DATA_HOME/vantor (default ~/.local/share/vantor, created when missing).\n"
    "The pictures come from DIR/data when it holds every file, otherwise from the\n"
    "data installed with Vantor (<prefix>/share/vantor/data). Two lines on\n"
    "standard error say which directory and which data are used.\n"
    "\n"
    "Exit status: 0 closed, 1 the program directory cannot be used, 2 bad\n"
    "arguments.\n";

struct Options {
    bool help = false;
    bool version = false;
    std::optional<std::filesystem::path> root;
    std::vector<char*> qtArguments; // argv without the options read here
};

// Reads --help, --version and --root DIR (or --root=DIR); every other
// argument is left for QApplication. Returns false with a message on error.
bool readOptions(int argc, char** argv, Options& options)
{
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
                    std::fputs("vantor: --root: missing value (see 'vantor --help')\n", stderr);
                    return false;
                }
                value = argv[++k];
            } else {
                value = arg.substr(7);
            }
            if (value.empty()) {
                std::fputs("vantor: --root: expected a directory\n", stderr);
                return false;
            }
            options.root = std::filesystem::path(value);
        } else {
            options.qtArguments.push_back(argv[k]);
        }
    }
    options.qtArguments.push_back(nullptr);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!readOptions(argc, argv, options))
        return kExitUsage;
    if (options.help) {
        std::fputs(kHelpText, stdout);
        return 0;
    }
    if (options.version) {
        std::fputs("vantor " VANTOR_VERSION "\n", stdout);
        return 0;
    }

    int qtArgc = static_cast<int>(options.qtArguments.size()) - 1;
    QApplication app(qtArgc, options.qtArguments.data());
    QApplication::setApplicationName("Vantor");
    QApplication::setApplicationVersion(VANTOR_VERSION);
    QtMessageBoxes boxes;

    // Arguments Qt did not take either are a mistake of the user.
    const QStringList rest = QCoreApplication::arguments();
    if (rest.size() > 1) {
        std::fprintf(stderr, "vantor: %s: unknown argument (see 'vantor --help')\n", qPrintable(rest[1]));
        return kExitUsage;
    }

    std::optional<vantor::ProgramPaths> paths;
    try {
        paths = vantor::ProgramPaths::resolve(vantor::ProgramPaths::processInputs(options.root, argv[0]));
    } catch (const vantor::ProgramPathsError& e) {
        std::fprintf(stderr, "vantor: %s\n", e.what());
        boxes.error(e.what());
        return e.usage() ? kExitUsage : 1;
    }
    std::fprintf(stderr, "vantor: %s\nvantor: %s\n", paths->rootDescription().c_str(),
                 paths->dataDescription().c_str());

    // The one random source of the program, handed to whoever draws from it.
    vantor::RandomSource random;

    VantorWindows windows(random, boxes, *paths);
    windows.menu.show();
    return QApplication::exec();
}
