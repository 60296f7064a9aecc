// The main menu: its texts in both languages, a start whose loading fails,
// and its buttons.

#include "GuiTestSupport.hpp"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace vantor;
using namespace vantor::test;

class MainMenuTest : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void failingStart_data();
    void failingStart();
    void logoLoaded();
    void exitClosesAndReleasesPictures();
};

void MainMenuTest::texts_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("campaign");
    QTest::addColumn<QString>("single");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<bool>("completed");

    QTest::newRow("no config.ini") << "" << "Generate Campaign" << "Generate Single Mission" << "Exit" << false;
    QTest::newRow("Cze") << "[General]\r\nLanguage=Cze\r\n"
                         << "Generuj kampaň" << "Generuj misi" << "Konec" << false;
    QTest::newRow("cze is English") << "[General]\r\nLanguage=cze\r\nCC=1\r\n"
                                    << "Generate Campaign" << "Generate Single Mission" << "Exit" << true;
    QTest::newRow("Czech is English") << "[General]\r\nLanguage=Czech\r\nCC=0\r\n"
                                      << "Generate Campaign" << "Generate Single Mission" << "Exit" << false;
    QTest::newRow("Cze, CC=0x10") << "[General]\r\nLanguage=Cze\r\nCC=0x10\r\n"
                                  << "Generuj kampaň" << "Generuj misi" << "Konec" << true;
}

void MainMenuTest::texts()
{
    QFETCH(QString, config);
    QFETCH(QString, campaign);
    QFETCH(QString, single);
    QFETCH(QString, exit);
    QFETCH(bool, completed);

    TestProgram program(config.toStdString());
    QVERIFY(program.boxes.shown.empty());
    QCOMPARE(program.menu->windowTitle(), QString("Vantor"));
    QCOMPARE(child<QPushButton>(program.menu, "ButtonCampaign")->text(), campaign);
    QCOMPARE(child<QPushButton>(program.menu, "ButtonSingle")->text(), single);
    QCOMPARE(child<QPushButton>(program.menu, "ButtonExit")->text(), exit);
    QCOMPARE(program.menu->campaignCompleted(), completed);
}

void MainMenuTest::failingStart_data()
{
    QTest::addColumn<int>("data");
    QTest::addColumn<QString>("named");
    QTest::newRow("no data directory") << static_cast<int>(DataSetup::None) << "data/intro.bmp";
    QTest::newRow("catalogue incomplete") << static_cast<int>(DataSetup::WithoutRoadNS) << "roadNS.bmp";
}

// The first failing step is reported; configuration is not read, so the
// menu opens in English with the campaign not completed.
void MainMenuTest::failingStart()
{
    QFETCH(int, data);
    QFETCH(QString, named);

    TestProgram program("[General]\r\nLanguage=Cze\r\nCC=1\r\n", static_cast<DataSetup>(data));
    QVERIFY(!program.boxes.shown.empty());
    const auto& first = program.boxes.shown.front();
    QCOMPARE(first.kind, MessageBoxes::Kind::Error);
    QVERIFY2(QString::fromStdString(first.text).contains(named), first.text.c_str());
    QCOMPARE(child<QPushButton>(program.menu, "ButtonSingle")->text(), QString("Generate Single Mission"));
    QVERIFY(!program.menu->campaignCompleted());
    QCOMPARE(program.menu->language(), Language::English);
}

void MainMenuTest::logoLoaded()
{
    TestProgram program;
    const QLabel* logo = child<QLabel>(program.menu, "ImageLogo");
    QCOMPARE(logo->pixmap().size(), QSize(512, 256));
    QCOMPARE(logo->geometry(), QRect(8, 8, 512, 256));
    QVERIFY(program.menu->catalogue().complete());
}

void MainMenuTest::exitClosesAndReleasesPictures()
{
    TestProgram program;
    program.menu->show();
    QVERIFY(QTest::qWaitForWindowExposed(program.menu, kWaitMs));
    child<QPushButton>(program.menu, "ButtonExit")->click();
    QVERIFY(!program.menu->isVisible());
    QVERIFY(!program.menu->catalogue().complete());
}

int runMainMenuTest(int argc, char** argv)
{
    MainMenuTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainMenuTest.moc"
