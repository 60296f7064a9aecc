// The single-mission wizard: its steps, the controls' mapping to the model,
// the landmark lock, the work of steps 8 and 9 and its failures.

#include "GuiTestSupport.hpp"

#include "cityfiles/CityDescriptionFile.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <map>

using namespace vantor;
using namespace vantor::test;

namespace {

// The controls a step shows or hides.
const char* const kStepControls[] = {
    "RadioGroupSize", "RadioGroupLampGrid", "CheckBoxWallN", "CheckBoxWallE", "CheckBoxWallS", "CheckBoxWallW",
    "CheckBoxWallsYN", "CheckBoxHighway", "CheckBoxCity", "CheckBoxIndustrial", "TrackBarRoadDensity",
    "LabelRoadDensity", "TrackBarHouseDensity", "LabelHouseDensity", "TrackBarHillness", "LabelHillness",
    "TrackBarRebels", "LabelRebels", "CheckBoxLandMark", "ComboBoxLandmark", "PanelPreview", "ButtonShowGround"};

std::filesystem::path atlas(TestProgram& p)
{
    return p.dir.path() / "atlas";
}

QPushButton* button(TestProgram& p, const char* name)
{
    return child<QPushButton>(p.editor, name);
}

QCheckBox* box(TestProgram& p, const char* name)
{
    return child<QCheckBox>(p.editor, name);
}

QSlider* slider(TestProgram& p, const char* name)
{
    return child<QSlider>(p.editor, name);
}

QString labelText(TestProgram& p, const char* name)
{
    return child<QLabel>(p.editor, name)->text();
}

void chooseSize(TestProgram& p, int item)
{
    child<QRadioButton>(p.editor, QString("RadioGroupSizeItem%1").arg(item).toLatin1().constData())->click();
}

// Clicks Next until the step is reached (steps 8 and 9 do their work on the way).
void goToStep(TestProgram& p, int step)
{
    test::goToStep(p.editor, step, &p.boxes);
}

// True when the only boxes shown say where the single mission was saved.
bool onlySavedBoxes(TestProgram& p)
{
    for (const auto& shown : p.boxes.shown)
        if (shown.kind != MessageBoxes::Kind::Information ||
            shown.text != "Single mission map saved in " + atlas(p).string() + ".")
            return false;
    return true;
}

// The user picks a landmark item from the selector with the keyboard.
void userChoosesLandmark(TestProgram& p, int item)
{
    QComboBox* combo = child<QComboBox>(p.editor, "ComboBoxLandmark");
    combo->setCurrentIndex(item - 1);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
}

} // namespace

class CityEditorTest : public QObject {
    Q_OBJECT
private slots:
    void firstOpening();
    void steps_data();
    void steps();
    void highwayBoxOnStep4_data();
    void highwayBoxOnStep4();
    void landmarkLock_data();
    void landmarkLock();
    void programSetsLandmarkWithoutLock();
    void wallsBoxEnablesSides();
    void slidersAndSizeReachModel();
    void resetFromAnyStep_data();
    void resetFromAnyStep();
    void previewAndSaveWriteFourFiles();
    void resetAndCloseWaitForWork();
    void writtenBackValuesShown();
    void picturesSurviveClosing();
    void czechTexts();
    void lowerCaseCzeIsEnglish();
    void failedSaveIsReported();
    void incompleteCatalogueRefusesPreview();
    void failedStepSpeaksTheProgramLanguage();
    void choicesRemembered();
};

void CityEditorTest::firstOpening()
{
    TestProgram p;
    p.editor->show();
    QCOMPARE(p.editor->wizardStep(), 1);
    QVERIFY(child<QRadioButton>(p.editor, "RadioGroupSizeItem3")->isChecked());
    QCOMPARE(child<QRadioButton>(p.editor, "RadioGroupSizeItem3")->text(), QString("&Large"));
    QVERIFY(!button(p, "ButtonBack")->isEnabled());
    QVERIFY(button(p, "ButtonNext")->isEnabled());
    QCOMPARE(p.editor->windowTitle(), QString("City editor: City size - step 1/9"));
    QVERIFY(p.boxes.shown.empty());
}

