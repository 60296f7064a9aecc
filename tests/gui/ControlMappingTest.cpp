// Each control of both wizards set on its own, and the value that reaches
// the model (or the written files) checked: a box that drives another
// field, or two swapped boxes, fail here.

#include "GuiTestSupport.hpp"

#include "shell/IniFile.hpp"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <filesystem>
#include <map>
#include <sstream>

using namespace vantor;
using namespace vantor::test;

namespace {

// Every value of the model that a control of the city wizard drives.
std::string describe(const GenerationParams& p)
{
    std::ostringstream out;
    out << "size=" << p.sizeChoice << " lamps=" << p.lampChoice << " road=" << p.roadDensityPosition
        << " house=" << p.houseDensityPosition << " hill=" << p.hillnessPosition << " rebels=" << p.rebelsPosition
        << " hangars=" << p.hangarNW << p.hangarNE << p.hangarSE << p.hangarSW << " walls=" << p.walls
        << " N=" << p.wallN << " E=" << p.wallE << " S=" << p.wallS << " W=" << p.wallW
        << " highway=" << p.highway << " downtown=" << p.downtown << " industrial=" << p.industrial
        << " landmark=" << p.landmark << " kind=" << static_cast<int>(p.landmarkKind);
    return out.str();
}

using Field = bool GenerationParams::*;

const std::map<QString, Field> kBoxFields{
    {"CheckBoxWallN", &GenerationParams::wallN},       {"CheckBoxWallE", &GenerationParams::wallE},
    {"CheckBoxWallS", &GenerationParams::wallS},       {"CheckBoxWallW", &GenerationParams::wallW},
    {"CheckBoxWallsYN", &GenerationParams::walls},     {"CheckBoxHighway", &GenerationParams::highway},
    {"CheckBoxCity", &GenerationParams::downtown},     {"CheckBoxIndustrial", &GenerationParams::industrial},
    {"CheckBoxLandMark", &GenerationParams::landmark}, {"CheckBoxHangarNW", &GenerationParams::hangarNW},
    {"CheckBoxHangarNE", &GenerationParams::hangarNE}, {"CheckBoxHangarSE", &GenerationParams::hangarSE},
    {"CheckBoxHangarSW", &GenerationParams::hangarSW}};

const std::map<QString, int GenerationParams::*> kSliderFields{
    {"TrackBarRoadDensity", &GenerationParams::roadDensityPosition},
    {"TrackBarHouseDensity", &GenerationParams::houseDensityPosition},
    {"TrackBarHillness", &GenerationParams::hillnessPosition},
    {"TrackBarRebels", &GenerationParams::rebelsPosition}};

} // namespace

class ControlMappingTest : public QObject {
    Q_OBJECT
private slots:
    void cityBoxes_data();
    void cityBoxes();
    void citySliders_data();
    void citySliders();
    void cityChoices_data();
    void cityChoices();
    void controlsReachTheSavedCity();
    void campaignSettings_data();
    void campaignSettings();
};

void ControlMappingTest::cityBoxes_data()
{
    QTest::addColumn<QString>("box");
    for (const auto& [name, field] : kBoxFields)
        QTest::newRow(name.toLatin1().constData()) << name;
}

// Unchecking a box changes its own field and nothing else; checking it again restores it.
void ControlMappingTest::cityBoxes()
{
    QFETCH(QString, box);
    const Field field = kBoxFields.at(box);
    TestProgram p;
    p.editor->show();
    QCheckBox* control = child<QCheckBox>(p.editor, box.toLatin1().constData());
    QVERIFY(control->isChecked());
    GenerationParams expected = p.editor->model().params();
    QVERIFY(expected.*field);
    control->setChecked(false);
    expected.*field = false;
    QCOMPARE(describe(p.editor->model().params()), describe(expected));
    control->setChecked(true);
    expected.*field = true;
    QCOMPARE(describe(p.editor->model().params()), describe(expected));
}

void ControlMappingTest::citySliders_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("position");
    for (const auto& [name, field] : kSliderFields)
        for (const int position : {0, 1, 37, 99, 100})
            QTest::addRow("%s %d", name.toLatin1().constData(), position) << name << position;
}

