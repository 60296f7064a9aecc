#pragma once
// The five windows of the desktop program in a temporary program directory,
// with message boxes answered from a script.

#include "TestSupport.hpp"
#include "gui/CampaignWizard.hpp"
#include "gui/VantorWindows.hpp"
#include "city/RandomSource.hpp"
#include "shell/MessageBoxes.hpp"
#include "gui/GroundViewer.hpp"
#include "gui/ProgressDialog.hpp"
#include "gui/MainMenu.hpp"

#include <QDialog>
#include <QPushButton>
#include "gui/CityWizard.hpp"

#include <QObject>
#include <QString>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vantor::test {

// Records every box; answers from a queue, then OK (or Yes for questions).
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        Kind kind;
        std::string text;
    };
    Answer show(Kind kind, std::string_view text) override;

    std::deque<Answer> answers;
    std::vector<Shown> shown;
};

enum class DataSetup {
    Full,          // data -> the build's data directory
    None,          // no data directory at all
    WithoutRoadNS, // every data file but data/roadNS.bmp
};

enum class Settings {
    Fresh, // the remembered choices are forgotten first: every test starts from the defaults
    Kept,  // what an earlier TestProgram remembered stays: a new run of the program
};

// The windows, created in the program's order.
class TestProgram {
public:
    explicit TestProgram(std::string_view configIni = {}, DataSetup data = DataSetup::Full,
                         Settings settings = Settings::Fresh);
    ~TestProgram();

    TempDir dir;
    ScriptedMessageBoxes boxes;
    RandomSource random;
    std::unique_ptr<VantorWindows> windows; // created after the data directory is laid out
    MainMenu* menu = nullptr;
    CityWizard* editor = nullptr;
    GroundViewer* ground = nullptr;
    ProgressDialog* progress = nullptr;
    CampaignWizard* campaign = nullptr;
};

// A named child widget of a window; fails the test when missing.
template <typename T>
T* child(QObject* window, const char* name)
{
    T* found = window->findChild<T*>(name);
    if (found == nullptr)
        qFatal("no control %s", name);
    return found;
}

// Clicks Next until the wizard shows `step`; the steps with work do it on the
// way. A click that does not move the wizard on (its work failed and left Next
// disabled, or a question sent it back) stops the test at once, naming the
// step and the last message shown, instead of clicking for ever.
template <typename Wizard>
void goToStep(Wizard* wizard, int step, const ScriptedMessageBoxes* boxes = nullptr)
{
    while (wizard->wizardStep() < step) {
        const int before = wizard->wizardStep();
        child<QPushButton>(wizard, "ButtonNext")->click();
        if (wizard->wizardStep() <= before)
            qFatal("Next did not leave step %d; last message: %s", before,
                   boxes == nullptr || boxes->shown.empty() ? "none" : boxes->shown.back().text.c_str());
    }
}

// Presses a button that closes the modal window it sits on. A window the
// press leaves open is closed here, so that the test goes on to fail its
// checks at once rather than wait in the window's event loop for ever.
inline bool closesItsWindow(QDialog* window, QAbstractButton* button)
{
    button->click();
    if (!window->isVisible())
        return true;
    window->reject();
    return false;
}

// The longest a test waits for a window event or a started program, in ms.
inline constexpr int kWaitMs = VANTOR_TEST_TIMEOUT_SECONDS * 1000 / 3;

} // namespace vantor::test

// Each suite's entry point; argc/argv are passed on to QTest.
int runMainMenuTest(int argc, char** argv);
int runCityEditorTest(int argc, char** argv);
int runProgressGroundTest(int argc, char** argv);
int runCampaignEditorTest(int argc, char** argv);
int runProgramRootTest(int argc, char** argv);
int runCaptionsTest(int argc, char** argv);
int runUsabilityTest(int argc, char** argv);
int runControlMappingTest(int argc, char** argv);
int runStopSignalsTest(int argc, char** argv);
// The program led to one message box, stopped by the signal the test sends.
int runStopProbe(const QString& scenario, const std::filesystem::path& dir);