void CityEditorTest::steps_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("back");
    QTest::addColumn<bool>("next");

    QTest::newRow("1") << 1 << "City editor: City size - step 1/9" << QStringList{"RadioGroupSize"} << false << true;
    QTest::newRow("2") << 2 << "City editor: Street lamps - step 2/9" << QStringList{"RadioGroupLampGrid"} << true
                       << true;
    QTest::newRow("3") << 3 << "City editor: City walls - step 3/9"
                       << QStringList{"CheckBoxWallN", "CheckBoxWallE", "CheckBoxWallS", "CheckBoxWallW",
                                      "CheckBoxWallsYN"}
                       << true << true;
    QTest::newRow("4") << 4 << "City editor: Buildings - step 4/9"
                       << QStringList{"CheckBoxHighway", "CheckBoxCity", "CheckBoxIndustrial", "CheckBoxLandMark",
                                      "ComboBoxLandmark"}
                       << true << true;
    QTest::newRow("5") << 5 << "City editor: Road and house density - step 5/9"
                       << QStringList{"TrackBarRoadDensity", "LabelRoadDensity", "TrackBarHouseDensity",
                                      "LabelHouseDensity"}
                       << true << true;
    QTest::newRow("6") << 6 << "City editor: Elevation - step 6/9" << QStringList{"TrackBarHillness", "LabelHillness"}
                       << true << true;
    QTest::newRow("7") << 7 << "City editor: Rebel activity - step 7/9"
                       << QStringList{"TrackBarRebels", "LabelRebels"} << true << true;
    QTest::newRow("8") << 8 << "City editor: Preview - step 8/9" << QStringList{"PanelPreview", "ButtonShowGround"}
                       << true << true;
    QTest::newRow("9") << 9 << "City editor: Save - step 9/9" << QStringList{"PanelPreview", "ButtonShowGround"}
                       << true << false;
}

void CityEditorTest::steps()
{
    QFETCH(int, step);
    QFETCH(QString, title);
    QFETCH(QStringList, shown);
    QFETCH(bool, back);
    QFETCH(bool, next);

    TestProgram p;
    p.editor->show();
    chooseSize(p, 0); // a very small city keeps steps 8 and 9 quick
    goToStep(p, step);
    QCOMPARE(p.editor->windowTitle(), title);
    for (const char* name : kStepControls) {
        const QWidget* control = child<QWidget>(p.editor, name);
        QVERIFY2(control->isVisibleTo(p.editor) == shown.contains(name), name);
    }
    QCOMPARE(button(p, "ButtonBack")->isEnabled(), back);
    QCOMPARE(button(p, "ButtonNext")->isEnabled(), next);
    QVERIFY(!labelText(p, "LabelInfo").isEmpty());
    // The terminals and the city name are never shown.
    for (const char* name : {"CheckBoxHangarNW", "CheckBoxHangarNE", "CheckBoxHangarSE", "CheckBoxHangarSW",
                             "EditCityName"})
        QVERIFY2(child<QWidget>(p.editor, name)->isHidden(), name);
    QCOMPARE(p.boxes.shown.size(), std::size_t{step == 9 ? 1u : 0u});
    QVERIFY(onlySavedBoxes(p));
}

void CityEditorTest::highwayBoxOnStep4_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("Very small") << 0 << false;
    QTest::newRow("Small") << 1 << false;
    QTest::newRow("Medium") << 2 << true;
    QTest::newRow("Large") << 3 << true;
}

void CityEditorTest::highwayBoxOnStep4()
{
    QFETCH(int, size);
    QFETCH(bool, enabled);

    TestProgram p;
    p.editor->show();
    chooseSize(p, size);
    goToStep(p, 4);
    QCOMPARE(box(p, "CheckBoxHighway")->isEnabled(), enabled);
    QVERIFY(box(p, "CheckBoxHighway")->isChecked());
    QVERIFY(p.editor->model().params().highway);
}

