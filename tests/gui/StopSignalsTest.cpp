// Stop signals in the desktop program: SIGTERM, SIGINT and SIGHUP cancel a
// running campaign (the previous one stays byte for byte, no staging folder
// is left), stop a single mission's save before its renames, close the
// windows when nothing works, and end the program with 128 + the signal.

#include "GuiTestSupport.hpp"

#include "gui/QtMessageBoxes.hpp"
#include "gui/StopSignals.hpp"

#ifdef _WIN32
// POSIX signals raised in the process and sent from outside: SIGTERM and
// SIGHUP do not exist on Windows, where a stop is a console or window event.

#include <QTest>

namespace {

class StopSignalsTest : public QObject {
    Q_OBJECT
private slots:
    void posixOnly() { QSKIP("the stop signals tested here (SIGTERM, SIGHUP, raise) exist only on POSIX systems"); }
};

} // namespace

int runStopSignalsTest(int argc, char** argv)
{
    StopSignalsTest test;
    return QTest::qExec(&test, argc, argv);
}

// No test starts the probe here.
int runStopProbe(const QString&, const std::filesystem::path&)
{
    return 2;
}

#include "StopSignalsTest.moc"

#else

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>
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

void writeAtlas(const fs::path& dir, const char* name, std::string_view text)
{
    fs::create_directories(dir / "atlas");
    writeFile(dir / "atlas" / name, text);
}

void writeAtlas(TestProgram& p, const char* name, std::string_view text)
{
    writeAtlas(p.dir.path(), name, text);
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
// without an answer (so an overwrite is declined), later boxes are not shown,
// and the boxes shown until OK return at once.
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
    QCOMPARE(boxes.show(MessageBoxes::Kind::Question, "Overwrite?"), MessageBoxes::Answer::Dismissed);
    QVERIFY(questionShown);
    QCOMPARE(leftOpen, 0);

    closeLeftOpen();
    QCOMPARE(boxes.show(MessageBoxes::Kind::Information, "Cancelled."), MessageBoxes::Answer::Dismissed);
    boxes.information("Shown until OK.");
    boxes.warning("Shown until OK.");
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

// The boxes a stop signal meets in the running program. "startup" is the
// real program's box about a wrong --root; the others run in a child of this
// test (runStopProbe below) built as the program builds its windows.
void StopSignalsTest::programExitsWithSignalStatus_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("signal");
    for (const char* scenario : {"startup", "information", "warning", "question", "cancelled", "idle"}) {
        QTest::addRow("%s SIGTERM", scenario) << QString(scenario) << SIGTERM;
        QTest::addRow("%s SIGHUP", scenario) << QString(scenario) << SIGHUP;
    }
    QTest::addRow("idle SIGINT") << QString("idle") << SIGINT;
}

// The program ends with 128 + the signal within a second of it, and what it
// writes after the signal is at most a line of its own.
void StopSignalsTest::programExitsWithSignalStatus()
{
    QFETCH(QString, scenario);
    QFETCH(int, signal);
    const QString program = QStringLiteral(VANTOR_BIN_DIR "/vantor");
    if (!fs::is_regular_file(program.toStdString()))
        QSKIP("vantor is not built");
    TempDir root;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    QByteArray ready;
    if (scenario == "startup") {
        process.start(program, {"--root", QString::fromStdString((root.path() / "nonexistent").string())});
        ready = "is not a directory";
    } else if (scenario == "idle") {
        process.start(program, {"--root", QString::fromStdString(root.path().string())});
        ready = "Data from";
    } else {
        process.start(QCoreApplication::applicationFilePath(),
                      {"StopProbe", scenario, QString::fromStdString(root.path().string())});
        ready = "probe: ready";
    }
    QVERIFY(process.waitForStarted(10000));
    QByteArray err;
    QDeadlineTimer started(kWaitMs);
    while (!err.contains(ready) && process.state() == QProcess::Running && !started.hasExpired()) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    if (!err.contains(ready))
        process.kill();
    QVERIFY2(err.contains(ready), err.constData());
    QTest::qWait(50); // the box's event loop runs
    err += process.readAllStandardError();
    const qsizetype before = err.size();

    QElapsedTimer stopping;
    stopping.start();
    QCOMPARE(::kill(static_cast<pid_t>(process.processId()), signal), 0);
    const bool finished = process.waitForFinished(5000);
    const qint64 took = stopping.elapsed();
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    QVERIFY2(finished, "still running 5 s after the signal");
    QVERIFY2(took < 1000, qPrintable(QString("took %1 ms").arg(took)));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signal);
    err += process.readAllStandardError();
    const QByteArray after = err.mid(before);
    QVERIFY2(after.count('\n') <= 2, after.constData());
}

// A child of the test: the program's windows and stop handling, built in the
// order gui/main.cpp builds them, with the real message boxes, led to one
// box (or, for "cancelled", into a campaign); "probe: ready" on standard
// error says the box is open. Returns what the program returns.
int runStopProbe(const QString& scenario, const fs::path& dir)
{
    QtMessageBoxes boxes;
    StopSignals stopSignals;
    linkData(dir);
    if (scenario == "question")
        writeAtlas(dir, "start.ini", "old campaign");
    RandomSource random;
    VantorWindows windows(random, boxes, dir);
    StopOnSignal stopOnSignal(stopSignals, windows, [&boxes] { boxes.dismiss(); },
                              [](int status) { QCoreApplication::exit(status); });
    windows.menu.show();

    QTimer ready;
    QObject::connect(&ready, &QTimer::timeout, [&] {
        const bool working = windows.progress.isVisible() &&
                             child<QLabel>(&windows.progress, "LabelTask")->text().startsWith("Current task: generating");
        if ((scenario == "cancelled" && working) ||
            (scenario != "cancelled" && qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr)) {
            std::fputs("probe: ready\n", stderr);
            ready.stop();
        }
    });
    ready.start(10);
    QTimer::singleShot(0, [&] {
        if (scenario == "information") {
            boxes.information("Campaign successfully generated.");
        } else if (scenario == "warning") {
            windows.campaignEditor.show();
            child<QPushButton>(&windows.campaignEditor, "ButtonDistrictNumPlus")->click();
        } else {
            windows.campaignEditor.show();
            for (int step = 1; step < 4; ++step)
                child<QPushButton>(&windows.campaignEditor, "ButtonNext")->click();
        }
    });
    const int status = QApplication::exec();
    return stopOnSignal.exitStatus() != 0 ? stopOnSignal.exitStatus() : status;
}

int runStopSignalsTest(int argc, char** argv)
{
    StopSignalsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StopSignalsTest.moc"

#endif
