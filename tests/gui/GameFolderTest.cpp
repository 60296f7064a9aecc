// The game folder of the desktop program: asked on the first start and
// remembered; --root, VANTOR_ROOT and the program's own folder need no
// question; the main menu shows the folder and changes it; a folder that
// cannot be written is said so before any work, one without config.ini is
// warned about; the About box and the main menu's keyboard.

#include "GuiTestSupport.hpp"
#include "VantorBuildInfo.hpp"
#include "gui/DesktopProgram.hpp"
#include "gui/GameFolderQuestion.hpp"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <deque>

using namespace vantor;
using namespace vantor::test;
namespace fs = std::filesystem;

namespace {

// Answers the folder questions from a script; Closed and Cancel once it is used up.
class ScriptedPrompts final : public FolderPrompts {
public:
    FirstStart askFirstStart(const fs::path& defaultFolder, const QString& note) override
    {
        ++asked;
        shownDefault = defaultFolder;
        lastNote = note;
        if (answers.empty())
            return FirstStart::Closed;
        const FirstStart answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<fs::path> pickFolder(QWidget*, const fs::path& start, std::optional<Language>) override
    {
        ++picked;
        pickedFrom = start;
        if (picks.empty())
            return std::nullopt;
        const std::optional<fs::path> folder = picks.front();
        picks.pop_front();
        return folder;
    }

    std::deque<FirstStart> answers;
    std::deque<std::optional<fs::path>> picks;
    int asked = 0;
    int picked = 0;
    fs::path shownDefault;
    fs::path pickedFrom;
    QString lastNote;
};

// An installed program (prefix/bin, its data in prefix/share/vantor), the
// user's XDG data folder and game folders:
//   game     Korvane's folder, config.ini in Czech
//   plain    a folder without config.ini
//   blocked  a folder whose atlas is a file: nothing can be written there
struct Machine {
    TempDir top;
    fs::path bin = top.path() / "prefix" / "bin";
    fs::path xdg = top.path() / "xdg";
    fs::path game = top.path() / "game";
    fs::path plain = top.path() / "plain";
    fs::path blocked = top.path() / "blocked";
    fs::path build = top.path() / "build";

    Machine()
    {
        for (const fs::path& dir : {bin, xdg, game, plain, blocked, build, top.path() / "prefix" / "share" / "vantor"})
            fs::create_directories(dir);
        linkData(top.path() / "prefix" / "share" / "vantor");
        linkData(build);
        writeFile(game / "config.ini", "[General]\r\nLanguage=Cze\r\nCC=1\r\n");
        writeFile(blocked / "config.ini", "[General]\r\nLanguage=Eng\r\n");
        writeFile(blocked / "atlas", "not a folder");
    }
    fs::path userFolder() const { return xdg / "vantor"; }
    ProgramPaths::Inputs inputs() const
    {
        ProgramPaths::Inputs in;
        in.executableDir = bin;
        in.xdgDataHome = xdg.string();
        return in;
    }
    fs::path named(const QString& name) const { return name.isEmpty() ? fs::path() : top.path() / name.toStdString(); }
};

// A started program with its boxes and prompts.
struct Started {
    ScriptedMessageBoxes boxes;
    RandomSource random;
    ScriptedPrompts prompts;
    std::unique_ptr<DesktopProgram> program;

    void start(const ProgramPaths::Inputs& inputs)
    {
        program = std::make_unique<DesktopProgram>(random, boxes, prompts, inputs);
        program->start();
    }
    bool said(MessageBoxes::Kind kind, const std::string& part) const
    {
        for (const auto& box : boxes.shown)
            if (box.kind == kind && box.text.find(part) != std::string::npos)
                return true;
        return false;
    }
};

// Runs `probe` on the modal window `action` opens, then closes it; fails
// when none opened within two seconds (the action did not open one, and the
// timer closes whatever it opened instead, so nothing waits for ever).
QString modalOpenedBy(const std::function<void()>& action)
{
    QString opened;
    QTimer closer;
    closer.setInterval(20);
    int ticks = 0;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->objectName();
            modal->close();
            closer.stop();
        } else if (++ticks > 100) {
            closer.stop();
        }
    });
    closer.start();
    action();
    if (!QTest::qWaitFor([&] { return !closer.isActive(); }, 3000))
        return QStringLiteral("(still waiting)");
    return opened;
}

} // namespace

class GameFolderTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings().clear(); }
    void firstStart_data();
    void firstStart();
    void namedFoldersNeedNoQuestion_data();
    void namedFoldersNeedNoQuestion();
    void aFolderGoneIsAskedAgain();
    void theQuestionSpeaksBothLanguages();
    void theDialogsAnswerAsPressed();
    void menuShowsAndChangesTheFolder();
    void anUnwritableFolderIsSaidBeforeWork();
    void aboutBox_data();
    void aboutBox();
    void keyboard();
    void aStopSignalEndsTheFirstStartQuestion();
};

void GameFolderTest::firstStart_data()
{
    using A = FolderPrompts::FirstStart;
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("picks"); // folders under the machine's top; "" cancels the picker
    QTest::addColumn<QString>("root");      // "" for Vantor's own folder
    QTest::addColumn<bool>("remembered");   // the next start asks nothing
    QTest::addColumn<QString>("warning");   // a warning or error box says this, "" for none

    const auto list = [](std::initializer_list<A> answers) {
        QList<int> out;
        for (A a : answers)
            out.push_back(static_cast<int>(a));
        return out;
    };
    QTest::newRow("the game's folder") << list({A::Choose}) << QStringList{"game"} << "game" << true << "";
    QTest::newRow("Vantor's own folder") << list({A::KeepDefault}) << QStringList{} << "" << true << "";
    QTest::newRow("closed: asked again next time") << list({A::Closed}) << QStringList{} << "" << false << "";
    QTest::newRow("picker cancelled, then kept") << list({A::Choose, A::KeepDefault}) << QStringList{""} << ""
                                                 << true << "";
    QTest::newRow("unwritable refused, then the game's")
        << list({A::Choose, A::Choose}) << QStringList{"blocked", "game"} << "game" << true << "cannot be written";
    QTest::newRow("no config.ini: warned, taken") << list({A::Choose}) << QStringList{"plain"} << "plain" << true
                                                  << "There is no config.ini in";
}

void GameFolderTest::firstStart()
{
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, picks);
    QFETCH(QString, root);
    QFETCH(bool, remembered);
    QFETCH(QString, warning);

    Machine machine;
    const fs::path expected = root.isEmpty() ? machine.userFolder() : machine.named(root);
    {
        Started first;
        for (int a : answers)
            first.prompts.answers.push_back(static_cast<FolderPrompts::FirstStart>(a));
        for (const QString& pick : picks)
            first.prompts.picks.push_back(pick.isEmpty() ? std::nullopt : std::optional(machine.named(pick)));
        first.start(machine.inputs());
        QCOMPARE(first.prompts.asked, answers.size());
        QCOMPARE(first.prompts.shownDefault, machine.userFolder());
        QCOMPARE(first.program->windows().menu.programDir(), expected);
        QCOMPARE(fs::current_path(), expected);
        QVERIFY(first.prompts.answers.empty() && first.prompts.picks.empty());
        if (warning.isEmpty()) {
            QVERIFY(first.boxes.shown.empty());
        } else {
            // Said in both languages: the game's language is not known yet.
            QVERIFY(first.said(MessageBoxes::Kind::Warning, warning.toStdString()) ||
                    first.said(MessageBoxes::Kind::Error, warning.toStdString()));
            QVERIFY(first.said(MessageBoxes::Kind::Warning, "Ve složce") ||
                    first.said(MessageBoxes::Kind::Error, "nelze zapisovat"));
        }
    }
    QCOMPARE(rememberedGameFolder().has_value(), remembered);

    Started second;
    second.start(machine.inputs());
    QCOMPARE(second.prompts.asked, remembered ? 0 : 1);
    QCOMPARE(second.program->windows().menu.programDir(), expected);
    QVERIFY(second.boxes.shown.empty());
}