void CityEditorTest::landmarkLock_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("warning");

    const QString locked = "You are not allowed to make this selection until you successfully complete campaign!\r"
                           "Finish the game's campaign to unlock this: the game then writes CC=1 into config.ini in "
                           "its folder.";
    QTest::newRow("Gunshop, no campaign") << "" << 3 << 3 << "";
    QTest::newRow("Fort, no campaign") << "" << 4 << 0 << locked;
    QTest::newRow("Lab, no campaign") << "" << 5 << 0 << locked;
    QTest::newRow("RebelHQ, no campaign") << "" << 8 << 0 << locked;
    QTest::newRow("Lab, campaign completed") << "[General]\r\nCC=1\r\n" << 5 << 5 << "";
    QTest::newRow("Lab, Czech") << "[General]\r\nLanguage=Cze\r\n" << 5 << 0
                                << "Nemůžete zvolit tuto položku, dokud nedokončíte kampaň ve hře!\rOdemkne se dohráním "
                                   "kampaně ve hře: hra pak zapíše CC=1 do souboru config.ini ve své složce.";
}

void CityEditorTest::landmarkLock()
{
    QFETCH(QString, config);
    QFETCH(int, item);
    QFETCH(int, expected);
    QFETCH(QString, warning);

    TestProgram p(config.toStdString());
    p.editor->show();
    goToStep(p, 4);
    // The first warning is closed without OK, so it is shown again.
    p.boxes.answers = {MessageBoxes::Answer::Closed};
    userChoosesLandmark(p, item);

    QCOMPARE(child<QComboBox>(p.editor, "ComboBoxLandmark")->currentIndex(), expected);
    QCOMPARE(static_cast<int>(p.editor->model().params().landmarkKind), expected);
    // The mission layouts are marked in the list, with the way to unlock them, until the campaign is finished.
    const QComboBox* combo = child<QComboBox>(p.editor, "ComboBoxLandmark");
    const bool completed = config.contains("CC=1");
    for (int i = 0; i < combo->count(); ++i) {
        const bool locked = i >= 4 && !completed;
        QCOMPARE(combo->itemData(i, Qt::ToolTipRole).toString().contains("CC=1"), locked);
        QCOMPARE(combo->itemData(i, Qt::ForegroundRole).isValid(), locked);
    }
    if (warning.isEmpty()) {
        QVERIFY(p.boxes.shown.empty());
    } else {
        QCOMPARE(p.boxes.shown.size(), std::size_t{2});
        for (const auto& shown : p.boxes.shown) {
            QCOMPARE(shown.kind, MessageBoxes::Kind::Warning);
            QCOMPARE(QString::fromStdString(shown.text), warning);
        }
    }
}

// Only the user's own choice meets the lock; the program (the campaign) may set any item.
void CityEditorTest::programSetsLandmarkWithoutLock()
{
    TestProgram p;
    child<QComboBox>(p.editor, "ComboBoxLandmark")->setCurrentIndex(5);
    QCOMPARE(p.editor->model().params().landmarkKind, LandmarkKind::Lab);
    QVERIFY(p.boxes.shown.empty());

    box(p, "CheckBoxLandMark")->setChecked(false);
    QVERIFY(!p.editor->model().params().landmark);
    QVERIFY(!child<QComboBox>(p.editor, "ComboBoxLandmark")->isEnabled());
}

void CityEditorTest::wallsBoxEnablesSides()
{
    TestProgram p;
    p.editor->show();
    goToStep(p, 3);
    box(p, "CheckBoxWallE")->click(); // one side off before the walls go
    box(p, "CheckBoxWallsYN")->click();
    QVERIFY(!p.editor->model().params().walls);
    for (const char* side : {"CheckBoxWallN", "CheckBoxWallE", "CheckBoxWallS", "CheckBoxWallW"}) {
        QVERIFY2(!box(p, side)->isEnabled(), side);
        QCOMPARE(box(p, side)->isChecked(), std::string_view(side) != "CheckBoxWallE");
    }
    QVERIFY(!p.editor->model().params().wallE);
    QVERIFY(p.editor->model().params().wallN);

    box(p, "CheckBoxWallsYN")->click();
    QVERIFY(p.editor->model().params().walls);
    for (const char* side : {"CheckBoxWallN", "CheckBoxWallE", "CheckBoxWallS", "CheckBoxWallW"})
        QVERIFY2(box(p, side)->isEnabled(), side);
}

