// The campaign wizard: its steps and texts in both languages, the count
// boxes' validation, plus and minus, district lock and shown corrections, the
// density label, the remembered choices, the campaign written through the progress
// dialog (overwrite question, cancel, failures) and the missing data files.

#include "GuiTestSupport.hpp"

#include "campaign/CampaignWriter.hpp"

#include <QCheckBox>
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
    "EditDistrictNum", "ButtonDistrictNumPlus", "ButtonDistrictNumMinus", "LabelCorrection", "CheckBoxBigCity",
    "CheckBoxLimitedLights", "LabelMaxHouseDensity", "TrackBarMaxHouseDensity", "PanelImg"};

const QString kDistrictLock =
    "You are not allowed to change number of districts until you successfully complete campaign!\r"
    "Finish the game's campaign to unlock this: the game then writes CC=1 into config.ini in its folder.";
const QString kStep1Help =
    "Select overall number of cities and number of districts to be generated. You cannot change number of "
    "districts until you complete the campaign. Minimum number of cities is 30 and maximum is 55. Minimum number "
    "of districts is 6 and maximum is 15. However there has to be at least 5 cities in each district. These "
    "settings are automatically corrected if inappropriate.";

QPushButton* button(TestProgram& p, const char* name)
{
    return child<QPushButton>(p.campaign, name);
}

QLineEdit* edit(TestProgram& p, const char* name)
{
    return child<QLineEdit>(p.campaign, name);
}

// Types into a count box as the player does, replacing what it holds.
void type(TestProgram& p, const char* name, const QString& text)
{
    QLineEdit* box = edit(p, name);
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

QString correction(TestProgram& p)
{
    return child<QLabel>(p.campaign, "LabelCorrection")->text();
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
    fs::remove_all(data); // the link on POSIX systems (not followed), the folder on Windows
    linkDataWithout(p.dir.path(), left);
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
    void countsTyped_data();
    void countsTyped();
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
    void reopeningShowsRememberedChoices();
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
    QTest::newRow("CheckBoxBigCity") << "CheckBoxBigCity" << QRect(328, 88, 121, 17) << "&Generate large cities";
    QTest::newRow("CheckBoxLimitedLights") << "CheckBoxLimitedLights" << QRect(328, 112, 137, 17)
                                           << "&Limited number of lights";
    QTest::newRow("ButtonBack") << "ButtonBack" << QRect(224, 360, 91, 33) << "<< &Back";
    QTest::newRow("ButtonNext") << "ButtonNext" << QRect(320, 360, 97, 33) << "&Next >>";
    QTest::newRow("ButtonClose") << "ButtonClose" << QRect(424, 360, 99, 33) << "&Close";
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
                                      "ButtonDistrictNumMinus", "LabelCorrection"}
                       << kStep1Help;
    QTest::newRow("2") << 2 << "Campaign editor: Performance settings - step 2/4"
                       << QStringList{"CheckBoxBigCity", "CheckBoxLimitedLights", "LabelMaxHouseDensity",
                                      "TrackBarMaxHouseDensity"}
                       << "Maximum house density is the most important setting affecting game performance. Set "
                          "this value according to your system configuration. 'Generate large cities' and "
                          "'Limited number of lights' will also affect game performance.";
    QTest::newRow("3") << 3 << "Campaign editor: Preview - step 3/4" << QStringList{"PanelImg"}
                       << "Preview generated.\nPress 'Next' button to save campaign.\nSeed ";
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
    // The preview's status ends with the seed that laid the map out.
    if (step == 3)
        QVERIFY2(working(p).startsWith(label), qPrintable(working(p)));
    else
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
    QCOMPARE(button(p, "ButtonBack")->text(), QString("<< &Zpět"));
    QCOMPARE(button(p, "ButtonNext")->text(), QString("&Další >>"));
    QCOMPARE(button(p, "ButtonClose")->text(), QString("&Konec"));
    QCOMPARE(child<QCheckBox>(p.campaign, "CheckBoxBigCity")->text(), QString("&Generuj velká města"));
    QCOMPARE(child<QCheckBox>(p.campaign, "CheckBoxLimitedLights")->text(), QString("Nižší &počet světel"));
    QCOMPARE(child<QLabel>(p.campaign, "LabelCityNum")->text(), QString("Počet &měst:"));
    QCOMPARE(child<QLabel>(p.campaign, "LabelNumDistricts")->text(), QString("Počet di&striktů:"));
    QCOMPARE(child<QLabel>(p.campaign, "LabelSeed")->text(), QString("Sem&ínko:"));
    QVERIFY(working(p).startsWith("Nastavte celkové množství měst"));
    QVERIFY(working(p).endsWith("alespoň 5 měst."));
    QCOMPARE(child<QLabel>(p.campaign, "LabelMaxHouseDensity")->text(),
             QString("Max. hustota budov: 70%\nDoporučeno pro průměrný počítač"));

    goToStep(p, 2);
    QCOMPARE(p.campaign->windowTitle(), QString("Editor kampaně: Nastavení podle výkonu - krok 2/4"));
    QVERIFY(working(p).contains("'Generuj velká města' a 'Nižší počet světel' budou mít také vliv na výkon."));
    goToStep(p, 3);
    QCOMPARE(p.campaign->windowTitle(), QString("Editor kampaně: Náhled - krok 3/4"));
    QVERIFY(working(p).startsWith("Náhled vygenerován.\nStiskněte 'Další' a uložte kampaň.\nSemínko "));
    goToStep(p, 4);
    QCOMPARE(p.campaign->windowTitle(), QString("Editor kampaně: Generuj kampaň - krok 4/4"));
    QCOMPARE(working(p), QString("Kampaň uložena."));
    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(p.boxes.shown[0].text)
                .startsWith("Kampaň byla úspěšně vygenerována.\rUkončete tento program a spusťte Korvane.\rKampaň je ve "
                            "složce "));
    // Objectives and the start file follow the language too.
    QVERIFY(fs::is_regular_file(atlas(p) / "start.ini"));
}

