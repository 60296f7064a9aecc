// The campaign wizard: its steps and texts in both languages, the edit
// boxes' key filter, change handlers and district lock, the density label,
// the layout's corrected counts, the campaign written through the progress
// dialog (overwrite question, cancel, failures) and the missing data files.

#include "GuiTestSupport.hpp"

#include "campaign/CampaignWriter.hpp"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <tuple>

using namespace vantor;
using namespace vantor::test;

namespace {

namespace fs = std::filesystem;

// The controls a step shows or hides.
const char* const kStepControls[] = {
    "LabelCityNum", "EditCityNum", "ButtonCityNumPlus", "ButtonCityNumMinus", "LabelNumDistricts",
    "EditDistrictNum", "ButtonDistrictNumPlus", "ButtonDistrictNumMinus", "CheckBoxBigCity",
    "CheckBoxLimitedLights", "LabelMaxHouseDensity", "TrackBarMaxHouseDensity", "PanelImg"};

const QString kDistrictLock =
    "You are not allowed to change number of districts until you successfully complete campaign!";
const QString kStep1Help =
    "Select overall number of cities and number of districts to be generated. You can not change number of "
    "districts until you complete the campaign. Minimum number of cities is 30 and maximum is 55. Minimum number "
    "of districts is 6 and maximum is 15. However there has to be at least 5 cities in each districts. These "
    "settings are automatically corrected later if unpropriate. ";

QPushButton* button(TestProgram& p, const char* name)
{
    return child<QPushButton>(p.campaign, name);
}

QLineEdit* edit(TestProgram& p, const char* name)
{
    return child<QLineEdit>(p.campaign, name);
}

QString working(TestProgram& p)
{
    return child<QLabel>(p.campaign, "LabelWorking")->text();
}

// Clicks Next until the step is reached (steps 3 and 4 do their work on the way).
void goToStep(TestProgram& p, int step)
{
    test::goToStep(p.campaign, step, &p.boxes);
}

fs::path atlas(TestProgram& p)
{
    return p.dir.path() / "atlas";
}

void writeAtlas(TestProgram& p, const char* name, std::string_view text)
{
    fs::create_directories(atlas(p));
    writeFile(atlas(p) / name, text);
}

// Replaces the program's data link by a directory of links to every built
// data file but `left` (or with `left` holding `replacement`).
void dataWithout(TestProgram& p, const char* left, std::string_view replacement = {})
{
    const fs::path data = p.dir.path() / "data";
    fs::remove(data);
    fs::create_directory(data);
    for (const fs::directory_entry& entry : fs::directory_iterator(dataDirectory()))
        if (entry.path().filename() != left)
            fs::create_symlink(entry.path(), data / entry.path().filename());
    if (!replacement.empty())
        writeFile(data / left, replacement);
}

} // namespace

class CampaignEditorTest : public QObject {
    Q_OBJECT
private slots:
    void designPlaces_data();
    void designPlaces();
    void steps_data();
    void steps();
    void czechTexts();
    void keyCodes_data();
    void keyCodes();
    void keyFilter_data();
    void keyFilter();
    void countsFromText_data();
    void countsFromText();
    void districtLock_data();
    void districtLock();
    void densityLabel_data();
    void densityLabel();
    void layoutCorrectsCounts_data();
    void layoutCorrectsCounts();
    void wholeCampaign();
    void overwriteYesThenCancel();
    void overwriteNotConfirmed_data();
    void overwriteNotConfirmed();
    void failedCampaignIsReported();
    void incompleteCatalogueRefuses();
    void missingDataFile_data();
    void missingDataFile();
    void reopeningShowsDefaults();
    void mainMenuOpensWizard();
};

void CampaignEditorTest::designPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");

    QTest::newRow("PanelImg") << "PanelImg" << QRect(8, 5, 514, 258) << "";
    QTest::newRow("ImageMoonMap") << "ImageMoonMap" << QRect(1, 1, 512, 256) << "";
    QTest::newRow("LabelWorking") << "LabelWorking" << QRect(8, 268, 513, 77) << "";
    QTest::newRow("EditCityNum") << "EditCityNum" << QRect(248, 80, 89, 21) << "30";
    QTest::newRow("ButtonCityNumMinus") << "ButtonCityNumMinus" << QRect(344, 90, 17, 10) << "-";
    QTest::newRow("EditDistrictNum") << "EditDistrictNum" << QRect(248, 112, 89, 21) << "6";
    QTest::newRow("ButtonDistrictNumPlus") << "ButtonDistrictNumPlus" << QRect(344, 112, 17, 10) << "+";
    QTest::newRow("TrackBarMaxHouseDensity") << "TrackBarMaxHouseDensity" << QRect(32, 112, 217, 41) << "";
    QTest::newRow("CheckBoxBigCity") << "CheckBoxBigCity" << QRect(328, 88, 121, 17) << "Generate large cities";
    QTest::newRow("CheckBoxLimitedLights") << "CheckBoxLimitedLights" << QRect(328, 112, 137, 17)
                                           << "Limited number of lights";
    QTest::newRow("ButtonBack") << "ButtonBack" << QRect(224, 360, 91, 33) << "<< Back";
    QTest::newRow("ButtonNext") << "ButtonNext" << QRect(320, 360, 97, 33) << "Next >>";
    QTest::newRow("ButtonClose") << "ButtonClose" << QRect(424, 360, 99, 33) << "Close";
}

