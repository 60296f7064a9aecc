// vantor: the desktop program. Reads its own options (--help, --version,
// --root DIR) before Qt starts, so they work without a display; finds the
// program directory and the data; creates the five windows once, in order
// (main menu, city editor, ground viewer, progress dialog, campaign wizard),
// and runs the event loop until the main menu closes or a stop signal
// (SIGINT, SIGTERM, SIGHUP) has stopped the work.

#include "city/RandomSource.hpp"
#include "gui/ProgramOptions.hpp"
#include "gui/QtMessageBoxes.hpp"
#include "gui/StopSignals.hpp"
#include "gui/VantorWindows.hpp"
#include "shell/ProgramPaths.hpp"
#include "VantorBuildInfo.hpp"

#include <QApplication>

#include <cstdio>
#include <optional>
#include <string>

namespace {

constexpr int kExitUsage = 2;

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    std::optional<vantor::gui::ProgramOptions> options = vantor::gui::readProgramOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "vantor: %s\n", error.c_str());
        return kExitUsage;
    }
    if (options->help) {
        std::fputs(vantor::gui::kHelpText, stdout);
        return 0;
    }
    if (options->version) {
        std::fputs("vantor " VANTOR_VERSION "\n", stdout);
        return 0;
    }
    int qtArgc = static_cast<int>(options->qtArguments.size()) - 1;
    QApplication app(qtArgc, options->qtArguments.data());
    QApplication::setApplicationName("Vantor");
    QApplication::setApplicationVersion(VANTOR_VERSION);
    QtMessageBoxes boxes;
    // From here on SIGINT, SIGTERM and SIGHUP stop the program cleanly.
    StopSignals stopSignals;

    // Arguments Qt did not take either are a mistake of the user.
    const QStringList rest = QCoreApplication::arguments();
    if (rest.size() > 1) {
        std::fprintf(stderr, "vantor: %s: unknown argument (see 'vantor --help')\n", qPrintable(rest[1]));
        return kExitUsage;
    }

    std::optional<vantor::ProgramPaths> paths;
    try {
        paths = vantor::ProgramPaths::resolve(vantor::ProgramPaths::processInputs(options->root, argv[0]));
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
    StopOnSignal stopOnSignal(stopSignals, windows, [&boxes] { boxes.dismiss(); },
                              [](int status) { QCoreApplication::exit(status); });
    windows.menu.show();
    const int status = QApplication::exec();
    // A stop signal ends the program with 128 + its number, once the work stopped.
    return stopOnSignal.exitStatus() != 0 ? stopOnSignal.exitStatus() : status;
}
