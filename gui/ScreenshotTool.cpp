// vantor-screenshots <output dir> [Eng|Cze]: renders the main menu, every
// step of the single-mission and campaign wizards and the progress dialog
// to PNG files, for the documentation. Runs without a display (QT_QPA_PLATFORM=offscreen).
// The windows work in a temporary program directory whose data/ points at
// the build's data directory.

#include "gui/VantorWindows.hpp"
#include "city/RandomSource.hpp"
#include "shell/MessageBoxes.hpp"
#include "gui/GroundViewer.hpp"
#include "gui/ProgressDialog.hpp"
#include "gui/MainMenu.hpp"
#include "gui/CityWizard.hpp"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// Boxes are printed, never shown.
class PrintedMessageBoxes final : public vantor::MessageBoxes {
public:
    Answer show(Kind, std::string_view text) override
    {
        std::fprintf(stderr, "vantor-screenshots: %.*s\n", static_cast<int>(text.size()), text.data());
        return Answer::Ok;
    }
};

bool save(QWidget& window, const std::filesystem::path& file)
{
    if (!window.grab().save(QString::fromStdString(file.string()), "PNG")) {
        std::fprintf(stderr, "vantor-screenshots: cannot write %s\n", file.c_str());
        return false;
    }
    std::printf("%s\n", file.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vantor-screenshots <output dir> [Eng|Cze]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantor");
    QApplication::setOrganizationName("Vantor");
    // The windows show their defaults, never the choices a player remembered.
    const QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    const std::filesystem::path out = std::filesystem::absolute(argv[1]);
    const std::string language = argc > 2 ? argv[2] : "Eng";
    std::filesystem::create_directories(out);

    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("vantor-screenshots-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root);
    std::filesystem::create_directory_symlink(std::filesystem::path(VANTOR_BIN_DIR) / "data", root / "data");
    std::ofstream(root / "config.ini") << "[General]\r\nLanguage=" << language << "\r\n";

    int failures = 0;
    {
        vantor::RandomSource random;
        PrintedMessageBoxes boxes;
        VantorWindows windows(random, boxes, root);
        MainMenu& menu = windows.menu;
        CityWizard& editor = windows.cityEditor;
        CampaignWizard& campaign = windows.campaignEditor;
        ProgressDialog& progress = windows.progress;
        random.setSeed(1); // the same pictures on every run

        const std::string suffix = language == "Cze" ? "-cze" : "";
        failures += !save(menu, out / ("main-menu" + suffix + ".png"));
        editor.show();
        random.setSeed(1);
        for (int step = 1; step <= 9; ++step) {
            if (step > 1)
                editor.findChild<QPushButton*>("ButtonNext")->click();
            failures += !save(editor, out / ("wizard-step" + std::to_string(step) + suffix + ".png"));
        }
        editor.close();

        // The campaign wizard's four steps; step 4 writes a whole campaign
        // into the temporary directory.
        campaign.show();
        random.setSeed(1);
        for (int step = 1; step <= 4; ++step) {
            if (step > 1)
                campaign.findChild<QPushButton*>("ButtonNext")->click();
            failures += !save(campaign, out / ("campaign-step" + std::to_string(step) + suffix + ".png"));
        }
        campaign.close();

        progress.showWork(nullptr, language == "Cze" ? vantor::Language::Czech : vantor::Language::English);
        progress.setTask(language == "Cze" ? "Právě generuji: SingleCity" : "Current task: generating SingleCity");
        progress.setTaskProgress(60);
        failures += !save(progress, out / ("progress" + suffix + ".png"));
        progress.closeWork();
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return failures == 0 ? 0 : 1;
}
