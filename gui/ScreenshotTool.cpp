// vantor-screenshots <output dir> [Eng|Cze]: renders the main menu, its
// About box, every step of the single-mission and campaign wizards and the
// progress dialog to PNG files, for the documentation, and (with Eng) the
// first start's game folder question, which speaks both languages. Runs
// without a display (QT_QPA_PLATFORM=offscreen). The windows work in a
// temporary game folder, ~/games/korvane of a temporary home, whose data/
// points at the build's data directory.

#include "gui/VantorWindows.hpp"
#include "city/RandomSource.hpp"
#include "shell/MessageBoxes.hpp"
#include "gui/GroundViewer.hpp"
#include "gui/ProgressDialog.hpp"
#include "gui/MainMenu.hpp"
#include "gui/CityWizard.hpp"
#include "gui/GameFolderQuestion.hpp"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Boxes are printed, never shown; a warning or an error makes the run fail
// (a step that did not work shows nothing worth a picture).
class PrintedMessageBoxes final : public vantor::MessageBoxes {
public:
    Answer show(Kind kind, std::string_view text) override
    {
        std::fprintf(stderr, "vantor-screenshots: %.*s\n", static_cast<int>(text.size()), text.data());
        if (kind == Kind::Warning || kind == Kind::Error)
            ++problems;
        return Answer::Ok;
    }
    int problems = 0;
};

bool save(QWidget& window, const std::filesystem::path& file)
{
    const QString name = QString::fromStdU16String(file.u16string());
    if (!window.grab().save(name, "PNG")) {
        std::fprintf(stderr, "vantor-screenshots: cannot write %s\n", qUtf8Printable(name));
        return false;
    }
    std::printf("%s\n", qUtf8Printable(name));
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
    // A home of its own, so that the folders read the same on every machine.
    const std::filesystem::path top =
        std::filesystem::temp_directory_path() / ("vantor-screenshots-" + std::to_string(QCoreApplication::applicationPid()));
    const std::filesystem::path home = top / "home";
    const std::filesystem::path root = home / "games" / "korvane";
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantor");
    QApplication::setOrganizationName("Vantor");
    // The windows show their defaults, never the choices a player remembered.
    const QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    const std::filesystem::path out = std::filesystem::absolute(argv[1]);
    const std::string language = argc > 2 ? argv[2] : "Eng";
    std::filesystem::create_directories(out);

    std::filesystem::create_directories(root);
    // The built data/, linked where links can be made (Windows lets only
    // privileged programs make them), else copied.
    std::error_code linkError;
    std::filesystem::create_directory_symlink(std::filesystem::path(VANTOR_BIN_DIR) / "data", root / "data", linkError);
    if (linkError)
        std::filesystem::copy(std::filesystem::path(VANTOR_BIN_DIR) / "data", root / "data",
                              std::filesystem::copy_options::recursive);
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
        QMessageBox& about = menu.aboutBox();
        about.show();
        QApplication::processEvents();
        failures += !save(about, out / ("about" + suffix + ".png"));
        about.hide();
        if (language != "Cze") {
            GameFolderQuestion question(home / ".local" / "share" / "vantor", QString());
            question.show();
            QApplication::processEvents();
            failures += !save(question, out / "game-folder-question.png");
        }
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
        failures += boxes.problems;
    }
    // Removed entry by entry, deepest first: Wine's remove_all never returns
    // when one entry stays.
    std::error_code ignored;
    std::vector<std::filesystem::path> names;
    for (std::filesystem::recursive_directory_iterator it(top, ignored), end; !ignored && it != end;
         it.increment(ignored))
        names.push_back(it->path());
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        std::filesystem::remove(*name, ignored);
    std::filesystem::remove(top, ignored);
    return failures == 0 ? 0 : 1;
}
