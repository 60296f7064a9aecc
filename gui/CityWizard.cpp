#include "gui/CityWizard.hpp"

#include "city/RandomSource.hpp"
#include "gui/CaptionFit.hpp"
#include "gui/PictureConversion.hpp"
#include "gui/QtText.hpp"
#include "shell/MessageBoxes.hpp"
#include "gui/GroundViewer.hpp"
#include "gui/ProgressDialog.hpp"
#include "gui/StepClickGuard.hpp"
#include "gui/MainMenu.hpp"
#include "shell/VantorError.hpp"
#include "gui/WindowFont.hpp"

#include "wizard/CampaignLock.hpp"

#include <QAbstractButton>
#include <QColor>
#include <QPalette>
#include <QSettings>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <string_view>
#include <vector>

namespace {

using vantor::Language;

// Every text of the wizard, English and Czech side by side.
enum TextId {
    TextSizeTitle, TextSizeVerySmall, TextSizeSmall, TextSizeMedium, TextSizeLarge,
    TextHangarNW, TextHangarNE, TextHangarSE, TextHangarSW,
    TextLandMark, TextShowGround,
    TextLampTitle, TextLampNo, TextLampMany, TextLampMedium, TextLampFew,
    TextWallN, TextWallE, TextWallS, TextWallW,
    TextHighway, TextWallsYN, TextCity, TextIndustrial,
    TextReset,
    // Label texts set when the window opens.
    TextRoadDensityOpening, TextHouseDensityOpening, TextHillnessOpening, TextRebelsOpening,
    // Label prefixes followed by the slider's position.
    TextRoadDensity, TextHouseDensity, TextHillness, TextRebels,
    // Step titles.
    TextStep1, TextStep2, TextStep3, TextStep4, TextStep5, TextStep6, TextStep7, TextStep8, TextStep9,
    // Help texts.
    TextHelp1, TextHelp2, TextHelp3, TextHelp4, TextHelp5, TextHelp6, TextHelp7,
    TextHelp8Working, TextHelp8Done, TextHelp9Working, TextHelp9Done,
    // Followed by the seed that made the preview.
    TextSeed,
    // The mission layouts' tooltip.
    TextLayoutLocked,
    TextCount
};

constexpr std::array<WindowText, TextCount> kTexts{{
    {"City size", "Velikost města"},
    {"&Very small", "&Velmi malé"},
    {"&Small", "&Malé"},
    {"&Medium", "&Střední"},
    {"&Large", "Ve&lké"},
    {"Hangar NW", "SZ terminal"},
    {"Hangar NE", "SV terminal"},
    {"Hangar SE", "JV terminal"},
    {"Hangar SW", "JZ terminal"},
    {"Create s&pecial building", "Vytvoř &speciální budovu"},
    {"Show &ground texture", "Zobraz &texturu povrchu"},
    {"Number of street lamps", "Množství uličních lamp"},
    {"N&o ", "&Žádné"},
    {"&Many", "&Mnoho"},
    {"M&edium", "&Středně"},
    {"&Few", "Má&lo"},
    {"N&orth wall ", "&Severní zeď"},
    {"&East wall", "&Východní zeď"},
    {"&South wall", "&Jižní zeď"},
    {"&West wall", "Zá&padní zeď"},
    {"Create &highway", "Vytvoř dá&lnici"},
    {"Create c&ity walls", "Vytvoř &městské zdi"},
    {"Create do&wntown buildings", "Vytvoř &centrum města"},
    {"Create &industrial buildings", "Vytvoř &industriální budovy"},
    {"&Reset", "&Resetuj"},
    {"Road density: 40", "Hustota silnic: 40"},
    {"House density: 50", "Hustota budov: 50"},
    {"Hill height: 50", "Kopcovitost: 50"},
    {"Rebel activity: 50", "Aktivita rebelů: 50"},
    {"Road density: ", "Hustota silnic: "},
    {"House density: ", "Hustota budov: "},
    {"Hill height: ", "Kopcovitost: "},
    {"Rebel activity: ", "Aktivita rebelů: "},
    {"City editor: City size - step 1/9", "Editor města: Velikost města - krok 1/9"},
    {"City editor: Street lamps - step 2/9", "Editor města: Pouliční osvětlení - krok 2/9"},
    {"City editor: City walls - step 3/9", "Editor města: Městské zdi - krok 3/9"},
    {"City editor: Buildings - step 4/9", "Editor města: Budovy - krok 4/9"},
    {"City editor: Road and house density - step 5/9", "Editor města: Množství silnic a budov - krok 5/9"},
    {"City editor: Elevation - step 6/9", "Editor města: Kopcovitost - krok 6/9"},
    {"City editor: Rebel activity - step 7/9", "Editor města: Aktivita rebelů - krok 7/9"},
    {"City editor: Preview - step 8/9", "Editor města: Náhled - krok 8/9"},
    {"City editor: Save - step 9/9", "Editor města: Ulož - krok 9/9"},
    {"It is recommended to create large city for single mission. There can be no highway in small cities.",
     "Upozornění: V malých městech nemůže být dálnice."},
    {"Number of lights influences game performance. Create many lights if you have strong PC configuration. "
     "With no lamps the game will be illuminated only with sunshine.",
     "Množství světel ovlivňuje výkon hry. Pokud máte výkonný počítač, vytvořte mnoho světel. Bez lamp bude "
     "město osvětleno pouze sluncem."},
    {"City walls create perimeter around the city. There are sentry guns mounted on top of walls. So creating a "
     "city with walls will make single mission a little bit more difficult. North, east, south and west walls "
     "connect other walls with the edge of city map.",
     "Městské zdi tvoří hradbu okolo města. Na jejich vrcholu jsou umístěny strážní věže. Vytvoříte-li město s "
     "hradbami, bude mise o něco obtížnější. Severní, východní, jižní a západní zdi spojují ostatní zdi s okraji "
     "mapy."},
    {"Select types of buildings you want to be created. Some types of special buildings cannot be generated "
     "before you finish game campaign. Highway is not allowed for small and very small cities.",
     "Vyberte typ budov, které chcete vytvořit. Některé typy budov nemohou být vybrány předtím, než dokončíte "
     "kampaň ve hře."},
    {"Number of roads and buildings to be created.", "Nastavte množství silnic a budov."},
    {"Create flat ground or mountains.", "Vytvořte rovinu nebo pohoří."},
    {"Ratio between number of rebel and civilian cars.", "Poměr mezi množstvím aut rebelů a civilistů."},
    {"Creating preview...", "Vytvářím náhled..."},
    {"Preview created. Press 'Next' to save this single mission map. Any previously saved map will be "
     "overwritten.",
     "Náhled vytvořen. Stiskněte 'Další' a uložte tuto mapu. Dříve uložená mapa bude přepsána."},
    {"Saving...", "Ukládám..."},
    {"Single mission map saved.", "Mapa mise uložena."},
    {"Seed ", "Semínko "},
    {"A mission layout: ", "Rozložení mise: "},
}};

// The landmark selector's names, English and Czech; the first five are
// kinds of building, the rest the mission layouts a finished campaign unlocks.
constexpr std::array<WindowText, vantor::kLandmarkKindCount> kLandmarkTexts{{
    {"Spaceport", "Kosmodrom"},
    {"Garage", "Garáž"},
    {"Carshop", "Autosalon"},
    {"Gunshop", "Zbrojnice"},
    {"Fort", "Pevnost"},
    {"Lab", "Laboratoř"},
    {"Parking", "Parkoviště"},
    {"Excavation", "Vykopávky"},
    {"RebelHQ", "Štáb rebelů"},
}};
constexpr int kFirstLockedLandmark = static_cast<int>(vantor::LandmarkKind::Fort);

QString text(Language language, TextId id)
{
    return translated(language, kTexts[id]);
}

// The window's outer size is 596 x 478; the client area is that less a
// classic frame (4-pixel borders and a 19-pixel caption).
constexpr int kClientWidth = 596 - 8;
constexpr int kClientHeight = 478 - 27;
constexpr int kStepCount = 9;

struct Rect {
    int left, top, width, height;
};

// Where the plan image sits in the preview area, per size choice: centred,
// (size + 1) * 10 pixels a side.
constexpr std::array<Rect, 4> kCityMapPlace{{
    {141, 141, 40, 40},
    {121, 121, 80, 80},
    {81, 81, 160, 160},
    {1, 1, 320, 320},
}};

// The preview area's design place, and the ground button at its right whose
// right edge lines up with the Close button's.
constexpr Rect kPreviewPlace{135, 8, 322, 322};
constexpr Rect kShowGroundPlace{464, 296, 121, 33};
constexpr int kShowGroundGap = 7; // between the preview area and the ground button
constexpr int kLandmarkSelectorWidth = 89;

// The slider positions' step between ticks and for the page keys.
constexpr int kSliderStep = 5;

QCheckBox* makeCheckBox(QWidget* parent, const char* name, TextId caption, Rect r)
{
    auto* box = new QCheckBox(text(Language::English, caption), parent);
    box->setObjectName(name);
    box->setGeometry(r.left, r.top, r.width, r.height);
    box->setChecked(true);
    return box;
}

QSlider* makeSlider(QWidget* parent, const char* name, Rect r, int position)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setGeometry(r.left, r.top, r.width, r.height);
    slider->setRange(0, 100);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(kSliderStep);
    slider->setPageStep(kSliderStep);
    slider->setSingleStep(1);
    slider->setValue(position);
    return slider;
}

