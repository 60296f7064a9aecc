// Stop signals in the desktop program: SIGTERM, SIGINT and SIGHUP cancel a
// running campaign (the previous one stays byte for byte, no staging folder
// is left), stop a single mission's save before its renames, close the
// windows when nothing works, and end the program with 128 + the signal.

#include "GuiTestSupport.hpp"

#include "gui/QtMessageBoxes.hpp"
#include "gui/StopSignals.hpp"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <signal.h>

using namespace vantor;
using namespace vantor::test;

namespace {

namespace fs = std::filesystem;

fs::path atlas(TestProgram& p)
{
    return p.dir.path() / "atlas";
}

void writeAtlas(TestProgram& p, const char* name, std::string_view text)
{
    fs::create_directories(atlas(p));
    writeFile(atlas(p) / name, text);
}

// Every entry under atlas/ (folders, hidden staging folders and temporary
// files included) with the bytes of the files; only the writers' empty lock
// file, which stays once made, is left out.
std::map<std::string, std::string> snapshot(const fs::path& dir)
{
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir))
        if (entry.path() != dir / ".lock")
            entries[fs::relative(entry.path(), dir).string()] =
            entry.is_regular_file() ? readFile(entry.path()) : std::string("<folder>");
    return entries;
}

bool stagingLeft(const fs::path& dir)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(dir))
        if (entry.path().filename().string().starts_with(".vantor-staging-"))
            return true;
    return false;
}

// The plumbing and its reaction, with the quit recorded instead of done.
struct Stopper {
    explicit Stopper(TestProgram& p)
        : program(p),
          stop(plumbing, *p.windows, [this] { ++dismissals; },
               [this](int status) {
                   quits.push_back(status);
                   busyAtQuit = program.campaign->busy() || program.editor->busy();
               })
    {
    }

    TestProgram& program;
    StopSignals plumbing;
    StopOnSignal stop;
    int dismissals = 0;
    std::vector<int> quits;
    bool busyAtQuit = false;
};

// Raises `signal` once the progress dialog's task line starts with `task`
// (the work pumps events while it reports progress).
class RaiseDuring {
public:
    RaiseDuring(TestProgram& p, int signal, QString task)
    {
        QObject::connect(&poll_, &QTimer::timeout, [this, &p, signal, task] {
            if (raised || !p.progress->isVisible())
                return;
            if (child<QLabel>(p.progress, "LabelTask")->text().startsWith(task)) {
                raised = true;
                std::raise(signal);
            }
        });
        poll_.start(0);
    }

    bool raised = false;

private:
    QTimer poll_;
};

} // namespace

class StopSignalsTest : public QObject {
    Q_OBJECT
private slots:
    void campaignIsCancelled_data();
    void campaignIsCancelled();
    void saveStopsBeforeRenames();
    void dismissedBoxesDoNotWait();
    void idleProgramCloses_data();
    void idleProgramCloses();
    void programExitsWithSignalStatus_data();
    void programExitsWithSignalStatus();
};

void StopSignalsTest::campaignIsCancelled_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
}

// The signal during the first city cancels the campaign as Cancel does; the
// program quits only after the campaign returned.
void StopSignalsTest::campaignIsCancelled()
{
    QFETCH(int, signal);
    TestProgram p;
    writeAtlas(p, "start.ini", "old campaign");
    writeAtlas(p, "Oldtown.ini", "old city");
    writeAtlas(p, "OldtownPLAN.bmp", std::string("BM\0\1\2", 5));
    writeAtlas(p, "SingleCityPLAN.bmp", "single mission");
    const auto before = snapshot(atlas(p));
    Stopper stopper(p);

    p.campaign->show();
    goToStep(p.campaign, 3, &p.boxes);
    p.boxes.answers = {MessageBoxes::Answer::Yes};
    RaiseDuring raise(p, signal, "Current task: generating");
    child<QPushButton>(p.campaign, "ButtonNext")->click();

    QVERIFY(raise.raised);
    QVERIFY(!p.campaign->busy());
    QCOMPARE(snapshot(atlas(p)), before);
    QVERIFY(!stagingLeft(atlas(p)));
    QCOMPARE(QString::fromStdString(p.boxes.shown.back().text),
             QString("Campaign generation cancelled.\rThe previous campaign in the atlas directory is unchanged."));
    QCOMPARE(stopper.dismissals, 1);

    // The quit waits for the wizard's step to return to the event loop.
    QTRY_COMPARE_WITH_TIMEOUT(stopper.quits, std::vector<int>{128 + signal}, kWaitMs);
    QVERIFY(!stopper.busyAtQuit);
    QCOMPARE(stopper.stop.exitStatus(), 128 + signal);
    QVERIFY(!p.campaign->isVisible());
    QCOMPARE(snapshot(atlas(p)), before);
}

