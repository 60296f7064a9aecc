// vantor-gui-tests [suite]: runs one suite of window tests, or all of them.

#include "GuiTestSupport.hpp"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <cstring>

int main(int argc, char** argv)
{
    // A test function that hangs (a modal window nobody closes, a wait that
    // never ends) fails after this long, naming itself, instead of after
    // QTest's own five minutes.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(VANTOR_TEST_TIMEOUT_SECONDS * 1000 / 2));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantor");
    QApplication::setOrganizationName("Vantor");
    // The remembered choices go to a folder of the run's own, never the user's.
    const QTemporaryDir settingsDir;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
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
    };
    // A child the stop signal tests start: StopProbe <scenario> <program dir>.
    if (argc == 4 && std::strcmp(argv[1], "StopProbe") == 0)
        return runStopProbe(QString::fromLocal8Bit(argv[2]), argv[3]);
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