QLabel* makeLabel(QWidget* parent, const char* name, TextId caption, int left, int top)
{
    auto* label = new QLabel(text(Language::English, caption), parent);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, TextId caption, Rect r)
{
    auto* button = new QPushButton(text(Language::English, caption), parent);
    button->setObjectName(name);
    button->setGeometry(r.left, r.top, r.width, r.height);
    button->setAutoDefault(false);
    return button;
}

// Left and Right move the choice of a column of radio buttons like Up and
// Down (Qt alone moves by the buttons' places, and a column has nothing to
// its left or right).
class ArrowsAlongColumn final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() != Qt::Key_Left && key->key() != Qt::Key_Right)
            return false;
        QKeyEvent along(QEvent::KeyPress, key->key() == Qt::Key_Left ? Qt::Key_Up : Qt::Key_Down, key->modifiers(),
                        QString(), key->isAutoRepeat(), static_cast<quint16>(key->count()));
        QCoreApplication::sendEvent(watched, &along);
        return true;
    }
};

// As radio groups do everywhere: Tab enters the group on its checked choice
// (the group box, a stop of the tab order, hands its focus on to the checked
// one; once a choice has the focus Qt keeps the others out of the tab
// order), and the arrow keys move the choice.
void tabToCheckedChoice(QGroupBox* box, const QButtonGroup* group)
{
    if (QAbstractButton* checked = group->checkedButton())
        box->setFocusProxy(checked);
}