void CityEditorTest::slidersAndSizeReachModel()
{
    TestProgram p;
    p.editor->show();
    slider(p, "TrackBarHouseDensity")->setValue(80);
    QCOMPARE(p.editor->model().params().houseDensity(), 0.8f);
    QCOMPARE(labelText(p, "LabelHouseDensity"), QString("House density: 80"));
    slider(p, "TrackBarRoadDensity")->setValue(15);
    QCOMPARE(labelText(p, "LabelRoadDensity"), QString("Road density: 15"));
    slider(p, "TrackBarHillness")->setValue(0);
    QCOMPARE(labelText(p, "LabelHillness"), QString("Hill height: 0"));
    slider(p, "TrackBarRebels")->setValue(100);
    QCOMPARE(p.editor->model().params().rebels(), 100.0f);
    QCOMPARE(labelText(p, "LabelRebels"), QString("Rebel activity: 100"));

    chooseSize(p, 1);
    QCOMPARE(p.editor->model().params().size(), 7);
    QCOMPARE(child<QLabel>(p.editor, "CityMap")->geometry(), QRect(121, 121, 80, 80));
    child<QRadioButton>(p.editor, "RadioGroupLampGridItem3")->click();
    QCOMPARE(p.editor->model().params().lampStep(), 16);
}

void CityEditorTest::resetFromAnyStep_data()
{
    QTest::addColumn<int>("step");
    for (int step = 1; step <= 9; ++step)
        QTest::newRow(QByteArray::number(step).constData()) << step;
}

void CityEditorTest::resetFromAnyStep()
{
    QFETCH(int, step);

    TestProgram p;
    p.editor->show();
    chooseSize(p, 0);
    child<QRadioButton>(p.editor, "RadioGroupLampGridItem0")->click();
    box(p, "CheckBoxWallsYN")->click();
    box(p, "CheckBoxIndustrial")->click();
    slider(p, "TrackBarRoadDensity")->setValue(90);
    slider(p, "TrackBarHillness")->setValue(10);
    child<QComboBox>(p.editor, "ComboBoxLandmark")->setCurrentIndex(2);
    goToStep(p, step);

    button(p, "ButtonReset")->click();
    QCOMPARE(p.editor->wizardStep(), 1);
    QCOMPARE(p.editor->windowTitle(), QString("City editor: City size - step 1/9"));
    QVERIFY(child<QRadioButton>(p.editor, "RadioGroupSizeItem3")->isChecked());
    QVERIFY(child<QRadioButton>(p.editor, "RadioGroupLampGridItem1")->isChecked());
    for (const char* name : {"CheckBoxWallN", "CheckBoxWallE", "CheckBoxWallS", "CheckBoxWallW", "CheckBoxWallsYN",
                             "CheckBoxHighway", "CheckBoxCity", "CheckBoxIndustrial", "CheckBoxLandMark"}) {
        QVERIFY2(box(p, name)->isChecked(), name);
        // The highway box's enabled state is set when step 4 is shown (below).
        QVERIFY2(box(p, name)->isEnabled() || std::string_view(name) == "CheckBoxHighway", name);
    }
    QCOMPARE(slider(p, "TrackBarRoadDensity")->value(), 40);
    for (const char* name : {"TrackBarHouseDensity", "TrackBarHillness", "TrackBarRebels"})
        QCOMPARE(slider(p, name)->value(), 50);
    QCOMPARE(labelText(p, "LabelRoadDensity"), QString("Road density: 40"));
    QCOMPARE(labelText(p, "LabelHillness"), QString("Hill height: 50"));
    QCOMPARE(child<QComboBox>(p.editor, "ComboBoxLandmark")->currentIndex(), 0);
    QVERIFY(!button(p, "ButtonBack")->isEnabled());
    QVERIFY(button(p, "ButtonNext")->isEnabled());

    const GenerationParams& m = p.editor->model().params();
    QCOMPARE(m.size(), 31);
    QCOMPARE(m.lampStep(), 4);
    QVERIFY(m.walls && m.industrial);
    QCOMPARE(m.roadDensityPosition, 40);
    QCOMPARE(m.hillnessPosition, 50);
    QCOMPARE(m.landmarkKind, LandmarkKind::Spaceport);

    goToStep(p, 4);
    QVERIFY(box(p, "CheckBoxHighway")->isEnabled());
}