void ControlMappingTest::citySliders()
{
    QFETCH(QString, slider);
    QFETCH(int, position);
    TestProgram p;
    p.editor->show();
    GenerationParams expected = p.editor->model().params();
    child<QSlider>(p.editor, slider.toLatin1().constData())->setValue(position);
    expected.*kSliderFields.at(slider) = position;
    QCOMPARE(describe(p.editor->model().params()), describe(expected));
}

void ControlMappingTest::cityChoices_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("item");
    for (const char* group : {"RadioGroupSize", "RadioGroupLampGrid"})
        for (const int item : {0, 1, 2, 3})
            QTest::addRow("%s %d", group, item) << QString(group) << item;
}

void ControlMappingTest::cityChoices()
{
    QFETCH(QString, group);
    QFETCH(int, item);
    TestProgram p;
    p.editor->show();
    GenerationParams expected = p.editor->model().params();
    // Start from another item, so the last click is a change.
    const QString other = QString("%1Item%2").arg(group).arg(item == 0 ? 1 : 0);
    child<QRadioButton>(p.editor, other.toLatin1().constData())->click();
    child<QRadioButton>(p.editor, QString("%1Item%2").arg(group).arg(item).toLatin1().constData())->click();
    (group == "RadioGroupSize" ? expected.sizeChoice : expected.lampChoice) = item;
    QCOMPARE(describe(p.editor->model().params()), describe(expected));
}

// Controls set by hand reach the saved description file.
void ControlMappingTest::controlsReachTheSavedCity()
{
    TestProgram p;
    p.editor->show();
    child<QRadioButton>(p.editor, "RadioGroupSizeItem1")->click();
    child<QCheckBox>(p.editor, "CheckBoxHangarNE")->setChecked(false);
    child<QCheckBox>(p.editor, "CheckBoxHangarSW")->setChecked(false);
    child<QCheckBox>(p.editor, "CheckBoxLandMark")->setChecked(false);
    child<QSlider>(p.editor, "TrackBarHillness")->setValue(23);
    child<QSlider>(p.editor, "TrackBarRebels")->setValue(71);
    goToStep(p.editor, 9, &p.boxes);
    const IniFile city = IniFile::load(p.dir.path() / "atlas" / "SingleCity.ini");
    QCOMPARE(city.readInteger("General", "Size", -1), 7);
    QCOMPARE(city.readInteger("General", "Hillness", -1), 23);
    QCOMPARE(city.readInteger("General", "Rebels", -1), 71);
    QCOMPARE(city.readInteger("General", "Landmark", -1), 0);
    QCOMPARE(city.readInteger("General", "Hangar NW", -1), 1);
    QCOMPARE(city.readInteger("General", "Hangar NE", -1), 0);
    QCOMPARE(city.readInteger("General", "Hangar SE", -1), 1);
    QCOMPARE(city.readInteger("General", "Hangar SW", -1), 0);
    QVERIFY(city.readString("7x0", "Structure", "") != "Hangar");
    QVERIFY(city.readString("0x7", "Structure", "") != "Hangar");
}

void ControlMappingTest::campaignSettings_data()
{
    QTest::addColumn<bool>("largeCities");
    QTest::addColumn<bool>("limitedLights");
    QTest::addColumn<int>("maxHouseDensity");
    QTest::newRow("defaults") << true << false << 70;
    QTest::newRow("small cities") << false << false << 25;
    QTest::newRow("limited lights") << true << true << 100;
    QTest::newRow("both") << false << true << 26;
}

// Campaign step 2: the two boxes and the slider give the settings the campaign is written with.
void ControlMappingTest::campaignSettings()
{
    QFETCH(bool, largeCities);
    QFETCH(bool, limitedLights);
    QFETCH(int, maxHouseDensity);
    TestProgram p;
    p.campaign->show();
    child<QCheckBox>(p.campaign, "CheckBoxBigCity")->setChecked(largeCities);
    child<QCheckBox>(p.campaign, "CheckBoxLimitedLights")->setChecked(limitedLights);
    child<QSlider>(p.campaign, "TrackBarMaxHouseDensity")->setValue(maxHouseDensity);
    const CampaignSettings s = p.campaign->settings();
    QCOMPARE(s.largeCities, largeCities);
    QCOMPARE(s.limitedLights, limitedLights);
    QCOMPARE(s.maxHouseDensity, maxHouseDensity);
}

int runControlMappingTest(int argc, char** argv)
{
    ControlMappingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ControlMappingTest.moc"