void CampaignEditorTest::designPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, caption);

    TestProgram p;
    p.campaign->show();
    const QWidget* control = child<QWidget>(p.campaign, name.toLatin1().constData());
    if (qobject_cast<const QCheckBox*>(control) != nullptr) {
        // A check box grows when the face is too wide for its caption.
        QCOMPARE(control->pos(), place.topLeft());
        QCOMPARE(control->height(), place.height());
        QVERIFY(control->width() >= place.width());
        QVERIFY(control->width() >= control->sizeHint().width());
    } else {
        QCOMPARE(control->geometry(), place);
    }
    if (const auto* b = qobject_cast<const QAbstractButton*>(control))
        QCOMPARE(b->text(), caption);
    if (const auto* e = qobject_cast<const QLineEdit*>(control))
        QCOMPARE(e->text(), caption);
    // The labels end before their edit boxes, at their design place when the face allows.
    for (const auto& [label, box, left] : {std::tuple{"LabelCityNum", "EditCityNum", 160},
                                           std::tuple{"LabelNumDistricts", "EditDistrictNum", 152}}) {
        const QWidget* l = child<QWidget>(p.campaign, label);
        QVERIFY2(l->geometry().right() < child<QWidget>(p.campaign, box)->x(), label);
        QVERIFY2(l->x() <= left, label);
    }
    const QSlider* density = child<QSlider>(p.campaign, "TrackBarMaxHouseDensity");
    QCOMPARE(density->minimum(), 25);
    QCOMPARE(density->maximum(), 100);
    QCOMPARE(density->pageStep(), 5);
    QCOMPARE(density->tickInterval(), 5);
    QCOMPARE(density->value(), 70);
    QVERIFY(child<QCheckBox>(p.campaign, "CheckBoxBigCity")->isChecked());
    QVERIFY(!child<QCheckBox>(p.campaign, "CheckBoxLimitedLights")->isChecked());
}

void CampaignEditorTest::steps_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("label");

    QTest::newRow("1") << 1 << "Campaign editor: World size - step 1/4"
                       << QStringList{"LabelCityNum", "EditCityNum", "ButtonCityNumPlus", "ButtonCityNumMinus",
                                      "LabelNumDistricts", "EditDistrictNum", "ButtonDistrictNumPlus",
                                      "ButtonDistrictNumMinus"}
                       << kStep1Help;
    QTest::newRow("2") << 2 << "Campaign editor: Performance settings - step 2/4"
                       << QStringList{"CheckBoxBigCity", "CheckBoxLimitedLights", "LabelMaxHouseDensity",
                                      "TrackBarMaxHouseDensity"}
                       << "Maximum house density is the most important setting affecting game performance. Set "
                          "this value according to your system configuration. 'Generate large cities' and "
                          "'Limited number of lights' will also affect game performance.";
    QTest::newRow("3") << 3 << "Campaign editor: Preview - step 3/4" << QStringList{"PanelImg"}
                       << "Preview generated.\nPress 'Next' button to save campaign.";
}

void CampaignEditorTest::steps()
{
    QFETCH(int, step);
    QFETCH(QString, title);
    QFETCH(QStringList, shown);
    QFETCH(QString, label);

    TestProgram p;
    QCOMPARE(p.campaign->windowTitle(), QString("Campaign Editor"));
    p.campaign->show();
    goToStep(p, step);
    QCOMPARE(p.campaign->wizardStep(), step);
    QCOMPARE(p.campaign->windowTitle(), title);
    for (const char* name : kStepControls) {
        const QWidget* control = child<QWidget>(p.campaign, name);
        QVERIFY2(control->isVisibleTo(p.campaign) == shown.contains(name), name);
    }
    QCOMPARE(working(p), label);
    QCOMPARE(button(p, "ButtonBack")->isEnabled(), step > 1);
    QVERIFY(button(p, "ButtonNext")->isEnabled());
    QVERIFY(button(p, "ButtonClose")->isEnabled());
    if (step == 3) {
        QCOMPARE(child<QLabel>(p.campaign, "ImageMoonMap")->pixmap().size(), QSize(512, 256));
        QCOMPARE(p.campaign->campaign().cities.size(), std::size_t{32}); // 0 unused, 30 cities, headquarters
    }
    QVERIFY(p.boxes.shown.empty());
}