// A titled choice of four: a group box with four radio buttons spread over its height.
QGroupBox* makeChoice(QWidget* parent, const char* name, TextId title, TextId firstItem, Rect r, int item,
                      QButtonGroup*& group)
{
    auto* box = new QGroupBox(text(Language::English, title), parent);
    box->setObjectName(name);
    box->setGeometry(r.left, r.top, r.width, r.height);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 2, 2, 2); // the items' texts need the box's whole width
    group = new QButtonGroup(box);
    group->setExclusive(true);
    auto* arrows = new ArrowsAlongColumn(box);
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(text(Language::English, static_cast<TextId>(firstItem + i)), box);
        radio->setObjectName(QString("%1Item%2").arg(name).arg(i));
        radio->installEventFilter(arrows);
        layout->addWidget(radio);
        group->addButton(radio, i);
    }
    group->button(item)->setChecked(true);
    tabToCheckedChoice(box, group);
    QObject::connect(group, &QButtonGroup::idToggled, box, [box, group] { tabToCheckedChoice(box, group); });
    return box;
}

void setChoiceTexts(QGroupBox* box, const QButtonGroup* group, Language language, TextId title, TextId firstItem)
{
    box->setTitle(text(language, title));
    for (int i = 0; i < 4; ++i)
        group->button(i)->setText(text(language, static_cast<TextId>(firstItem + i)));
}

void setChoice(QButtonGroup* group, int item)
{
    if (QAbstractButton* button = group->button(item); button != nullptr && !button->isChecked())
        button->setChecked(true);
}

} // namespace

CityWizard::CityWizard(const MainMenu& menu, vantor::RandomSource& random, vantor::MessageBoxes& boxes,
                                 std::filesystem::path programDir, QWidget* parent)
    : WizardFrame(kStepCount, parent),
      menu_(menu),
      random_(random),
      boxes_(boxes),
      programDir_(std::move(programDir)),
      model_(menu.language())
{
    setObjectName("FormCityEditor");
    setFixedSize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setFont(windowFont());
    model_.setCatalogue(menu_.catalogue());
    buildControls();
    fitCaptions();
    prepareOpening();
}

void CityWizard::attachWindows(GroundViewer& ground, ProgressDialog& progress)
{
    ground_ = &ground;
    progress_ = &progress;
}