void GameFolderTest::namedFoldersNeedNoQuestion_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("rememberedFolder"); // a folder was chosen before
    for (const bool before : {false, true}) {
        const char* suffix = before ? ", a folder remembered" : "";
        QTest::addRow("--root%s", suffix) << "option" << before;
        QTest::addRow("VANTOR_ROOT%s", suffix) << "variable" << before;
        QTest::addRow("program folder with data/%s", suffix) << "build" << before;
    }
    QTest::newRow("the remembered folder") << "remembered" << true;
}

void GameFolderTest::namedFoldersNeedNoQuestion()
{
    QFETCH(QString, how);
    QFETCH(bool, rememberedFolder);
    Machine machine;
    if (rememberedFolder)
        rememberGameFolder(how == "remembered" ? machine.game : machine.plain);
    ProgramPaths::Inputs in = machine.inputs();
    fs::path expected = machine.game;
    if (how == "option")
        in.rootOption = machine.game;
    else if (how == "variable")
        in.rootVariable = machine.game.string();
    else if (how == "build")
        in.executableDir = expected = machine.build;

    Started started;
    started.start(in);
    QCOMPARE(started.prompts.asked, 0);
    QCOMPARE(started.program->windows().menu.programDir(), expected);
    QVERIFY(started.boxes.shown.empty());
    // Nothing named this run replaces what the player chose.
    QCOMPARE(rememberedGameFolder().has_value(), rememberedFolder);
}

void GameFolderTest::aFolderGoneIsAskedAgain()
{
    Machine machine;
    rememberGameFolder(machine.top.path() / "unplugged");
    Started started;
    started.prompts.answers = {FolderPrompts::FirstStart::Choose};
    started.prompts.picks = {machine.game};
    started.start(machine.inputs());
    QCOMPARE(started.prompts.asked, 1);
    QVERIFY2(started.prompts.lastNote.contains(QString::fromStdString((machine.top.path() / "unplugged").string())),
             qPrintable(started.prompts.lastNote));
    QCOMPARE(started.program->windows().menu.programDir(), machine.game);
    QCOMPARE(rememberedGameFolder(), std::optional(machine.game));
}

void GameFolderTest::theQuestionSpeaksBothLanguages()
{
    const fs::path folder = "/home/player/.local/share/vantor";
    for (const int key : {Qt::Key_Return, Qt::Key_Escape}) {
        GameFolderQuestion question(folder, QString());
        question.show();
        QVERIFY(QTest::qWaitForWindowExposed(&question));
        const QString text = child<QLabel>(&question, "LabelQuestion")->text();
        QVERIFY(text.contains("atlas") && text.contains("config.ini"));
        QVERIFY(text.contains("Vyberte složku"));
        QVERIFY(text.contains(QString::fromStdString(folder.string())));
        for (const char* name : {"ButtonChoose", "ButtonKeep"})
            QVERIFY(!QKeySequence::mnemonic(child<QPushButton>(&question, name)->text()).isEmpty());
        // Enter chooses the folder; Escape closes the question unanswered.
        QTest::keyClick(&question, static_cast<Qt::Key>(key));
        QTRY_VERIFY_WITH_TIMEOUT(!question.isVisible(), 2000);
        QCOMPARE(question.result(), key == Qt::Key_Return ? int(GameFolderQuestion::Choose) : int(QDialog::Rejected));
    }
}