void CampaignEditorTest::czechTexts()
{
    TestProgram p("[General]\r\nLanguage=Cze\r\n");
    p.campaign->show();
    QCOMPARE(p.campaign->windowTitle(), QString("Editor kampaně: Nastavení velikosti - krok 1/4"));
    QCOMPARE(button(p, "ButtonBack")->text(), QString("<< Zpět"));
    QCOMPARE(button(p, "ButtonNext")->text(), QString("Další >>"));
    QCOMPARE(button(p, "ButtonClose")->text(), QString("Konec"));
    QCOMPARE(child<QCheckBox>(p.campaign, "CheckBoxBigCity")->text(), QString("Generuj velká města"));
    QCOMPARE(child<QCheckBox>(p.campaign, "CheckBoxLimitedLights")->text(), QString("Nižší počet světel"));
    QCOMPARE(child<QLabel>(p.campaign, "LabelCityNum")->text(), QString("Počet měst:"));
    QCOMPARE(child<QLabel>(p.campaign, "LabelNumDistricts")->text(), QString("Počet distriktů:"));
    QVERIFY(working(p).startsWith("Nastavte celkové množství měst"));
    QVERIFY(working(p).endsWith("alespoň 5 měst."));
    QCOMPARE(child<QLabel>(p.campaign, "LabelMaxHouseDensity")->text(),
             QString("Max. hustota budov: 70%\nDoporučeno pro průměrný počítač"));

    goToStep(p, 2);
    QCOMPARE(p.campaign->windowTitle(), QString("Editor kampaně: Nastavení podle výkonu - krok 2/4"));
    QVERIFY(working(p).contains("'Generuj velká města' a 'Nižší počet světel' budou mít také vliv na výkon."));
    goToStep(p, 3);
    QCOMPARE(p.campaign->windowTitle(), QString("Editor kampaně: Náhled - krok 3/4"));
    QCOMPARE(working(p), QString("Náhled vygenerován.\nStiskněte 'Další' ."));
    goToStep(p, 4);
    QCOMPARE(p.campaign->windowTitle(), QString("Editor kampaně: Generuj kampaň - krok 4/4"));
    QCOMPARE(working(p), QString("Kampaň uložena."));
    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(p.boxes.shown[0].text),
             QString("Kampaň byla úspěšně vygenerována.\rUkončete tento program a spusťte Korvane."));
    // Objectives and the start file follow the language too.
    QVERIFY(fs::is_regular_file(atlas(p) / "start.ini"));
}

void CampaignEditorTest::keyCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("keeps");

    QTest::newRow("0") << int(Qt::Key_0) << false << 0x30 << true;
    QTest::newRow("9") << int(Qt::Key_9) << false << 0x39 << true;
    QTest::newRow("keypad 0") << int(Qt::Key_0) << true << 0x60 << true;
    QTest::newRow("keypad 9") << int(Qt::Key_9) << true << 0x69 << true;
    QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << true << 0x6A << false;
    QTest::newRow("A") << int(Qt::Key_A) << false << 0x41 << false;
    QTest::newRow("Z") << int(Qt::Key_Z) << false << 0x5A << false;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << false << 0x08 << false;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << false << 0x2E << false;
    QTest::newRow("Help") << int(Qt::Key_Help) << false << 0x2F << true;
    QTest::newRow("Left") << int(Qt::Key_Left) << false << 0x25 << false;
    QTest::newRow("Down") << int(Qt::Key_Down) << false << 0x28 << false;
    QTest::newRow("Windows key") << int(Qt::Key_Meta) << false << 0x5B << true;
    QTest::newRow("shifted 1") << int(Qt::Key_Exclam) << false << 0x31 << true;
    QTest::newRow("minus") << int(Qt::Key_Minus) << false << 0xBD << false;
    QTest::newRow("F1") << int(Qt::Key_F1) << false << 0x70 << false;
    QTest::newRow("unknown") << int(Qt::Key_unknown) << false << 0 << false;
}

void CampaignEditorTest::keyCodes()
{
    QFETCH(int, key);
    QFETCH(bool, keypad);
    QFETCH(int, code);
    QFETCH(bool, keeps);

    const QKeyEvent event(QEvent::KeyRelease, key, keypad ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(CampaignWizard::virtualKeyCode(event), code);
    QCOMPARE(CampaignWizard::keyKeepsText(code), keeps);
    // The ranges' edges.
    for (const auto& [edge, kept] : {std::pair{0x2E, false}, {0x2F, true}, {0x40, true}, {0x41, false},
                                     {0x5A, false}, {0x5B, true}, {0x69, true}, {0x6A, false}})
        QCOMPARE(CampaignWizard::keyKeepsText(edge), kept);
}

void CampaignEditorTest::keyFilter_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<QString>("cityText");
    QTest::addColumn<int>("cities");

    QTest::newRow("digit") << int(Qt::Key_5) << false << "305" << 305;
    QTest::newRow("keypad digit") << int(Qt::Key_7) << true << "307" << 307;
    QTest::newRow("letter") << int(Qt::Key_A) << false << "" << 20;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << false << "" << 20;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << false << "" << 20;
    QTest::newRow("Left") << int(Qt::Key_Left) << false << "" << 20;
    QTest::newRow("Space") << int(Qt::Key_Space) << false << "" << 20;
}