// The controls in tab order, with their design values; the labels and
// rules are not in the tab order.
void CityWizard::buildControls()
{
    RadioGroupSize = makeChoice(this, "RadioGroupSize", TextSizeTitle, TextSizeVerySmall, {240, 80, 97, 169}, 3,
                                sizeButtons_);
    const std::array<const char*, 4> hangarNames{"CheckBoxHangarNW", "CheckBoxHangarNE", "CheckBoxHangarSE",
                                                 "CheckBoxHangarSW"};
    for (int i = 0; i < 4; ++i) {
        hangarBoxes_[static_cast<std::size_t>(i)] = makeCheckBox(
            this, hangarNames[static_cast<std::size_t>(i)], static_cast<TextId>(TextHangarNW + i), {16, 16 + 24 * i, 97, 17});
        hangarBoxes_[static_cast<std::size_t>(i)]->hide(); // the corner terminals are always built
    }
    TrackBarRoadDensity = makeSlider(this, "TrackBarRoadDensity", {112, 136, 377, 33}, 40);
    TrackBarHouseDensity = makeSlider(this, "TrackBarHouseDensity", {112, 192, 377, 33}, 50);
    CheckBoxLandMark = makeCheckBox(this, "CheckBoxLandMark", TextLandMark, {104, 120, 137, 17});
    EditCityName = new QLineEdit("SingleCity", this);
    EditCityName->setObjectName("EditCityName");
    EditCityName->setGeometry(16, 120, 121, 21);
    EditCityName->setEnabled(false);
    EditCityName->hide();
    ButtonShowGround = makeButton(this, "ButtonShowGround", TextShowGround, kShowGroundPlace);
    RadioGroupLampGrid = makeChoice(this, "RadioGroupLampGrid", TextLampTitle, TextLampNo, {216, 80, 137, 169}, 1,
                                    lampButtons_);
    CheckBoxWallN = makeCheckBox(this, "CheckBoxWallN", TextWallN, {248, 120, 100, 17});
    CheckBoxWallE = makeCheckBox(this, "CheckBoxWallE", TextWallE, {248, 144, 100, 17});
    CheckBoxWallS = makeCheckBox(this, "CheckBoxWallS", TextWallS, {248, 168, 100, 17});
    CheckBoxWallW = makeCheckBox(this, "CheckBoxWallW", TextWallW, {248, 192, 100, 17});
    CheckBoxHighway = makeCheckBox(this, "CheckBoxHighway", TextHighway, {344, 120, 113, 17});
    CheckBoxWallsYN = makeCheckBox(this, "CheckBoxWallsYN", TextWallsYN, {208, 96, 121, 17});
    CheckBoxCity = makeCheckBox(this, "CheckBoxCity", TextCity, {344, 144, 153, 17});
    CheckBoxIndustrial = makeCheckBox(this, "CheckBoxIndustrial", TextIndustrial, {344, 168, 153, 17});
    ComboBoxLandmark = new QComboBox(this);
    ComboBoxLandmark->setObjectName("ComboBoxLandmark");
    ComboBoxLandmark->setGeometry(104, 144, kLandmarkSelectorWidth, 21);
    ComboBoxLandmark->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const WindowText& name : kLandmarkTexts)
        ComboBoxLandmark->addItem(translated(Language::English, name));
    ComboBoxLandmark->setCurrentIndex(0);
    PanelPreview = new QFrame(this);
    PanelPreview->setObjectName("PanelPreview");
    PanelPreview->setGeometry(kPreviewPlace.left, kPreviewPlace.top, kPreviewPlace.width, kPreviewPlace.height);
    PanelPreview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    CityMap = new QLabel(PanelPreview);
    CityMap->setObjectName("CityMap");
    const Rect large = kCityMapPlace[3];
    CityMap->setGeometry(large.left, large.top, large.width, large.height);
    CityMap->hide();
    TrackBarHillness = makeSlider(this, "TrackBarHillness", {112, 160, 377, 33}, 50);
    TrackBarRebels = makeSlider(this, "TrackBarRebels", {112, 160, 377, 33}, 50);
    ButtonReset = makeButton(this, "ButtonReset", TextReset, {8, 416, 97, 33});
    makeSeedField({108, 420, 62, 25}, {173, 420, 76, 25});
    makeNavigation({256, 416, 105, 33}, {368, 416, 105, 33}, {480, 416, 105, 33});
    setNavigationTexts(Language::English);

    LabelRoadDensity = makeLabel(this, "LabelRoadDensity", TextRoadDensityOpening, 120, 120);
    LabelHouseDensity = makeLabel(this, "LabelHouseDensity", TextHouseDensityOpening, 120, 172);
    LabelHillness = makeLabel(this, "LabelHillness", TextHillnessOpening, 122, 136);
    LabelRebels = makeLabel(this, "LabelRebels", TextRebelsOpening, 120, 136);
    LabelInfo = new QLabel(this);
    LabelInfo->setObjectName("LabelInfo");
    LabelInfo->setGeometry(8, 344, 577, 57);
    LabelInfo->setAlignment(Qt::AlignCenter);
    LabelInfo->setWordWrap(true);
    for (int top : {336, 408}) {
        auto* rule = new QFrame(this);
        rule->setObjectName(top == 336 ? "Bevel1" : "Bevel2");
        rule->setGeometry(8, top, 577, 3);
        rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    }

    // Reading order: each step's controls top to bottom, then the bottom row left to right.
    const std::array<QWidget*, 28> tabOrder{
        RadioGroupSize, RadioGroupLampGrid, CheckBoxWallsYN, CheckBoxWallN, CheckBoxWallE, CheckBoxWallS,
        CheckBoxWallW, CheckBoxLandMark, ComboBoxLandmark, CheckBoxHighway, CheckBoxCity, CheckBoxIndustrial,
        TrackBarRoadDensity, TrackBarHouseDensity, TrackBarHillness, TrackBarRebels, ButtonShowGround,
        hangarBoxes_[0], hangarBoxes_[1], hangarBoxes_[2], hangarBoxes_[3], EditCityName, ButtonReset, EditSeed,
        ButtonBack, ButtonNext, ButtonClose, RadioGroupSize};
    for (std::size_t i = 1; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(sizeButtons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            onSizeChosen(id);
    });
    connect(lampButtons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            onLampsChosen(id);
    });
    connect(TrackBarRoadDensity, &QSlider::valueChanged, this, &CityWizard::onRoadDensityChanged);
    connect(TrackBarHouseDensity, &QSlider::valueChanged, this, &CityWizard::onHouseDensityChanged);
    connect(TrackBarHillness, &QSlider::valueChanged, this, &CityWizard::onHillHeightChanged);
    connect(TrackBarRebels, &QSlider::valueChanged, this, &CityWizard::onRebelsChanged);
    connect(CheckBoxLandMark, &QCheckBox::toggled, this, &CityWizard::onLandmarkToggled);
    connect(CheckBoxWallsYN, &QCheckBox::toggled, this, &CityWizard::onWallsToggled);
    // The boxes without a handler of their own still carry their state to the model.
    vantor::GenerationParams& p = model_.params();
    const std::array<std::pair<QCheckBox*, bool*>, 11> plainBoxes{{
        {hangarBoxes_[0], &p.hangarNW}, {hangarBoxes_[1], &p.hangarNE}, {hangarBoxes_[2], &p.hangarSE},
        {hangarBoxes_[3], &p.hangarSW}, {CheckBoxWallN, &p.wallN}, {CheckBoxWallE, &p.wallE},
        {CheckBoxWallS, &p.wallS}, {CheckBoxWallW, &p.wallW}, {CheckBoxHighway, &p.highway},
        {CheckBoxCity, &p.downtown}, {CheckBoxIndustrial, &p.industrial},
    }};
    for (const auto& [box, flag] : plainBoxes)
        connect(box, &QCheckBox::toggled, this, [flag](bool checked) { *flag = checked; });
    connect(EditCityName, &QLineEdit::textChanged, this,
            [this](const QString& name) { model_.params().cityName = name.toStdString(); });
    // Any change of the selector reaches the model; only the user's own choice meets the lock.
    connect(ComboBoxLandmark, &QComboBox::currentIndexChanged, this, &CityWizard::onLandmarkKindChanged);
    connect(ComboBoxLandmark, &QComboBox::activated, this, &CityWizard::onLandmarkPicked);
    connect(ButtonReset, &QPushButton::clicked, this, [this] {
        if (!busy())
            resetToDefaults();
    });
    connect(ButtonShowGround, &QPushButton::clicked, this, &CityWizard::showGround);
}

