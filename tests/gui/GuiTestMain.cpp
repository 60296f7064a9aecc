// vantor-gui-tests [suite]: runs one suite of window tests, or all of them.

#include "GuiTestSupport.hpp"

#include <QApplication>
#include <QSettings>

#include <cstring>

int main(int argc, char** argv)
{
    // A test function that hangs (a modal window nobody closes, a wait that
    // never ends) fails after this long, naming itself, instead of after
    // QTest's own five minutes.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(VANTOR_TEST_TIMEOUT_SECONDS * 1000 / 2));
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Vantor");
    QApplication::setApplicationName("Vantor");
    // Remembered settings go to a folder of this run, never the user's.
    const vantor::test::TempDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(settings.path().string()));
    struct Suite {
        const char* name;
        int (*run)(int, char**);
    };
    const Suite suites[] = {
        {"MainMenuTest", runMainMenuTest},
        {"CityEditorTest", runCityEditorTest},
        {"ProgressGroundTest", runProgressGroundTest},
        {"CampaignEditorTest", runCampaignEditorTest},
        {"ProgramRootTest", runProgramRootTest},
        {"CaptionsTest", runCaptionsTest},
        {"UsabilityTest", runUsabilityTest},
        {"ControlMappingTest", runControlMappingTest},
        {"StopSignalsTest", runStopSignalsTest},
        {"GameFolderTest", runGameFolderTest},
    };
    const char* only = argc > 1 ? argv[1] : nullptr;
    // QTest sees the program name only, plus anything after the suite name.
    std::vector<char*> args{argv[0]};
    for (int i = 2; i < argc; ++i)
        args.push_back(argv[i]);
    int failures = 0;
    for (const Suite& suite : suites)
        if (only == nullptr || std::strcmp(only, suite.name) == 0)
            failures += suite.run(static_cast<int>(args.size()), args.data());
    return failures == 0 ? 0 : 1;
}