// Typing into the cities' box: the key goes in, its release keeps or empties the box.
void CampaignEditorTest::keyFilter()
{
    QFETCH(int, key);
    QFETCH(bool, keypad);
    QFETCH(QString, cityText);
    QFETCH(int, cities);

    TestProgram p;
    p.campaign->show();
    QLineEdit* box = edit(p, "EditCityNum");
    box->setFocus();
    box->end(false);
    QTest::keyClick(box, static_cast<Qt::Key>(key), keypad ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(box->text(), cityText);
    QCOMPARE(p.campaign->numCities(), cities);

    // The districts' box filters the same way; its empty text counts as 6.
    QLineEdit* districts = edit(p, "EditDistrictNum");
    districts->setFocus();
    QTest::keyClick(districts, Qt::Key_X);
    QCOMPARE(districts->text(), QString());
    QCOMPARE(p.campaign->numDistricts(), 6);
    QVERIFY(p.boxes.shown.empty());
}

void CampaignEditorTest::countsFromText_data()
{
    QTest::addColumn<QString>("cityText");
    QTest::addColumn<int>("cities");

    QTest::newRow("number") << "42" << 42;
    QTest::newRow("negative") << "-3" << -3;
    QTest::newRow("empty") << "" << 20;
    QTest::newRow("letters") << "3x" << 20;
    QTest::newRow("too large for int") << "99999999999" << 20;
}

void CampaignEditorTest::countsFromText()
{
    QFETCH(QString, cityText);
    QFETCH(int, cities);

    TestProgram p;
    p.campaign->show();
    edit(p, "EditCityNum")->setText(cityText);
    QCOMPARE(p.campaign->numCities(), cities);

    // Plus and minus step the count and write it back.
    edit(p, "EditCityNum")->setText("40");
    button(p, "ButtonCityNumPlus")->click();
    QCOMPARE(edit(p, "EditCityNum")->text(), QString("41"));
    button(p, "ButtonCityNumMinus")->click();
    button(p, "ButtonCityNumMinus")->click();
    QCOMPARE(edit(p, "EditCityNum")->text(), QString("39"));
    QCOMPARE(p.campaign->numCities(), 39);
    edit(p, "EditCityNum")->setText("2147483647");
    button(p, "ButtonCityNumPlus")->click(); // no overflow
    QCOMPARE(p.campaign->numCities(), 2147483647);
}

void CampaignEditorTest::districtLock_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<bool>("byTyping");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("warning");

    QTest::newRow("plus, locked") << "" << false << "6" << kDistrictLock;
    QTest::newRow("typed, locked") << "" << true << "6" << kDistrictLock;
    QTest::newRow("plus, Czech, locked") << "[General]\r\nLanguage=Cze\r\n" << false << "6"
                                         << "Není možné měnit počet distriktů předtím, než dohrajete kampaň !";
    QTest::newRow("plus, campaign completed") << "[General]\r\nCC=1\r\n" << false << "7" << "";
    QTest::newRow("typed, campaign completed") << "[General]\r\nCC=1\r\n" << true << "67" << "";
}

void CampaignEditorTest::districtLock()
{
    QFETCH(QString, config);
    QFETCH(bool, byTyping);
    QFETCH(QString, expected);
    QFETCH(QString, warning);

    TestProgram p(config.toStdString());
    p.campaign->show();
    // The first warning is closed without OK, so it is shown again.
    p.boxes.answers = {MessageBoxes::Answer::Closed};
    if (byTyping) {
        QLineEdit* box = edit(p, "EditDistrictNum");
        box->setFocus();
        box->end(false);
        QTest::keyClick(box, Qt::Key_7);
    } else {
        button(p, "ButtonDistrictNumPlus")->click();
    }
    QCOMPARE(edit(p, "EditDistrictNum")->text(), expected);
    QCOMPARE(p.campaign->numDistricts(), expected.toInt());
    if (warning.isEmpty()) {
        QVERIFY(p.boxes.shown.empty());
    } else {
        QCOMPARE(p.boxes.shown.size(), std::size_t{2});
        for (const auto& shown : p.boxes.shown) {
            QCOMPARE(shown.kind, MessageBoxes::Kind::Warning);
            QCOMPARE(QString::fromStdString(shown.text), warning);
        }
    }
    // Minus below 6 meets the same lock.
    p.boxes.shown.clear();
    edit(p, "EditDistrictNum")->setText("6");
    button(p, "ButtonDistrictNumMinus")->click();
    QCOMPARE(edit(p, "EditDistrictNum")->text(), QString(warning.isEmpty() ? "5" : "6"));
    QCOMPARE(p.boxes.shown.size(), std::size_t{warning.isEmpty() ? 0u : 1u});
}