void CampaignEditorTest::countsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("cities");
    QTest::addColumn<QString>("corrected");

    const QString kept = "Counts corrected to 30 cities in 6 districts.";
    QTest::newRow("in range") << "42" << "42" << 42 << "";
    QTest::newRow("top") << "55" << "55" << 55 << "";
    QTest::newRow("third digit refused") << "999" << "99" << 30 << kept;
    QTest::newRow("empty") << "" << "" << 30 << kept;
    QTest::newRow("letter refused") << "3x" << "3" << 30 << kept;
    QTest::newRow("sign refused") << "-3" << "3" << 30 << kept;
}

// Only digits within 30..55 reach the count; an empty or unfinished box is
// never taken silently: the line below says what the campaign gets, and the
// next step puts the count back into the box.
void CampaignEditorTest::countsTyped()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, cities);
    QFETCH(QString, corrected);

    TestProgram p;
    p.campaign->show();
    type(p, "EditCityNum", typed);
    QCOMPARE(edit(p, "EditCityNum")->text(), shown);
    QCOMPARE(p.campaign->model().asked().cities, cities);
    QCOMPARE(correction(p), corrected);
    goToStep(p, 2);
    button(p, "ButtonBack")->click();
    QCOMPARE(edit(p, "EditCityNum")->text(), QString::number(cities));
    QCOMPARE(correction(p), QString());

    // Plus and minus step the count within its range.
    type(p, "EditCityNum", "54");
    for (int i = 0; i < 3; ++i)
        button(p, "ButtonCityNumPlus")->click();
    QCOMPARE(edit(p, "EditCityNum")->text(), QString("55"));
    type(p, "EditCityNum", "31");
    for (int i = 0; i < 3; ++i)
        button(p, "ButtonCityNumMinus")->click();
    QCOMPARE(edit(p, "EditCityNum")->text(), QString("30"));
    QCOMPARE(p.campaign->model().asked().cities, 30);
    QVERIFY(p.boxes.shown.empty());
}