// Run when the window is created and at every showing: a new random seed,
// the ground textures (one that cannot be read is reported and skips the
// rest), the language's texts and the player's remembered choices.
void CityWizard::prepareOpening()
{
    random_.setSeed(vantor::RandomSource::timeOfDaySeed());
    try {
        model_.loadGroundTextures(menu_.dataHome());
    } catch (const vantor::VantorError& e) {
        boxes_.error(e.text(menu_.language()));
        return;
    }
    setTexts(menu_.language());
    fitCaptions();
    restoreRememberedChoices();
}

void CityWizard::setTexts(Language language)
{
    for (int i = 0; i < 4; ++i)
        hangarBoxes_[static_cast<std::size_t>(i)]->setText(text(language, static_cast<TextId>(TextHangarNW + i)));
    const std::array<std::pair<QAbstractButton*, TextId>, 11> captions{{
        {CheckBoxLandMark, TextLandMark}, {ButtonShowGround, TextShowGround}, {CheckBoxWallN, TextWallN},
        {CheckBoxWallE, TextWallE}, {CheckBoxWallS, TextWallS}, {CheckBoxWallW, TextWallW},
        {CheckBoxHighway, TextHighway}, {CheckBoxWallsYN, TextWallsYN}, {CheckBoxCity, TextCity},
        {CheckBoxIndustrial, TextIndustrial}, {ButtonReset, TextReset},
    }};
    for (const auto& [control, id] : captions)
        control->setText(text(language, id));
    setNavigationTexts(language);
    setSeedText(language);
    setChoiceTexts(RadioGroupSize, sizeButtons_, language, TextSizeTitle, TextSizeVerySmall);
    setChoiceTexts(RadioGroupLampGrid, lampButtons_, language, TextLampTitle, TextLampNo);
    const std::array<std::pair<QLabel*, TextId>, 4> labels{{
        {LabelRoadDensity, TextRoadDensityOpening}, {LabelHouseDensity, TextHouseDensityOpening},
        {LabelHillness, TextHillnessOpening}, {LabelRebels, TextRebelsOpening},
    }};
    for (const auto& [label, id] : labels) {
        label->setText(text(language, id));
        label->adjustSize();
    }
    for (int i = 0; i < ComboBoxLandmark->count(); ++i)
        ComboBoxLandmark->setItemText(i, translated(language, kLandmarkTexts[static_cast<std::size_t>(i)]));
    markLockedLandmarks();
}

// The mission layouts stay in the list until the campaign is finished, in
// grey, with a tooltip that says how they unlock; picking one says so too.
void CityWizard::markLockedLandmarks()
{
    const Language language = menu_.language();
    const bool locked = !menu_.campaignCompleted();
    const QString tip = text(language, TextLayoutLocked) + fromUtf8(vantor::campaignUnlockHint(language));
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    for (int i = kFirstLockedLandmark; i < ComboBoxLandmark->count(); ++i) {
        ComboBoxLandmark->setItemData(i, locked ? QVariant(tip) : QVariant(), Qt::ToolTipRole);
        ComboBoxLandmark->setItemData(i, locked ? QVariant(grey) : QVariant(), Qt::ForegroundRole);
    }
}