void CampaignEditorTest::densityLabel_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QColor>("colour");

    const QColor green(0, 128, 0), blue(0, 0, 255), red(255, 0, 0);
    QTest::newRow("25") << "" << 25 << "Max. house density: 25%\nRecommended for slow computers." << green;
    QTest::newRow("50") << "" << 50 << "Max. house density: 50%\nRecommended for slow computers." << green;
    QTest::newRow("51") << "" << 51 << "Max. house density: 51%\nRecommended for average computers" << blue;
    QTest::newRow("75") << "" << 75 << "Max. house density: 75%\nRecommended for average computers" << blue;
    QTest::newRow("76") << "" << 76 << "Max. house density: 76%\nRecommended for fast computers !" << red;
    QTest::newRow("100") << "" << 100 << "Max. house density: 100%\nRecommended for fast computers !" << red;
    const std::string cze = "[General]\r\nLanguage=Cze\r\n";
    QTest::newRow("Cze 50") << QString::fromStdString(cze) << 50 << "Max. hustota budov: 50%\nDoporučeno pro pomalý počítač"
                            << green;
    QTest::newRow("Cze 51") << QString::fromStdString(cze) << 51
                            << "Max. hustota budov: 51%\nDoporučeno pro průměrný počítač" << blue;
    QTest::newRow("Cze 76") << QString::fromStdString(cze) << 76
                            << "Max. hustota budov: 76%\nDoporučeno jen pro rychlý počítač !" << red;
}

void CampaignEditorTest::densityLabel()
{
    QFETCH(QString, config);
    QFETCH(int, position);
    QFETCH(QString, label);
    QFETCH(QColor, colour);

    TestProgram p(config.toStdString());
    p.campaign->show();
    goToStep(p, 2);
    const QLabel* densityLabel = child<QLabel>(p.campaign, "LabelMaxHouseDensity");
    QCOMPARE(densityLabel->palette().color(QPalette::WindowText), QColor(0, 0, 255)); // 70 at opening
    child<QSlider>(p.campaign, "TrackBarMaxHouseDensity")->setValue(position);
    QCOMPARE(densityLabel->text(), label);
    QCOMPARE(densityLabel->palette().color(QPalette::WindowText), colour);
    QCOMPARE(p.campaign->settings().maxHouseDensity, position);
}

void CampaignEditorTest::layoutCorrectsCounts_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("cityText");
    QTest::addColumn<QString>("districtText");
    QTest::addColumn<QString>("cities");
    QTest::addColumn<QString>("districts");

    const QString completed = "[General]\r\nCC=1\r\n";
    QTest::newRow("letter typed: 20 -> 30") << "" << "x" << "6" << "30" << "6";
    QTest::newRow("too many: 80 -> 55") << "" << "80" << "6" << "55" << "6";
    QTest::newRow("55 in 15 districts -> 75") << completed << "55" << "15" << "75" << "15";
    QTest::newRow("40 in 3 districts -> 6") << completed << "40" << "3" << "40" << "6";
    QTest::newRow("30 in 7 districts -> 35") << completed << "30" << "7" << "35" << "7";
}

void CampaignEditorTest::layoutCorrectsCounts()
{
    QFETCH(QString, config);
    QFETCH(QString, cityText);
    QFETCH(QString, districtText);
    QFETCH(QString, cities);
    QFETCH(QString, districts);

    TestProgram p(config.toStdString());
    p.campaign->show();
    edit(p, "EditCityNum")->setText(cityText);
    edit(p, "EditDistrictNum")->setText(districtText);
    goToStep(p, 3);
    QCOMPARE(edit(p, "EditCityNum")->text(), cities);
    QCOMPARE(edit(p, "EditDistrictNum")->text(), districts);
    QCOMPARE(p.campaign->numCities(), cities.toInt());
    QCOMPARE(p.campaign->numDistricts(), districts.toInt());
    QCOMPARE(p.campaign->campaign().cities.size(), static_cast<std::size_t>(cities.toInt() + 2));
    QVERIFY(p.boxes.shown.empty());
}

