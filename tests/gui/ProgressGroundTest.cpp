// The progress dialog and the ground viewer.

#include "GuiTestSupport.hpp"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace vantor;
using namespace vantor::test;

class ProgressGroundTest : public QObject {
    Q_OBJECT
private slots:
    void progressReports();
    void cancelReachesHandlerOnly();
    void groundViewerSize_data();
    void groundViewerSize();
};

void ProgressGroundTest::progressReports()
{
    ProgressDialog progress;
    QCOMPARE(progress.size(), QSize(797, 123));
    progress.setTask("Current task: generating SingleCity");
    progress.setTaskProgress(42);
    progress.setTotalProgress(150); // held to the bar's range
    QCOMPARE(child<QLabel>(&progress, "LabelTask")->text(), QString("Current task: generating SingleCity"));
    QCOMPARE(child<QProgressBar>(&progress, "ProgressBarTask")->value(), 42);
    QCOMPARE(child<QProgressBar>(&progress, "ProgressBarTotal")->value(), 100);
    progress.showWork();
    QVERIFY(progress.isVisible());
    progress.closeWork();
    QVERIFY(!progress.isVisible());
}

void ProgressGroundTest::cancelReachesHandlerOnly()
{
    ProgressDialog progress;
    QPushButton* cancel = child<QPushButton>(&progress, "ButtonCancel");
    cancel->click(); // no handler: nothing happens
    int cancelled = 0;
    progress.setCancelHandler([&] { ++cancelled; });
    cancel->click();
    QCOMPARE(cancelled, 1);
}

void ProgressGroundTest::groundViewerSize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("config");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("close");
    // A large city's viewer is held to the screen: UsabilityTest.
    QTest::newRow("Small") << 1 << "" << QSize(276, 296) << "Ground texture" << "Close";
    QTest::newRow("Very small, Czech") << 0 << "[General]\r\nLanguage=Cze\r\n" << QSize(148, 168)
                                       << "Textura povrchu" << "Konec";
}

void ProgressGroundTest::groundViewerSize()
{
    QFETCH(int, size);
    QFETCH(QString, config);
    QFETCH(QSize, window);
    QFETCH(QString, title);
    QFETCH(QString, close);

    TestProgram p(config.toStdString());
    p.editor->show();
    child<QRadioButton>(p.editor, QString("RadioGroupSizeItem%1").arg(size).toLatin1().constData())->click();
    goToStep(p.editor, 8, &p.boxes);

    // Opened twice: the same picture both times.
    for (int opening = 0; opening < 2; ++opening) {
        QSize seen;
        QImage shown;
        QString seenTitle;
        QString seenClose;
        bool closed = false;
        QTimer::singleShot(0, p.ground, [&] {
            seen = p.ground->size();
            shown = child<QLabel>(p.ground, "Image1")->pixmap().toImage();
            seenTitle = p.ground->windowTitle();
            seenClose = child<QPushButton>(p.ground, "Button1")->text();
            closed = closesItsWindow(p.ground, child<QPushButton>(p.ground, "Button1"));
        });
        child<QPushButton>(p.editor, "ButtonShowGround")->click();
        QVERIFY(closed);
        QCOMPARE(seen, window);
        const int side = window.width() - 20;
        QCOMPARE(shown.size(), QSize(side, side));
        QCOMPARE(seenTitle, title);
        QCOMPARE(seenClose, close);
        const Image& ground = p.editor->model().city().groundPicture;
        const QRgb corner = shown.pixel(side - 1, side - 1);
        const Rgb expected = ground.pixel(side - 1, side - 1);
        QCOMPARE(qRed(corner), int(expected.r));
        QCOMPARE(qGreen(corner), int(expected.g));
        QCOMPARE(qBlue(corner), int(expected.b));
        QVERIFY(!p.ground->isVisible());
    }
}

int runProgressGroundTest(int argc, char** argv)
{
    ProgressGroundTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ProgressGroundTest.moc"