// The program's own prompts: each button of the question gives its answer.
void GameFolderTest::theDialogsAnswerAsPressed()
{
    using A = FolderPrompts::FirstStart;
    const std::pair<const char*, A> presses[] = {
        {"ButtonChoose", A::Choose}, {"ButtonKeep", A::KeepDefault}, {nullptr, A::Closed}};
    for (const auto& [button, answer] : presses) {
        QTimer::singleShot(50, [button = button] {
            QWidget* question = QApplication::activeModalWidget();
            if (question == nullptr)
                return;
            if (button != nullptr)
                child<QPushButton>(question, button)->click();
            else
                QTest::keyClick(question, Qt::Key_Escape);
        });
        // Never waits for ever: a question still open after 3 s is closed.
        QTimer safety;
        safety.setSingleShot(true);
        QObject::connect(&safety, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        safety.start(3000);
        DialogFolderPrompts prompts;
        QCOMPARE(prompts.askFirstStart("/games", QString()), answer);
    }
}

void GameFolderTest::menuShowsAndChangesTheFolder()
{
    Machine machine;
    const fs::path deep = machine.plain / "a folder with a long name" / "and another long one" / "korvane";
    fs::create_directories(deep);
    writeFile(deep / "config.ini", "[General]\r\nLanguage=Eng\r\n");
    rememberGameFolder(deep);
    Started started;
    started.start(machine.inputs());
    MainMenu* menu = &started.program->windows().menu;
    const CityWizard* oldEditor = &started.program->windows().cityEditor;
    const QLabel* label = child<QLabel>(menu, "LabelGameFolder");
    QCOMPARE(label->toolTip(), QString::fromStdString(deep.string()));
    QVERIFY2(label->text().startsWith("Game folder: ") && label->text().endsWith("korvane"), qPrintable(label->text()));
    QVERIFY2(label->text().contains(QChar(0x2026)), qPrintable(label->text())); // cut in the middle
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->contentsRect().width());
    menu->show();

    // A folder that cannot be written is refused; the menu stays where it was.
    started.prompts.picks = {machine.blocked};
    child<QPushButton>(menu, "ButtonGameFolder")->click();
    QCOMPARE(started.prompts.pickedFrom, deep);
    QVERIFY(started.said(MessageBoxes::Kind::Error, "The game folder " + machine.blocked.string() + " cannot be written"));
    QTest::qWait(50);
    QCOMPARE(&started.program->windows().menu, menu);
    QCOMPARE(rememberedGameFolder(), std::optional(deep));

    // The game's folder: taken, remembered, its config.ini read (Czech), new windows on it.
    started.prompts.picks = {machine.game};
    child<QPushButton>(menu, "ButtonGameFolder")->click();
    QTRY_COMPARE_WITH_TIMEOUT(started.program->windows().menu.programDir(), machine.game, 2000);
    menu = &started.program->windows().menu;
    QVERIFY(menu->isVisible());
    QVERIFY(&started.program->windows().cityEditor != oldEditor);
    QCOMPARE(menu->language(), Language::Czech);
    QVERIFY(menu->campaignCompleted());
    QCOMPARE(fs::current_path(), machine.game);
    QCOMPARE(child<QLabel>(menu, "LabelGameFolder")->toolTip(), QString::fromStdString(machine.game.string()));
    QVERIFY(child<QLabel>(menu, "LabelGameFolder")->text().startsWith("Složka hry: "));
    QCOMPARE(rememberedGameFolder(), std::optional(machine.game));
    menu->hide();
}

void GameFolderTest::anUnwritableFolderIsSaidBeforeWork()
{
    Machine machine;
    Started started;
    started.start([&] {
        ProgramPaths::Inputs in = machine.inputs();
        in.rootOption = machine.blocked;
        return in;
    }());
    const std::string said = "The game folder " + machine.blocked.string() + " cannot be written: ";
    QCOMPARE(started.boxes.shown.size(), std::size_t(1));
    QVERIFY2(started.said(MessageBoxes::Kind::Error, said), started.boxes.shown.front().text.c_str());
    // Again before a wizard would open, and no wizard opens.
    MainMenu& menu = started.program->windows().menu;
    for (const char* button : {"ButtonSingle", "ButtonCampaign"}) {
        started.boxes.shown.clear();
        QCOMPARE(modalOpenedBy([&] { child<QPushButton>(&menu, button)->click(); }), QString());
        QVERIFY(started.said(MessageBoxes::Kind::Error, said));
    }
}

void GameFolderTest::aboutBox_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("licence");
    QTest::newRow("English") << "Eng" << "About Vantor" << "MIT licence";
    QTest::newRow("Czech") << "Cze" << "O programu Vantor" << "licencí MIT";
}