// The four steps to a written campaign, Back to a new map, then the
// overwrite question answered No.
void CampaignEditorTest::wholeCampaign()
{
    TestProgram p;
    writeAtlas(p, "SingleCity.ini", "single mission");
    p.campaign->show();
    goToStep(p, 2);
    child<QCheckBox>(p.campaign, "CheckBoxBigCity")->click(); // smaller cities keep the test quick
    child<QSlider>(p.campaign, "TrackBarMaxHouseDensity")->setValue(25);
    goToStep(p, 4);

    QCOMPARE(p.campaign->windowTitle(), QString("Campaign editor: Generate campaign - step 4/4"));
    QCOMPARE(working(p), QString("Campaign saved."));
    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(p.boxes.shown[0].kind, MessageBoxes::Kind::Information);
    QCOMPARE(QString::fromStdString(p.boxes.shown[0].text),
             QString("Campaign successfully generated.\rExit this program and run Korvane to play the game"));
    QVERIFY(fs::is_regular_file(atlas(p) / "start.ini"));
    QVERIFY(fs::is_regular_file(atlas(p) / "moon.bmp"));
    const std::string start = readFile(atlas(p) / "start.ini");
    QVERIFY(start.find("[31]\r\nName=Rebel Headquarters\r\n") != std::string::npos);
    QVERIFY(start.find("[Task14]") != std::string::npos);
    const CampaignCity& first = p.campaign->campaign().cities[1];
    QVERIFY(fs::is_regular_file(atlas(p) / (first.name + "GROUND.bmp")));
    QCOMPARE(readFile(atlas(p) / "SingleCity.ini"), std::string("single mission"));
    QVERIFY(!p.progress->isVisible());
    QVERIFY(!p.campaign->busy());
    QVERIFY(button(p, "ButtonBack")->isEnabled());
    QVERIFY(!button(p, "ButtonNext")->isEnabled());
    QVERIFY(button(p, "ButtonClose")->isEnabled());
    // The count is not raised by the campaign.
    QCOMPARE(p.campaign->numCities(), 30);
    QCOMPARE(edit(p, "EditCityNum")->text(), QString("30"));

    // Back makes a new map; the files stay.
    const Image firstMap = p.campaign->campaign().moonMap;
    button(p, "ButtonBack")->click();
    QCOMPARE(p.campaign->wizardStep(), 3);
    QVERIFY(button(p, "ButtonNext")->isEnabled());
    QVERIFY(!(p.campaign->campaign().moonMap == firstMap));
    QCOMPARE(readFile(atlas(p) / "start.ini"), start);

    // The campaign exists: No keeps it and goes back to step 1.
    p.boxes.shown.clear();
    p.boxes.answers = {MessageBoxes::Answer::No};
    button(p, "ButtonNext")->click();
    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(p.boxes.shown[0].kind, MessageBoxes::Kind::Question);
    QCOMPARE(QString::fromStdString(p.boxes.shown[0].text),
             QString("Campaign already exists.\rDo you want to overwrite it?"));
    QCOMPARE(p.campaign->wizardStep(), 1);
    QCOMPARE(p.campaign->windowTitle(), QString("Campaign editor: World size - step 1/4"));
    QCOMPARE(working(p), kStep1Help);
    QVERIFY(!button(p, "ButtonBack")->isEnabled());
    QVERIFY(button(p, "ButtonNext")->isEnabled());
    QCOMPARE(readFile(atlas(p) / "start.ini"), start);
    QVERIFY(fs::is_regular_file(atlas(p) / "moon.bmp"));
    QVERIFY(!p.progress->isVisible());
    QCOMPARE(p.campaign->numCities(), 30);
}

// Yes replaces an earlier campaign; Cancel during the first city stops the
// campaign before the second and keeps the previous campaign as it was.
void CampaignEditorTest::overwriteYesThenCancel()
{
    TestProgram p;
    writeAtlas(p, "start.ini", "old campaign");
    writeAtlas(p, "Oldtown.ini", "old city");
    writeAtlas(p, "SingleCityPLAN.bmp", "single mission");
    p.campaign->show();
    goToStep(p, 3);
    p.boxes.answers = {MessageBoxes::Answer::Yes};

    // Cancel is clicked once the progress dialog shows the first city's generation.
    QTimer poll;
    bool clicked = false;
    connect(&poll, &QTimer::timeout, p.campaign, [&] {
        if (clicked || !p.progress->isVisible())
            return;
        if (child<QLabel>(p.progress, "LabelTask")->text().startsWith("Current task: generating")) {
            clicked = true;
            child<QPushButton>(p.progress, "ButtonCancel")->click();
        }
    });
    poll.start(0);
    button(p, "ButtonNext")->click();
    poll.stop();

    QVERIFY(clicked);
    QCOMPARE(p.campaign->wizardStep(), 4);
    const QString cancelled = "Campaign generation cancelled: the previous campaign is unchanged.";
    QCOMPARE(working(p), cancelled);
    QCOMPARE(p.boxes.shown.size(), std::size_t{2});
    QCOMPARE(p.boxes.shown[0].kind, MessageBoxes::Kind::Question);
    QCOMPARE(p.boxes.shown[1].kind, MessageBoxes::Kind::Information);
    QCOMPARE(QString::fromStdString(p.boxes.shown[1].text),
             QString("Campaign generation cancelled.\rThe previous campaign in the atlas directory is unchanged."));
    QCOMPARE(readFile(atlas(p) / "Oldtown.ini"), std::string("old city"));
    QCOMPARE(readFile(atlas(p) / "SingleCityPLAN.bmp"), std::string("single mission"));
    QCOMPARE(readFile(atlas(p) / "start.ini"), std::string("old campaign"));
    QVERIFY(!fs::exists(atlas(p) / "moon.bmp"));
    QVERIFY(!p.progress->isVisible());
    QVERIFY(button(p, "ButtonBack")->isEnabled());
    QVERIFY(!button(p, "ButtonNext")->isEnabled());
    QCOMPARE(p.campaign->numCities(), 30);

    // Cancel outside a campaign does nothing to the next one.
    child<QPushButton>(p.progress, "ButtonCancel")->click();
    button(p, "ButtonBack")->click();
    p.boxes.shown.clear();
    button(p, "ButtonNext")->click();
    QCOMPARE(working(p), QString("Campaign saved."));
    QVERIFY(fs::is_regular_file(atlas(p) / "moon.bmp"));
}

