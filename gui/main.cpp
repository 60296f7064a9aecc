// vantor: the desktop program. Reads its own options (--help, --version,
// --root DIR) before Qt starts, so they work without a display; finds the
// game folder (asking the player on the first start) and the data; creates
// the five windows in order (main menu, city editor, ground viewer, progress
// dialog, campaign wizard), again whenever the player changes the folder,
// and runs the event loop until the main menu closes or a stop signal
// (SIGINT, SIGTERM, SIGHUP) has stopped the work.

#include "city/RandomSource.hpp"
#include "gui/DesktopProgram.hpp"
#include "gui/ProgramOptions.hpp"
#include "gui/QtMessageBoxes.hpp"
#include "gui/StopSignals.hpp"
#include "gui/VantorWindows.hpp"
#include "shell/ProgramPaths.hpp"
#include "VantorBuildInfo.hpp"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <memory>
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
    QApplication::setOrganizationName("Vantor"); // QSettings: ~/.config/Vantor/Vantor.conf
    QApplication::setApplicationName("Vantor");
    QApplication::setApplicationVersion(VANTOR_VERSION);
    // The installed menu entry and icon (share/applications, share/icons), so
    // that the desktop and the About box show Vantor's own icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vantor.Vantor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.vantor.Vantor")));
    QtMessageBoxes boxes;
    // From here on SIGINT, SIGTERM and SIGHUP stop the program cleanly.
    StopSignals stopSignals;

    // Arguments Qt did not take either are a mistake of the user.
    const QStringList rest = QCoreApplication::arguments();
    if (rest.size() > 1) {
        std::fprintf(stderr, "vantor: %s: unknown argument (see 'vantor --help')\n", qPrintable(rest[1]));
        return kExitUsage;
    }

    // The one random source of the program, handed to whoever draws from it.
    vantor::RandomSource random;
    DialogFolderPrompts prompts;
    DesktopProgram program(random, boxes, prompts, vantor::ProgramPaths::processInputs(options->root, argv[0]));
    // Stopping on a signal follows the windows when the game folder changes.
    std::unique_ptr<StopOnSignal> stopOnSignal;
    bool opened = false;
    program.onWindowsOpened = [&](VantorWindows& windows) {
        stopOnSignal = std::make_unique<StopOnSignal>(stopSignals, windows, [&boxes] { boxes.dismiss(); },
                                                      [](int status) { QCoreApplication::exit(status); });
        if (opened)
            std::fprintf(stderr, "vantor: Game folder %s (chosen in the main menu)\n",
                         program.paths().root().string().c_str());
        else
            std::fprintf(stderr, "vantor: %s\n", program.paths().rootDescription().c_str());
        std::fprintf(stderr, "vantor: %s\n", program.paths().dataDescription().c_str());
        opened = true;
    };
    // A stop signal before the windows exist (while the first start's
    // question is open, say) ends the program at once (StopSignals): no
    // work runs yet and nothing has been remembered.
    try {
        program.start();
    } catch (const vantor::ProgramPathsError& e) {
        std::fprintf(stderr, "vantor: %s\n", e.what());
        boxes.error(e.what());
        return e.usage() ? kExitUsage : 1;
    }
    // Stopped while start-up's own box (a folder that cannot be written) was open.
    if (stopOnSignal->exitStatus() != 0)
        return stopOnSignal->exitStatus();
    program.windows().menu.show();
    const int status = QApplication::exec();
    // A stop signal ends the program with 128 + its number, once the work stopped.
    return stopOnSignal->exitStatus() != 0 ? stopOnSignal->exitStatus() : status;
}
