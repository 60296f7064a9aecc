// `vantor --root DIR` and VANTOR_ROOT: the desktop program's options are
// read, the program directory resolved, and the windows open on DIR (its
// config.ini's language, atlas/ written there), the data taken from DIR/data
// when complete and from beside the program otherwise.

#include "GuiTestSupport.hpp"
#include "gui/ProgramOptions.hpp"
#include "shell/ProgramPaths.hpp"

#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>

using namespace vantor;
using namespace vantor::test;

class ProgramRootTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheNamedDirectory_data();
    void opensOnTheNamedDirectory();
    void badRootOptions_data();
    void badRootOptions();
};

namespace {

// "DIR" in an argument stands for the game folder, "OTHER" for a second one.
std::vector<std::string> substitute(const QStringList& words, const std::filesystem::path& dir,
                                    const std::filesystem::path& other)
{
    std::vector<std::string> out;
    for (QString word : words)
        out.push_back(word.replace("OTHER", QString::fromStdString(other.string()))
                          .replace("DIR", QString::fromStdString(dir.string()))
                          .toStdString());
    return out;
}

} // namespace

void ProgramRootTest::opensOnTheNamedDirectory_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("variable"); // VANTOR_ROOT, empty for unset
    QTest::addColumn<bool>("gameData");    // DIR/data holds a complete catalogue
    QTest::addColumn<QStringList>("qtArgs");

    QTest::newRow("--root DIR") << QStringList{"--root", "DIR"} << "" << false << QStringList{};
    QTest::newRow("--root=DIR") << QStringList{"--root=DIR"} << "" << false << QStringList{};
    QTest::newRow("VANTOR_ROOT") << QStringList{} << "DIR" << false << QStringList{};
    QTest::newRow("--root beats VANTOR_ROOT") << QStringList{"--root", "DIR"} << "OTHER" << false << QStringList{};
    QTest::newRow("the game's own data") << QStringList{"--root", "DIR"} << "" << true << QStringList{};
    QTest::newRow("Qt's options left for Qt")
        << QStringList{"-platform", "offscreen", "--root", "DIR", "-style", "fusion"} << "" << false
        << QStringList{"-platform", "offscreen", "-style", "fusion"};
}

void ProgramRootTest::opensOnTheNamedDirectory()
{
    QFETCH(QStringList, args);
    QFETCH(QString, variable);
    QFETCH(bool, gameData);
    QFETCH(QStringList, qtArgs);

    TempDir game;
    TempDir other;
    writeFile(game.path() / "config.ini", "[General]\r\nLanguage=Cze\r\nCC=1\r\n");
    writeFile(other.path() / "config.ini", "[General]\r\nLanguage=Eng\r\n");
    if (gameData)
        linkData(game.path());

    std::vector<std::string> words{"vantor"};
    for (std::string& word : substitute(args, game.path(), other.path()))
        words.push_back(std::move(word));
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    std::string error;
    const std::optional<gui::ProgramOptions> options =
        gui::readProgramOptions(static_cast<int>(argv.size()), argv.data(), error);
    QVERIFY2(options.has_value(), error.c_str());
    QVERIFY(!options->help && !options->version);
    std::vector<std::string> passedOn;
    for (char* word : options->qtArguments)
        if (word != nullptr)
            passedOn.emplace_back(word);
    std::vector<std::string> expected{"vantor"};
    for (std::string& word : substitute(qtArgs, game.path(), other.path()))
        expected.push_back(std::move(word));
    QCOMPARE(passedOn, expected);
    QCOMPARE(options->qtArguments.back(), nullptr);

    // The program itself sits in the build's bin/, with its data beside it.
    ProgramPaths::Inputs inputs;
    inputs.rootOption = options->root;
    if (!variable.isEmpty())
        inputs.rootVariable = substitute({variable}, game.path(), other.path()).front();
    inputs.executableDir = VANTOR_BIN_DIR;
    const ProgramPaths paths = ProgramPaths::resolve(inputs);

    ScriptedMessageBoxes boxes;
    RandomSource random;
    VantorWindows windows(random, boxes, paths);
    QVERIFY(boxes.shown.empty());
    QCOMPARE(windows.menu.programDir(), std::filesystem::absolute(game.path()).lexically_normal());
    QCOMPARE(windows.menu.dataHome(), gameData ? windows.menu.programDir()
                                               : std::filesystem::path(VANTOR_BIN_DIR).lexically_normal());
    QVERIFY(windows.menu.catalogue().complete());
    // DIR's config.ini: Czech and a completed campaign.
    QCOMPARE(child<QPushButton>(&windows.menu, "ButtonExit")->text(), QString("K&onec"));
    QVERIFY(windows.menu.campaignCompleted());
}

void ProgramRootTest::badRootOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("--root without a value") << QStringList{"--root"};
    QTest::newRow("--root= empty") << QStringList{"--root="};
    QTest::newRow("--root '' ") << QStringList{"--root", ""};
}

void ProgramRootTest::badRootOptions()
{
    QFETCH(QStringList, args);
    std::vector<std::string> words{"vantor"};
    for (const QString& arg : args)
        words.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    std::string error;
    QVERIFY(!gui::readProgramOptions(static_cast<int>(argv.size()), argv.data(), error).has_value());
    QVERIFY2(error.starts_with("--root: "), error.c_str());
}

int runProgramRootTest(int argc, char** argv)
{
    ProgramRootTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ProgramRootTest.moc"