void CampaignEditorTest::overwriteNotConfirmed_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("question");

    const QString english = "Campaign already exists.\rDo you want to overwrite it?";
    QTest::newRow("No") << int(MessageBoxes::Answer::No) << "" << english;
    // A question closed without an answer replaces nothing either.
    QTest::newRow("closed") << int(MessageBoxes::Answer::Closed) << "" << english;
    QTest::newRow("No, Czech") << int(MessageBoxes::Answer::No) << "[General]\r\nLanguage=Cze\r\n"
                               << "Kampaň již existuje.\rChcete ji přepsat?";
}

// The old campaign stays byte for byte and the wizard shows step 1.
void CampaignEditorTest::overwriteNotConfirmed()
{
    QFETCH(int, answer);
    QFETCH(QString, config);
    QFETCH(QString, question);

    TestProgram p(config.toStdString());
    writeAtlas(p, "campaign.ini", "older campaign");
    writeAtlas(p, "Oldtown.ini", "old city");
    p.campaign->show();
    goToStep(p, 3);
    p.boxes.answers = {static_cast<MessageBoxes::Answer>(answer)};
    button(p, "ButtonNext")->click();

    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(p.boxes.shown[0].kind, MessageBoxes::Kind::Question);
    QCOMPARE(QString::fromStdString(p.boxes.shown[0].text), question);
    QCOMPARE(p.campaign->wizardStep(), 1);
    QVERIFY(edit(p, "EditCityNum")->isVisibleTo(p.campaign));
    QCOMPARE(readFile(atlas(p) / "campaign.ini"), std::string("older campaign"));
    QCOMPARE(readFile(atlas(p) / "Oldtown.ini"), std::string("old city"));
    QVERIFY(!fs::exists(atlas(p) / "start.ini"));
    QVERIFY(!p.progress->isVisible());
}

// An atlas that cannot be written: the error is reported, the progress
// dialog closes, and Back and Close work.
void CampaignEditorTest::failedCampaignIsReported()
{
    TestProgram p;
    writeFile(atlas(p), "not a directory");
    p.campaign->show();
    goToStep(p, 4);

    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(p.boxes.shown[0].kind, MessageBoxes::Kind::Error);
    QVERIFY2(QString::fromStdString(p.boxes.shown[0].text).contains("atlas"), p.boxes.shown[0].text.c_str());
    QVERIFY(working(p).contains("atlas"));
    QVERIFY(!p.progress->isVisible());
    QVERIFY(!p.campaign->busy());
    QVERIFY(button(p, "ButtonBack")->isEnabled());
    QVERIFY(!button(p, "ButtonNext")->isEnabled());
    QVERIFY(button(p, "ButtonClose")->isEnabled());
    QCOMPARE(readFile(atlas(p)), std::string("not a directory"));

    button(p, "ButtonBack")->click();
    QCOMPARE(p.campaign->wizardStep(), 3);
    QVERIFY(button(p, "ButtonNext")->isEnabled());
    button(p, "ButtonClose")->click();
    QVERIFY(!p.campaign->isVisible());
}

// Without every picture the wizard asks nothing, deletes nothing and names the missing picture.
void CampaignEditorTest::incompleteCatalogueRefuses()
{
    TestProgram p({}, DataSetup::WithoutRoadNS);
    p.boxes.shown.clear(); // the start's own report
    writeAtlas(p, "start.ini", "old campaign");
    p.campaign->show();
    goToStep(p, 4);

    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(p.boxes.shown[0].kind, MessageBoxes::Kind::Error);
    QVERIFY2(QString::fromStdString(p.boxes.shown[0].text).contains("roadNS.bmp"), p.boxes.shown[0].text.c_str());
    QCOMPARE(readFile(atlas(p) / "start.ini"), std::string("old campaign"));
    QVERIFY(!p.progress->isVisible());
    QVERIFY(button(p, "ButtonBack")->isEnabled());
    QVERIFY(!button(p, "ButtonNext")->isEnabled());
}