void CityEditorTest::previewAndSaveWriteFourFiles()
{
    TestProgram p;
    p.editor->show();
    chooseSize(p, 0);
    goToStep(p, 8);
    QCOMPARE(labelText(p, "LabelInfo").section(QChar(u'\n'), 0, 0),
             QString("Preview created. Press 'Next' to save this single mission map. Any previously saved map will "
                     "be overwritten."));
    const QLabel* map = child<QLabel>(p.editor, "CityMap");
    QVERIFY(map->isVisibleTo(p.editor));
    QCOMPARE(map->geometry(), QRect(141, 141, 40, 40));
    QCOMPARE(map->pixmap().size(), QSize(40, 40));
    QVERIFY(!p.progress->isVisible());
    QVERIFY(!std::filesystem::exists(atlas(p)));

    goToStep(p, 9);
    QCOMPARE(labelText(p, "LabelInfo").section(QChar(u'\n'), 0, 0), QString("Single mission map saved."));
    for (const char* file : {"SingleCity.ini", "SingleCityPLAN.bmp", "SingleCityGROUND.bmp", "SingleCityHIGHT.bmp"})
        QVERIFY2(std::filesystem::is_regular_file(atlas(p) / file), file);
    QVERIFY(!p.progress->isVisible());
    QVERIFY(button(p, "ButtonReset")->isEnabled());
    QVERIFY(button(p, "ButtonClose")->isEnabled());

    // Back makes a new preview; Next saves it again.
    const std::string firstSave = readFile(atlas(p) / "SingleCity.ini");
    const std::string firstHeights = readFile(atlas(p) / "SingleCityHIGHT.bmp");
    button(p, "ButtonBack")->click();
    QCOMPARE(p.editor->wizardStep(), 8);
    QCOMPARE(labelText(p, "LabelInfo").left(15), QString("Preview created"));
    button(p, "ButtonNext")->click();
    QCOMPARE(p.editor->wizardStep(), 9);
    // The files now hold the new preview's city. (Two Very small cities can
    // share their cells, but never their height noise.)
    QVERIFY(!firstSave.empty());
    QVERIFY(readFile(atlas(p) / "SingleCityHIGHT.bmp") != firstHeights);
    QCOMPARE(readFile(atlas(p) / "SingleCity.ini"), CityDescriptionFile::format(p.editor->model().city()));
    QCOMPARE(p.boxes.shown.size(), std::size_t{2});
    QVERIFY(onlySavedBoxes(p));
}

// While steps 8 and 9 work, the events pumped by the progress dialog reach
// the wizard; Reset, Close, Back, Next and the close box must wait.
void CityEditorTest::resetAndCloseWaitForWork()
{
    TestProgram p;
    p.editor->show();
    chooseSize(p, 0);
    goToStep(p, 7);

    std::map<QString, bool> enabledDuringWork;
    bool sawWork = false;
    auto probe = [&] {
        sawWork = p.editor->busy();
        for (const char* name : {"ButtonReset", "ButtonClose", "ButtonBack", "ButtonNext"})
            enabledDuringWork[name] = button(p, name)->isEnabled();
        button(p, "ButtonReset")->click();
        p.editor->close();
    };
    QTimer::singleShot(0, p.editor, probe);
    button(p, "ButtonNext")->click();
    QVERIFY(sawWork);
    for (const auto& [name, enabled] : enabledDuringWork)
        QVERIFY2(!enabled, qPrintable(name));
    QCOMPARE(p.editor->wizardStep(), 8);
    QVERIFY(p.editor->isVisible());
    QVERIFY(child<QLabel>(p.editor, "CityMap")->isVisibleTo(p.editor));

    QTimer::singleShot(0, p.editor, probe);
    button(p, "ButtonNext")->click();
    QVERIFY(sawWork);
    QCOMPARE(p.editor->wizardStep(), 9);
    QVERIFY(p.editor->isVisible());
    QVERIFY(std::filesystem::is_regular_file(atlas(p) / "SingleCityHIGHT.bmp"));
    QVERIFY(!p.editor->busy());
    QVERIFY(button(p, "ButtonReset")->isEnabled());
}