void CampaignEditorTest::districtLock_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<bool>("byTyping");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("warning");

    QTest::newRow("plus, locked") << "" << false << "6" << kDistrictLock;
    QTest::newRow("typed, locked") << "" << true << "6" << kDistrictLock;
    QTest::newRow("plus, Czech, locked")
        << "[General]\r\nLanguage=Cze\r\n" << false << "6"
        << "Není možné měnit počet distriktů předtím, než dohrajete kampaň!\rOdemkne se dohráním kampaně ve hře: hra "
           "pak zapíše CC=1 do souboru config.ini ve své složce.";
    QTest::newRow("plus, campaign completed") << "[General]\r\nCC=1\r\n" << false << "7" << "";
    QTest::newRow("typed, campaign completed") << "[General]\r\nCC=1\r\n" << true << "7" << "";
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
        type(p, "EditDistrictNum", "7");
    } else {
        button(p, "ButtonDistrictNumPlus")->click();
    }
    QCOMPARE(edit(p, "EditDistrictNum")->text(), expected);
    QCOMPARE(p.campaign->model().asked().districts, expected.toInt());
    if (warning.isEmpty()) {
        QVERIFY(p.boxes.shown.empty());
    } else {
        QCOMPARE(p.boxes.shown.size(), std::size_t{2});
        for (const auto& shown : p.boxes.shown) {
            QCOMPARE(shown.kind, MessageBoxes::Kind::Warning);
            QCOMPARE(QString::fromStdString(shown.text), warning);
        }
    }
    // Minus never goes below 6, locked or not.
    p.boxes.shown.clear();
    type(p, "EditDistrictNum", "6");
    button(p, "ButtonDistrictNumMinus")->click();
    QCOMPARE(edit(p, "EditDistrictNum")->text(), QString("6"));
    QVERIFY(p.boxes.shown.empty());
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
    QTest::addColumn<int>("cities");
    QTest::addColumn<int>("districts");

    const QString completed = "[General]\r\nCC=1\r\n";
    QTest::newRow("letter refused: 30") << "" << "x" << "6" << 30 << 6;
    QTest::newRow("unfinished 80: 30") << "" << "80" << "6" << 30 << 6;
    QTest::newRow("55 in 15 districts -> 75") << completed << "55" << "15" << 75 << 15;
    QTest::newRow("unfinished 3 districts: 6") << completed << "40" << "3" << 40 << 6;
    QTest::newRow("30 in 7 districts -> 35") << completed << "30" << "7" << 35 << 7;
}