void CampaignEditorTest::missingDataFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("named");

    QTest::newRow("no city names") << "citynames.txt" << "" << "citynames.txt";
    QTest::newRow("no city icon") << "moonBase.bmp" << "" << "moonBase.bmp";
    QTest::newRow("broken city icon") << "moonBase.bmp" << "BM not a picture" << "moonBase.bmp";
    QTest::newRow("no label font") << "DejaVuSansCondensed.ttf" << "" << "DejaVuSansCondensed.ttf";
    QTest::newRow("too few names") << "citynames.txt" << "Alpha\r\nBeta\r\nGamma\r\n" << "citynames.txt";
}

// A data file the layout needs is missing or unusable: the opening or step 3
// names it, and step 3 returns to step 2.
void CampaignEditorTest::missingDataFile()
{
    QFETCH(QString, file);
    QFETCH(QString, replacement);
    QFETCH(QString, named);

    TestProgram p;
    dataWithout(p, file.toLatin1().constData(), replacement.toStdString());
    p.campaign->show();
    QCOMPARE(p.campaign->wizardStep(), 1);
    QCOMPARE(edit(p, "EditCityNum")->text(), QString("30"));
    const bool tooFewNames = QTest::currentDataTag() == QByteArray("too few names");
    QCOMPARE(p.boxes.shown.size(), std::size_t{tooFewNames ? 0u : 1u});

    goToStep(p, 2);
    button(p, "ButtonNext")->click();
    QCOMPARE(p.campaign->wizardStep(), 2);
    QCOMPARE(p.campaign->windowTitle(), QString("Campaign editor: Performance settings - step 2/4"));
    QVERIFY(!p.boxes.shown.empty());
    for (const auto& shown : p.boxes.shown) {
        QCOMPARE(shown.kind, MessageBoxes::Kind::Error);
        QVERIFY2(QString::fromStdString(shown.text).contains(named), shown.text.c_str());
    }
    QVERIFY(button(p, "ButtonBack")->isEnabled());
    QVERIFY(button(p, "ButtonClose")->isEnabled());
    QVERIFY(!p.campaign->busy());
    QVERIFY(!fs::exists(atlas(p)));
}

// Closing discards the campaign; the next opening shows 30 and 6 at once.
void CampaignEditorTest::reopeningShowsDefaults()
{
    TestProgram p("[General]\r\nCC=1\r\n");
    p.campaign->show();
    edit(p, "EditCityNum")->setText("44");
    edit(p, "EditDistrictNum")->setText("8");
    goToStep(p, 3);
    child<QSlider>(p.campaign, "TrackBarMaxHouseDensity")->setValue(90);
    button(p, "ButtonClose")->click();
    QVERIFY(!p.campaign->isVisible());
    QVERIFY(p.campaign->campaign().cities.empty());
    QVERIFY(p.campaign->campaign().moonBase.empty());

    p.campaign->show();
    QCOMPARE(p.campaign->wizardStep(), 1);
    QCOMPARE(edit(p, "EditCityNum")->text(), QString("30"));
    QCOMPARE(edit(p, "EditDistrictNum")->text(), QString("6"));
    QCOMPARE(p.campaign->numCities(), 30);
    QCOMPARE(p.campaign->numDistricts(), 6);
    QCOMPARE(child<QSlider>(p.campaign, "TrackBarMaxHouseDensity")->value(), 70);
    QCOMPARE(child<QLabel>(p.campaign, "LabelMaxHouseDensity")->text(),
             QString("Max. house density: 70%\nRecommended for average computers"));
    QVERIFY(child<QLabel>(p.campaign, "ImageMoonMap")->pixmap().isNull());
    QVERIFY(p.boxes.shown.empty());
}

void CampaignEditorTest::mainMenuOpensWizard()
{
    TestProgram p;
    bool wasModal = false;
    int stepShown = 0;
    bool closed = false;
    QTimer::singleShot(0, p.campaign, [&] {
        wasModal = p.campaign->isVisible() && p.campaign->isModal();
        stepShown = p.campaign->wizardStep();
        closed = closesItsWindow(p.campaign, button(p, "ButtonClose"));
    });
    child<QPushButton>(p.menu, "ButtonCampaign")->click();
    QVERIFY(closed);
    QVERIFY(wasModal);
    QCOMPARE(stepShown, 1);
    QVERIFY(!p.campaign->isVisible());
    QVERIFY(p.boxes.shown.empty());
}

int runCampaignEditorTest(int argc, char** argv)
{
    CampaignEditorTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CampaignEditorTest.moc"