// The check boxes grow to the right to their captions. The ground button
// grows to the left, and the preview area moves left as far as the button
// needs, so both stay inside the window.
void CityWizard::fitCaptions()
{
    for (QCheckBox* box : findChildren<QCheckBox*>())
        growRightToCaption(*box, box->width());
    // The selector grows to its longest name (the Czech ones are longer).
    ComboBoxLandmark->resize(std::max(kLandmarkSelectorWidth, ComboBoxLandmark->sizeHint().width()),
                             ComboBoxLandmark->height());
    growLeftToCaption(*ButtonShowGround, kShowGroundPlace.left + kShowGroundPlace.width, kShowGroundPlace.width);
    PanelPreview->move(std::min(kPreviewPlace.left, ButtonShowGround->x() - kShowGroundGap - kPreviewPlace.width),
                       kPreviewPlace.top);
}

void CityWizard::resetToDefaults()
{
    model_.reset();
    EditSeed->clear();
    showModelValues();
    rememberChoices();
    goToStep(1);
}

// ---- remembered choices ----

namespace {

// Where the choices are kept between runs, and the model's fields they hold.
constexpr const char* kSettingsGroup = "CityWizard";
struct RememberedFlag {
    const char* key;
    bool vantor::GenerationParams::*flag;
};
constexpr std::array<RememberedFlag, 8> kRememberedFlags{{
    {"walls", &vantor::GenerationParams::walls}, {"wallNorth", &vantor::GenerationParams::wallN},
    {"wallEast", &vantor::GenerationParams::wallE}, {"wallSouth", &vantor::GenerationParams::wallS},
    {"wallWest", &vantor::GenerationParams::wallW}, {"highway", &vantor::GenerationParams::highway},
    {"downtown", &vantor::GenerationParams::downtown}, {"industrial", &vantor::GenerationParams::industrial},
}};

int rememberedInt(const QSettings& settings, const char* key, int fallback, int low, int high)
{
    bool ok = false;
    const int value = settings.value(key, fallback).toInt(&ok);
    return ok ? std::clamp(value, low, high) : fallback;
}

} // namespace

void CityWizard::rememberChoices() const
{
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    const vantor::GenerationParams& p = model_.params();
    settings.setValue("size", p.sizeChoice);
    settings.setValue("lamps", p.lampChoice);
    for (const RememberedFlag& f : kRememberedFlags)
        settings.setValue(f.key, p.*f.flag);
    settings.setValue("landmark", p.landmark);
    settings.setValue("landmarkKind", static_cast<int>(p.landmarkKind));
    settings.setValue("roadDensity", p.roadDensityPosition);
    settings.setValue("houseDensity", p.houseDensityPosition);
    settings.setValue("hillHeight", p.hillnessPosition);
    settings.setValue("rebels", p.rebelsPosition);
    settings.setValue("seed", EditSeed->text());
}

// What the player chose last, each value kept in its range; what was never
// chosen keeps its default. A mission layout needs the finished campaign still.
void CityWizard::restoreRememberedChoices()
{
    model_.reset();
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    vantor::GenerationParams& p = model_.params();
    model_.setSizeChoice(rememberedInt(settings, "size", p.sizeChoice, 0, 3));
    model_.setLampChoice(rememberedInt(settings, "lamps", p.lampChoice, 0, 3));
    for (const RememberedFlag& f : kRememberedFlags)
        p.*f.flag = settings.value(f.key, p.*f.flag).toBool();
    model_.setLandmarkEnabled(settings.value("landmark", p.landmark).toBool());
    const int kind = rememberedInt(settings, "landmarkKind", static_cast<int>(p.landmarkKind), 0,
                                   vantor::kLandmarkKindCount - 1);
    model_.chooseLandmark(static_cast<vantor::LandmarkKind>(kind), menu_.campaignCompleted());
    model_.setRoadDensityPosition(rememberedInt(settings, "roadDensity", p.roadDensityPosition, 0, 100));
    model_.setHouseDensityPosition(rememberedInt(settings, "houseDensity", p.houseDensityPosition, 0, 100));
    model_.setHillnessPosition(rememberedInt(settings, "hillHeight", p.hillnessPosition, 0, 100));
    model_.setRebelsPosition(rememberedInt(settings, "rebels", p.rebelsPosition, 0, 100));
    const QString seed = settings.value("seed").toString();
    EditSeed->setText(seed);
    if (!EditSeed->hasAcceptableInput())
        EditSeed->clear();
    showModelValues();
    goToStep(1);
}