// After a generation the controls show what the generator wrote back.
void CityEditorTest::writtenBackValuesShown()
{
    TestProgram p("[General]\r\nCC=1\r\n");
    p.editor->show();
    chooseSize(p, 0);
    goToStep(p, 4);
    box(p, "CheckBoxLandMark")->click(); // off: a mission layout still turns it on
    child<QComboBox>(p.editor, "ComboBoxLandmark")->setCurrentIndex(0);
    goToStep(p, 8);
    // A Spaceport cannot stand in a very small city: it became a Garage.
    QCOMPARE(child<QComboBox>(p.editor, "ComboBoxLandmark")->currentIndex(), 1);

    button(p, "ButtonReset")->click();
    chooseSize(p, 0);
    goToStep(p, 4);
    userChoosesLandmark(p, static_cast<int>(LandmarkKind::Fort));
    box(p, "CheckBoxLandMark")->click();
    goToStep(p, 8);
    const GenerationParams& m = p.editor->model().params();
    QVERIFY(m.landmark);
    QVERIFY(box(p, "CheckBoxLandMark")->isChecked());
    QCOMPARE(child<QRadioButton>(p.editor,
                                 QString("RadioGroupSizeItem%1").arg(m.sizeChoice).toLatin1().constData())
                 ->isChecked(),
             true);
    QCOMPARE(box(p, "CheckBoxHighway")->isChecked(), m.highway);
    QCOMPARE(slider(p, "TrackBarHillness")->value(), m.hillnessPosition);
    QCOMPARE(labelText(p, "LabelHillness"), QString("Hill height: %1").arg(m.hillnessPosition));
    const QSize plan = child<QLabel>(p.editor, "CityMap")->pixmap().size();
    QCOMPARE(plan, QSize((m.size() + 1) * 10, (m.size() + 1) * 10));
    QVERIFY(p.boxes.shown.empty());
}

// Closing keeps the city's pictures: a later generation or save finds them.
void CityEditorTest::picturesSurviveClosing()
{
    TestProgram p;
    p.editor->show();
    chooseSize(p, 0);
    goToStep(p, 8);
    button(p, "ButtonClose")->click();
    QVERIFY(!p.editor->isVisible());
    QVERIFY(!p.editor->model().city().groundPicture.empty());
    QVERIFY(!p.editor->model().city().dirt1.empty());
    QVERIFY(!p.editor->model().city().dirt2.empty());

    // Generating without showing the window, as the campaign does.
    NullProgressSink quiet;
    p.editor->model().generate(p.random, quiet);
    p.editor->model().save(p.dir.path(), quiet);
    QVERIFY(std::filesystem::is_regular_file(atlas(p) / "SingleCityGROUND.bmp"));

    p.editor->show();
    QCOMPARE(p.editor->wizardStep(), 1);
    chooseSize(p, 0);
    goToStep(p, 9);
    QVERIFY(onlySavedBoxes(p));
}