void CampaignEditorTest::layoutCorrectsCounts()
{
    QFETCH(QString, config);
    QFETCH(QString, cityText);
    QFETCH(QString, districtText);
    QFETCH(int, cities);
    QFETCH(int, districts);

    TestProgram p(config.toStdString());
    p.campaign->show();
    type(p, "EditCityNum", cityText);
    type(p, "EditDistrictNum", districtText);
    // Step 1 says what the campaign gets before anything is generated.
    const CampaignEditorModel::Counts asked = p.campaign->model().asked();
    const QString note = QString("Counts corrected to %1 cities in %2 districts.").arg(cities).arg(districts);
    const bool changed = asked.cities != cities || asked.districts != districts ||
                         QString::number(asked.cities) != cityText || QString::number(asked.districts) != districtText;
    QCOMPARE(correction(p), changed ? note : QString());
    goToStep(p, 3);
    QCOMPARE(edit(p, "EditCityNum")->text(), QString::number(asked.cities));
    QCOMPARE(edit(p, "EditDistrictNum")->text(), QString::number(asked.districts));
    const bool rulesCorrected = asked.cities != cities || asked.districts != districts;
    QCOMPARE(correction(p), rulesCorrected ? note : QString());
    QCOMPARE(p.campaign->numCities(), cities);
    QCOMPARE(p.campaign->numDistricts(), districts);
    QCOMPARE(p.campaign->campaign().cities.size(), static_cast<std::size_t>(cities + 2));
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
             QString("Campaign successfully generated.\rExit this program and run Korvane to play the game.\r"
                     "The campaign is in %1.")
                 .arg(QString::fromStdString(atlas(p).string())));
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
// An atlas/ that cannot be written (here a file stands in its place): step 4
// says so before any work, names the folder, and the wizard stays on the
// preview of step 3; nothing is changed.
void CampaignEditorTest::failedCampaignIsReported()
{
    TestProgram p;
    writeFile(atlas(p), "not a directory");
    p.campaign->show();
    goToStep(p, 3);
    button(p, "ButtonNext")->click();

    QCOMPARE(p.campaign->wizardStep(), 3);
    QCOMPARE(p.campaign->windowTitle(), QString("Campaign editor: Preview - step 3/4"));
    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(p.boxes.shown[0].kind, MessageBoxes::Kind::Warning);
    QCOMPARE(QString::fromStdString(p.boxes.shown[0].text),
             QString("The game's folder cannot be written:\r%1\rChoose another game folder in the main menu, or "
                     "allow writing to this one.")
                 .arg(QString::fromStdString(atlas(p).string())));
    QVERIFY(working(p).startsWith("Preview generated."));
    QVERIFY(child<QWidget>(p.campaign, "PanelImg")->isVisible());
    QVERIFY(!p.progress->isVisible());
    QVERIFY(!p.campaign->busy());
    QVERIFY(button(p, "ButtonBack")->isEnabled());
    QVERIFY(button(p, "ButtonNext")->isEnabled());
    QCOMPARE(readFile(atlas(p)), std::string("not a directory"));
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

// Closing discards the campaign; the next opening, also in a new run of the
// program (new windows), shows the player's last choices, through the
// district lock; resetToDefaults() brings the defaults back.
void CampaignEditorTest::reopeningShowsRememberedChoices()
{
    TestProgram p("[General]\r\nCC=1\r\n");
    p.campaign->show();
    type(p, "EditCityNum", "44");
    type(p, "EditDistrictNum", "8");
    child<QLineEdit>(p.campaign, "EditSeed")->setText("1234");
    goToStep(p, 2);
    child<QSlider>(p.campaign, "TrackBarMaxHouseDensity")->setValue(90);
    child<QCheckBox>(p.campaign, "CheckBoxLimitedLights")->setChecked(true);
    goToStep(p, 3);
    button(p, "ButtonClose")->click();
    QVERIFY(!p.campaign->isVisible());
    QVERIFY(p.campaign->campaign().cities.empty());
    QVERIFY(p.campaign->campaign().moonBase.empty());

    const auto remembered = [](TestProgram& q, const QString& cities, const QString& districts, int density,
                               bool limited, const QString& seed) {
        q.campaign->show();
        QCOMPARE(q.campaign->wizardStep(), 1);
        QCOMPARE(edit(q, "EditCityNum")->text(), cities);
        QCOMPARE(edit(q, "EditDistrictNum")->text(), districts);
        QCOMPARE(edit(q, "EditSeed")->text(), seed);
        QCOMPARE(child<QSlider>(q.campaign, "TrackBarMaxHouseDensity")->value(), density);
        QCOMPARE(child<QCheckBox>(q.campaign, "CheckBoxLimitedLights")->isChecked(), limited);
        QCOMPARE(q.campaign->settings().maxHouseDensity, density);
        QCOMPARE(q.campaign->settings().limitedLights, limited);
        QVERIFY(child<QLabel>(q.campaign, "ImageMoonMap")->pixmap().isNull());
        QVERIFY(q.boxes.shown.empty());
    };
    remembered(p, "44", "8", 90, true, "1234");
    p.campaign->close();
    {
        TestProgram again("[General]\r\nCC=1\r\n", DataSetup::Full, Settings::Kept);
        remembered(again, "44", "8", 90, true, "1234");
        again.campaign->close();
    }
    {
        TestProgram locked("", DataSetup::Full, Settings::Kept);
        remembered(locked, "44", "6", 90, true, "1234");
        button(locked, "ButtonReset")->click();
        remembered(locked, "30", "6", 70, false, "");
    }
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