void CityWizard::showModelValues()
{
    const vantor::GenerationParams& p = model_.params();
    ComboBoxLandmark->setCurrentIndex(static_cast<int>(p.landmarkKind));
    const std::array<std::pair<QCheckBox*, bool>, 13> boxes{{
        {hangarBoxes_[0], p.hangarNW}, {hangarBoxes_[1], p.hangarNE}, {hangarBoxes_[2], p.hangarSE},
        {hangarBoxes_[3], p.hangarSW}, {CheckBoxCity, p.downtown}, {CheckBoxHighway, p.highway},
        {CheckBoxIndustrial, p.industrial}, {CheckBoxLandMark, p.landmark}, {CheckBoxWallE, p.wallE},
        {CheckBoxWallN, p.wallN}, {CheckBoxWallS, p.wallS}, {CheckBoxWallsYN, p.walls}, {CheckBoxWallW, p.wallW},
    }};
    for (const auto& [box, checked] : boxes)
        box->setChecked(checked);
    setChoice(lampButtons_, p.lampChoice);
    setChoice(sizeButtons_, p.sizeChoice);
    TrackBarHillness->setValue(p.hillnessPosition);
    TrackBarHouseDensity->setValue(p.houseDensityPosition);
    TrackBarRebels->setValue(p.rebelsPosition);
    TrackBarRoadDensity->setValue(p.roadDensityPosition);
    EditCityName->setText(QString::fromStdString(p.cityName));
}

// ---- control handlers ----

void CityWizard::onSizeChosen(int item)
{
    model_.setSizeChoice(item);
    const Rect r = kCityMapPlace[static_cast<std::size_t>(item)];
    CityMap->setGeometry(r.left, r.top, r.width, r.height);
    CityMap->hide();
}

void CityWizard::onLampsChosen(int item)
{
    model_.setLampChoice(item);
}

namespace {

void showPosition(QLabel* label, const QString& prefix, int position)
{
    label->setText(prefix + QString::number(position));
    label->adjustSize();
}

} // namespace

void CityWizard::onRoadDensityChanged(int position)
{
    model_.setRoadDensityPosition(position);
    showPosition(LabelRoadDensity, text(menu_.language(), TextRoadDensity), position);
}

void CityWizard::onHouseDensityChanged(int position)
{
    model_.setHouseDensityPosition(position);
    showPosition(LabelHouseDensity, text(menu_.language(), TextHouseDensity), position);
}

void CityWizard::onHillHeightChanged(int position)
{
    model_.setHillnessPosition(position);
    showPosition(LabelHillness, text(menu_.language(), TextHillness), position);
}

void CityWizard::onRebelsChanged(int position)
{
    model_.setRebelsPosition(position);
    showPosition(LabelRebels, text(menu_.language(), TextRebels), position);
}

void CityWizard::onLandmarkToggled(bool checked)
{
    model_.setLandmarkEnabled(checked);
    ComboBoxLandmark->setEnabled(checked);
}

void CityWizard::onWallsToggled(bool checked)
{
    model_.params().walls = checked;
    for (QCheckBox* side : {CheckBoxWallN, CheckBoxWallE, CheckBoxWallS, CheckBoxWallW})
        side->setEnabled(checked);
}

void CityWizard::onLandmarkKindChanged(int item)
{
    if (item >= 0)
        model_.setLandmarkKind(static_cast<vantor::LandmarkKind>(item));
}

// The lock on the mission layouts, run on the user's own choice only.
void CityWizard::onLandmarkPicked(int item)
{
    if (item < 0 || model_.chooseLandmark(static_cast<vantor::LandmarkKind>(item), menu_.campaignCompleted()))
        return;
    ComboBoxLandmark->setCurrentIndex(static_cast<int>(vantor::LandmarkKind::Spaceport));
    const Language language = menu_.language();
    boxes_.warning(std::string(vantor::CityEditorModel::lockMessage(language)) + "\r" +
                   std::string(vantor::campaignUnlockHint(language)));
}

// ---- steps ----

void CityWizard::showStep(int step)
{
    const std::array<QWidget*, 22> stepControls{
        RadioGroupSize, RadioGroupLampGrid, CheckBoxWallN, CheckBoxWallE, CheckBoxWallS, CheckBoxWallW,
        CheckBoxWallsYN, CheckBoxHighway, CheckBoxCity, CheckBoxIndustrial, TrackBarRoadDensity,
        LabelRoadDensity, TrackBarHouseDensity, LabelHouseDensity, TrackBarHillness, LabelHillness,
        TrackBarRebels, LabelRebels, CheckBoxLandMark, ComboBoxLandmark, PanelPreview, ButtonShowGround};
    const std::array<std::vector<QWidget*>, kStepCount> shownByStep{{
        {RadioGroupSize},
        {RadioGroupLampGrid},
        {CheckBoxWallN, CheckBoxWallE, CheckBoxWallS, CheckBoxWallW, CheckBoxWallsYN},
        {CheckBoxHighway, CheckBoxCity, CheckBoxIndustrial, CheckBoxLandMark, ComboBoxLandmark},
        {TrackBarRoadDensity, LabelRoadDensity, TrackBarHouseDensity, LabelHouseDensity},
        {TrackBarHillness, LabelHillness},
        {TrackBarRebels, LabelRebels},
        {},
        {},
    }};
    const auto index = static_cast<std::size_t>(step - 1);
    for (QWidget* control : stepControls) {
        const auto& shown = shownByStep[index];
        control->setVisible(std::find(shown.begin(), shown.end(), control) != shown.end());
    }

    const Language language = menu_.language();
    setWindowTitle(text(language, static_cast<TextId>(TextStep1 + step - 1)));
    constexpr std::array<TextId, kStepCount> kHelp{TextHelp1, TextHelp2, TextHelp3, TextHelp4, TextHelp5,
                                                   TextHelp6, TextHelp7, TextHelp8Working, TextHelp9Working};
    LabelInfo->setText(text(language, kHelp[index]));
    const bool working = step >= 8;
    setNavigation(step > 1 && !working, !working);
    if (!working)
        rememberChoices();

    if (step == 4) // no highway in small cities
        CheckBoxHighway->setEnabled(model_.params().sizeChoice >= 2);
    if (step == 8)
        generatePreview();
    else if (step == 9)
        saveCity();
}