void GameFolderTest::aboutBox()
{
    QFETCH(QString, language);
    QFETCH(QString, title);
    QFETCH(QString, licence);
    TestProgram program(("[General]\r\nLanguage=" + language + "\r\n").toStdString());
    QMessageBox& box = program.menu->aboutBox();
    QCOMPARE(box.windowTitle(), title);
    const QString text = box.text();
    QVERIFY2(text.contains(QStringLiteral("Vantor " VANTOR_VERSION)), qPrintable(text));
    QVERIFY2(text.contains(licence) && text.contains("the Vantor developers") != (language == "Cze"), qPrintable(text));
    QVERIFY(text.contains("DejaVu"));
    QVERIFY(text.contains(QString::fromStdString(program.dir.path().string()).toHtmlEscaped()));
    QVERIFY(text.contains(QString::fromStdString((program.dir.path() / "atlas").string()).toHtmlEscaped()));
    // The menu's button shows it.
    QCOMPARE(modalOpenedBy([&] { child<QPushButton>(program.menu, "ButtonAbout")->click(); }), QString("AboutBox"));
}

void GameFolderTest::keyboard()
{
    TestProgram program;
    MainMenu* menu = program.menu;
    menu->show();
    QApplication::setActiveWindow(menu);
    QVERIFY(QTest::qWaitForWindowActive(menu));
    // Tab walks the buttons in reading order, starting on the default one.
    QStringList order;
    for (int i = 0; i < 5; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{"ButtonCampaign", "ButtonSingle", "ButtonExit", "ButtonGameFolder", "ButtonAbout"}));
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("ButtonCampaign"));
    QVERIFY(child<QPushButton>(menu, "ButtonCampaign")->isDefault());

    // Enter presses the default button: the campaign wizard opens.
    QCOMPARE(modalOpenedBy([&] { QTest::keyClick(menu, Qt::Key_Return); }), program.campaign->objectName());
    // Escape does not end the program.
    QTest::keyClick(menu, Qt::Key_Escape);
    QVERIFY(menu->isVisible());
    // Alt and a button's letter presses it: About.
    QApplication::setActiveWindow(menu);
    QVERIFY(QTest::qWaitForWindowActive(menu));
    QCOMPARE(modalOpenedBy([&] { QTest::keyClick(menu, Qt::Key_A, Qt::AltModifier); }), QString("AboutBox"));
    menu->hide();
}

// The real program, installed without a game folder, waits in the first
// start's question; SIGTERM still ends it (143), and no folder is remembered.
void GameFolderTest::aStopSignalEndsTheFirstStartQuestion()
{
#ifdef _WIN32
    QSKIP("SIGTERM from outside exists only on POSIX systems; Windows ends a program through console events");
#else
    TempDir top;
    const fs::path bin = top.path() / "prefix" / "bin";
    const fs::path home = top.path() / "home";
    for (const fs::path& dir : {bin, home, top.path() / "prefix" / "share" / "vantor"})
        fs::create_directories(dir);
    linkData(top.path() / "prefix" / "share" / "vantor");
    fs::copy_file(fs::path(VANTOR_BIN_DIR) / "vantor", bin / "vantor");

    QProcess vantor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"VANTOR_ROOT", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        environment.remove(name);
    environment.insert("HOME", QString::fromStdString(home.string()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    vantor.setProcessEnvironment(environment);
    vantor.start(QString::fromStdString((bin / "vantor").string()), {});
    QVERIFY(vantor.waitForStarted(5000));
    // Whether the question is up yet or not, the signal must end the program.
    QTest::qWait(1500);
    QCOMPARE(vantor.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(vantor.processId()), SIGTERM);
    const bool ended = vantor.waitForFinished(10000);
    if (!ended)
        vantor.kill();
    QVERIFY2(ended, "vantor kept waiting after SIGTERM");
    QCOMPARE(vantor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(vantor.exitCode(), 143);
    const fs::path settings = home / ".config" / "Vantor" / "Vantor.conf";
    QVERIFY(!fs::exists(settings) || readFile(settings).find("gameFolder") == std::string::npos);
#endif
}

int runGameFolderTest(int argc, char** argv)
{
    GameFolderTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "GameFolderTest.moc"