void CityEditorTest::czechTexts()
{
    TestProgram p("[General]\r\nLanguage=Cze\r\n");
    p.editor->show();
    QCOMPARE(p.editor->windowTitle(), QString("Editor města: Velikost města - krok 1/9"));
    QCOMPARE(button(p, "ButtonNext")->text(), QString("&Další >>"));
    QCOMPARE(button(p, "ButtonBack")->text(), QString("<< &Zpět"));
    QCOMPARE(button(p, "ButtonReset")->text(), QString("&Resetuj"));
    QCOMPARE(button(p, "ButtonClose")->text(), QString("&Konec"));
    QCOMPARE(child<QGroupBox>(p.editor, "RadioGroupSize")->title(), QString("Velikost města"));
    QCOMPARE(child<QRadioButton>(p.editor, "RadioGroupSizeItem3")->text(), QString("Ve&lké"));
    QCOMPARE(child<QRadioButton>(p.editor, "RadioGroupLampGridItem0")->text(), QString("&Žádné"));
    QCOMPARE(box(p, "CheckBoxWallN")->text(), QString("&Severní zeď"));
    QCOMPARE(labelText(p, "LabelInfo"), QString("Upozornění: V malých městech nemůže být dálnice."));
    // The opening text of the rebel label, then the handler's prefix once the slider moves.
    QCOMPARE(labelText(p, "LabelRebels"), QString("Aktivita rebelů: 50"));
    slider(p, "TrackBarRebels")->setValue(70);
    QCOMPARE(labelText(p, "LabelRebels"), QString("Aktivita rebelů: 70"));
    slider(p, "TrackBarHouseDensity")->setValue(80);
    QCOMPARE(labelText(p, "LabelHouseDensity"), QString("Hustota budov: 80"));
    // The landmark names are Czech; the locked ones say how they unlock.
    const QComboBox* landmarks = child<QComboBox>(p.editor, "ComboBoxLandmark");
    QCOMPARE(landmarks->itemText(0), QString("Kosmodrom"));
    QCOMPARE(landmarks->itemText(8), QString("Štáb rebelů"));
    QVERIFY(landmarks->itemData(8, Qt::ToolTipRole).toString().contains("CC=1"));

    chooseSize(p, 0);
    goToStep(p, 9);
    QCOMPARE(p.editor->windowTitle(), QString("Editor města: Ulož - krok 9/9"));
    QCOMPARE(labelText(p, "LabelInfo").section(QChar(u'\n'), 0, 0), QString("Mapa mise uložena."));
    QCOMPARE(QString::fromStdString(p.boxes.shown.back().text),
             QString("Mapa mise uložena do %1.").arg(QString::fromStdString(atlas(p).string())));
    // The progress dialog speaks Czech too.
    QCOMPARE(p.progress->windowTitle(), QString("Probíhá práce..."));
    QCOMPARE(child<QPushButton>(p.progress, "ButtonCancel")->text(), QString("&Zrušit"));
    QCOMPARE(child<QLabel>(p.progress, "LabelTotal")->text(), QString("Celkový postup"));
    QCOMPARE(child<QLabel>(p.progress, "LabelTask")->text(), QString("Právě ukládám: SingleCity"));
}

void CityEditorTest::lowerCaseCzeIsEnglish()
{
    TestProgram p("[General]\r\nLanguage=cze\r\n");
    p.editor->show();
    QCOMPARE(p.editor->windowTitle(), QString("City editor: City size - step 1/9"));
    QCOMPARE(button(p, "ButtonNext")->text(), QString("&Next >>"));
    QCOMPARE(labelText(p, "LabelRebels"), QString("Rebel activity: 50"));
}

// A save into an atlas/ that cannot be written (here a file in its place) is
// refused before any work with words for the player; the wizard stays on
// the preview of step 8 (never "Save - step 9/9" over nothing), nothing changes.
void CityEditorTest::failedSaveIsReported()
{
    TestProgram p;
    writeFile(atlas(p), "not a directory");
    p.editor->show();
    chooseSize(p, 0);
    goToStep(p, 8);
    button(p, "ButtonNext")->click();

    QCOMPARE(p.editor->wizardStep(), 8);
    QCOMPARE(p.editor->windowTitle(), QString("City editor: Preview - step 8/9"));
    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(p.boxes.shown[0].kind, MessageBoxes::Kind::Warning);
    QCOMPARE(QString::fromStdString(p.boxes.shown[0].text),
             QString("The game's folder cannot be written:\r%1\rChoose another game folder in the main menu, or "
                     "allow writing to this one.")
                 .arg(QString::fromStdString(atlas(p).string())));
    QVERIFY(labelText(p, "LabelInfo").startsWith("Preview created."));
    QVERIFY(child<QWidget>(p.editor, "CityMap")->isVisibleTo(p.editor));
    QVERIFY(!p.progress->isVisible());
    QVERIFY(!p.editor->busy());
    QVERIFY(button(p, "ButtonBack")->isEnabled());
    QVERIFY(button(p, "ButtonNext")->isEnabled());
    QVERIFY(button(p, "ButtonReset")->isEnabled());
    QCOMPARE(readFile(atlas(p)), std::string("not a directory"));
    button(p, "ButtonClose")->click();
    QVERIFY(!p.editor->isVisible());
}