void CityWizard::setWorking(bool working)
{
    // Reset would change the city under the work; it waits for it.
    ButtonReset->setEnabled(!working);
    WizardFrame::setWorking(working);
}

void CityWizard::closing()
{
    // The city's pictures stay: the campaign generates through this window
    // after it was closed, and the next opening only refills them.
    rememberChoices();
}

void CityWizard::showPreview()
{
    CityMap->setPixmap(toPixmap(model_.city().planPicture));
    CityMap->resize(CityMap->pixmap().size());
    CityMap->show();
    PanelPreview->show();
    ButtonShowGround->show();
}

// The status text of a step that shows the preview, with the seed that made
// it: `vantor-cli city --seed` with the same settings makes the same city.
QString CityWizard::previewStatus(int textId) const
{
    const Language language = menu_.language();
    return text(language, static_cast<TextId>(textId)) + '\n' + text(language, TextSeed) +
           QString::number(previewSeed_);
}

void CityWizard::generatePreview()
{
    setWorking(true);
    applyTypedSeed(random_);
    previewSeed_ = random_.seed();
    vantor::NullProgressSink noProgress;
    vantor::ProgressSink& progress = progress_ != nullptr ? static_cast<vantor::ProgressSink&>(*progress_) : noProgress;
    if (progress_ != nullptr)
        progress_->showWork(this, menu_.language());
    QCoreApplication::processEvents();
    try {
        model_.generate(random_, progress);
    } catch (const std::exception& e) {
        workFailed(vantor::errorText(e, menu_.language()).c_str());
        return;
    }
    if (progress_ != nullptr)
        progress_->closeWork();
    setWorking(false);
    showModelValues(); // the values the generator wrote back
    LabelInfo->setText(previewStatus(TextHelp8Done));
    showPreview();
    setNavigation(true, true);
}

// Step 8 again, over the preview it made, without generating again: where
// a save that could not be done leaves the wizard.
void CityWizard::returnToPreview()
{
    const Language language = menu_.language();
    setCurrentStep(8);
    setWindowTitle(text(language, TextStep8));
    LabelInfo->setText(previewStatus(TextHelp8Done));
    showPreview();
    setNavigation(true, true);
}

void CityWizard::saveCity()
{
    const Language language = menu_.language();
    const std::filesystem::path atlas = programDir_ / "atlas";
    if (!folderWritable(atlas)) {
        setWorking(false);
        returnToPreview();
        boxes_.warning(folderNotWritableText(language, atlas));
        return;
    }
    setWorking(true);
    vantor::NullProgressSink noProgress;
    vantor::ProgressSink& progress = progress_ != nullptr ? static_cast<vantor::ProgressSink&>(*progress_) : noProgress;
    if (progress_ != nullptr)
        progress_->showWork(this, menu_.language());
    QCoreApplication::processEvents();
    try {
        model_.save(programDir_, progress, stopCheck_);
    } catch (const std::exception& e) {
        const std::string error = vantor::errorText(e, language);
        if (progress_ != nullptr)
            progress_->closeWork();
        setWorking(false);
        returnToPreview();
        boxes_.error(error);
        return;
    }
    if (progress_ != nullptr)
        progress_->closeWork();
    setWorking(false);
    LabelInfo->setText(previewStatus(TextHelp9Done));
    showPreview();
    setNavigation(true, false);
    boxes_.savedIn(std::string(vantor::tr(language, "Single mission map saved in ", "Mapa mise uložena do ")) +
                       pathText(atlas) + ".",
                   atlas, language);
}

// A failed generation: the dialog closes, the error is shown and the user
// can go Back (to try again) or Close; Next stays off.
void CityWizard::workFailed(const char* error)
{
    if (progress_ != nullptr)
        progress_->closeWork();
    setWorking(false);
    LabelInfo->setText(QString::fromUtf8(error));
    setNavigation(true, false);
    boxes_.error(error);
}

void CityWizard::showGround()
{
    if (ground_ != nullptr && !busy() && !model_.city().groundPicture.empty())
        ground_->showPicture(model_.city().groundPicture);
}

// ---- window events ----

void CityWizard::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        prepareOpening();
}