// SIGINT while the single mission is saved: the save stops before it
// renames anything, the previous files stay, and the program quits.
void StopSignalsTest::saveStopsBeforeRenames()
{
    TestProgram p;
    writeAtlas(p, "SingleCity.ini", "old single mission");
    writeAtlas(p, "SingleCityPLAN.bmp", "old plan");
    writeAtlas(p, "SingleCityGROUND.bmp", "old ground");
    writeAtlas(p, "SingleCityHIGHT.bmp", "old heights");
    const auto before = snapshot(atlas(p));
    Stopper stopper(p);

    p.editor->show();
    child<QRadioButton>(p.editor, "RadioGroupSizeItem0")->click();
    goToStep(p.editor, 8, &p.boxes);
    QVERIFY(stopper.quits.empty());
    RaiseDuring raise(p, SIGINT, "Current task: saving");
    child<QPushButton>(p.editor, "ButtonNext")->click();

    QVERIFY(raise.raised);
    QVERIFY(!p.editor->busy());
    QCOMPARE(snapshot(atlas(p)), before);
    QTRY_COMPARE_WITH_TIMEOUT(stopper.quits, std::vector<int>{130}, kWaitMs);
    QVERIFY(!stopper.busyAtQuit);
    QVERIFY(!p.editor->isVisible());
    QCOMPARE(snapshot(atlas(p)), before);
}

// The program's real boxes once stopping: the open question is closed
// without an answer (so an overwrite is declined), later boxes are not shown.
void StopSignalsTest::dismissedBoxesDoNotWait()
{
    QtMessageBoxes boxes;
    // A box still open on the next turn of the event loop is closed here and counted.
    int leftOpen = 0;
    const auto closeLeftOpen = [&leftOpen] {
        QTimer::singleShot(0, [&leftOpen] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                ++leftOpen;
                box->close();
            }
        });
    };
    bool questionShown = false;
    QTimer::singleShot(0, [&] {
        questionShown = QApplication::activeModalWidget() != nullptr;
        boxes.dismiss();
        closeLeftOpen();
    });
    QCOMPARE(boxes.show(MessageBoxes::Kind::Question, "Overwrite?"), MessageBoxes::Answer::Closed);
    QVERIFY(questionShown);
    QCOMPARE(leftOpen, 0);

    closeLeftOpen();
    QCOMPARE(boxes.show(MessageBoxes::Kind::Information, "Cancelled."), MessageBoxes::Answer::Closed);
    QCOMPARE(leftOpen, 0);
    QCoreApplication::processEvents();
}

void StopSignalsTest::idleProgramCloses_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

// Nothing works: the windows close and the program quits with 128 + the signal, once.
void StopSignalsTest::idleProgramCloses()
{
    QFETCH(int, signal);
    TestProgram p;
    Stopper stopper(p);
    p.menu->show();
    p.campaign->show();
    QCOMPARE(stopper.stop.exitStatus(), 0);

    std::raise(signal);
    QCOMPARE(StopSignals::received(), signal);
    QTRY_COMPARE_WITH_TIMEOUT(stopper.quits, std::vector<int>{128 + signal}, kWaitMs);
    QVERIFY(!p.menu->isVisible());
    QVERIFY(!p.campaign->isVisible());

    // A second signal while stopping changes nothing.
    std::raise(SIGTERM);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(StopSignals::received(), signal);
    QCOMPARE(stopper.quits, std::vector<int>{128 + signal});
    QCOMPARE(stopper.stop.exitStatus(), 128 + signal);
}

void StopSignalsTest::programExitsWithSignalStatus_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

// The built program, started on the offscreen platform: its start-up lines
// on standard error come after the handlers are installed.
void StopSignalsTest::programExitsWithSignalStatus()
{
    QFETCH(int, signal);
    const QString program = QStringLiteral(VANTOR_BIN_DIR "/vantor");
    if (!fs::is_regular_file(program.toStdString()))
        QSKIP("vantor is not built");
    TempDir root;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(program, {"--root", QString::fromStdString(root.path().string())});
    QVERIFY(process.waitForStarted());
    QByteArray err;
    QDeadlineTimer started(kWaitMs);
    while (!err.contains("Data from") && process.state() == QProcess::Running && !started.hasExpired()) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    if (!err.contains("Data from"))
        process.kill();
    QVERIFY2(err.contains("Data from"), err.constData());
    QCOMPARE(::kill(static_cast<pid_t>(process.processId()), signal), 0);
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signal);
}

int runStopSignalsTest(int argc, char** argv)
{
    StopSignalsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StopSignalsTest.moc"