// Without every picture of the catalogue the wizard generates nothing and
// names the missing picture.
void CityEditorTest::incompleteCatalogueRefusesPreview()
{
    TestProgram p({}, DataSetup::WithoutRoadNS);
    p.boxes.shown.clear(); // the start's own report
    p.editor->show();
    goToStep(p, 7);
    button(p, "ButtonNext")->click();

    QCOMPARE(p.editor->wizardStep(), 8);
    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(p.boxes.shown[0].kind, MessageBoxes::Kind::Error);
    QVERIFY2(QString::fromStdString(p.boxes.shown[0].text).contains("roadNS.bmp"), p.boxes.shown[0].text.c_str());
    QVERIFY(!p.progress->isVisible());
    QVERIFY(!button(p, "ButtonNext")->isEnabled());
    QVERIFY(button(p, "ButtonBack")->isEnabled());
    QVERIFY(!child<QWidget>(p.editor, "ButtonShowGround")->isVisibleTo(p.editor));
    QVERIFY(p.editor->model().city().groundPicture.empty());
}

// The error under a failed step is in the program's language: a name that
// would overwrite the campaign's start.ini is refused in Czech.
void CityEditorTest::failedStepSpeaksTheProgramLanguage()
{
    TestProgram p("[General]\r\nLanguage=Cze\r\n");
    p.editor->show();
    chooseSize(p, 0);
    child<QLineEdit>(p.editor, "EditCityName")->setText("start");
    goToStep(p, 8);
    button(p, "ButtonNext")->click();
    // The failed save returns to the preview.
    QCOMPARE(p.editor->wizardStep(), 8);

    const QString expected = QString::fromUtf8("Název města „start“ nelze použít: je to název souboru kampaně");
    QCOMPARE(p.boxes.shown.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(p.boxes.shown[0].text), expected);
    QVERIFY(labelText(p, "LabelInfo").startsWith(QString::fromUtf8("Náhled vytvořen.")));
    QVERIFY(!std::filesystem::exists(atlas(p) / "start.ini"));
}

// The choices survive closing and a new run of the program (new windows on
// the same settings); Reset brings the defaults back, also for the next run.
void CityEditorTest::choicesRemembered()
{
    {
        TestProgram p;
        p.editor->show();
        chooseSize(p, 1);
        child<QRadioButton>(p.editor, "RadioGroupLampGridItem3")->click();
        box(p, "CheckBoxWallsYN")->setChecked(false);
        slider(p, "TrackBarRebels")->setValue(70);
        QTest::keyClicks(child<QLineEdit>(p.editor, "EditSeed"), "99");
        goToStep(p, 3);
        button(p, "ButtonClose")->click();
    }
    const auto expect = [](TestProgram& q, int size, int lamps, bool walls, int rebels, const QString& seed) {
        q.editor->show();
        QCOMPARE(q.editor->wizardStep(), 1);
        const GenerationParams& params = q.editor->model().params();
        QCOMPARE(params.sizeChoice, size);
        QVERIFY(child<QRadioButton>(q.editor, QString("RadioGroupSizeItem%1").arg(size).toLatin1().constData())
                    ->isChecked());
        QCOMPARE(params.lampChoice, lamps);
        QCOMPARE(box(q, "CheckBoxWallsYN")->isChecked(), walls);
        QCOMPARE(params.walls, walls);
        QCOMPARE(slider(q, "TrackBarRebels")->value(), rebels);
        QCOMPARE(params.rebelsPosition, rebels);
        QCOMPARE(child<QLineEdit>(q.editor, "EditSeed")->text(), seed);
    };
    {
        TestProgram again({}, DataSetup::Full, Settings::Kept);
        expect(again, 1, 3, false, 70, "99");
        button(again, "ButtonReset")->click();
        expect(again, 3, 1, true, 50, "");
    }
    TestProgram third({}, DataSetup::Full, Settings::Kept);
    expect(third, 3, 1, true, 50, "");
}

int runCityEditorTest(int argc, char** argv)
{
    CityEditorTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CityEditorTest.moc"
