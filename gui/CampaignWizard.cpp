#include "gui/CampaignWizard.hpp"

#include "campaign/MoonMap.hpp"
#include "city/RandomSource.hpp"
#include "gui/PictureConversion.hpp"
#include "gui/QtText.hpp"
#include "shell/BmpFile.hpp"
#include "shell/MessageBoxes.hpp"
#include "gui/ProgressDialog.hpp"
#include "gui/StepClickGuard.hpp"
#include "gui/MainMenu.hpp"
#include "shell/VantorError.hpp"
#include "gui/CityWizard.hpp"
#include "gui/WindowFont.hpp"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColor>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>

#include <algorithm>
#include <array>
#include <climits>
#include <exception>
#include <string_view>
#include <vector>

namespace {

using vantor::Language;

// Every text of the wizard, English and Czech side by side.
enum TextId {
    TextCaption, TextCityNum, TextNumDistricts, TextBigCity, TextLimitedLights, TextBack, TextNext, TextClose,
    TextPlus, TextMinus,
    // Step titles.
    TextStep1, TextStep2, TextStep3, TextStep4,
    // LabelWorking.
    TextHelp1, TextHelp2, TextPreviewWorking, TextPreviewDone, TextCampaignWorking, TextCampaignSaved,
    TextDistrictLock,
    // The density label: prefix, then a recommendation per range.
    TextDensityPrefix, TextDensitySlow, TextDensityAverage, TextDensityFast,
    TextCount
};

constexpr std::array<WindowText, TextCount> kTexts{{
    {"Campaign Editor", "Campaign Editor"},
    {"Number of cities:", "Počet měst:"},
    {"Number of districts:", "Počet distriktů:"},
    {"Generate large cities", "Generuj velká města"},
    {"Limited number of lights", "Nižší počet světel"},
    {"<< Back", "<< Zpět"},
    {"Next >>", "Další >>"},
    {"Close", "Konec"},
    {"+", "+"},
    {"-", "-"},
    {"Campaign editor: World size - step 1/4", "Editor kampaně: Nastavení velikosti - krok 1/4"},
    {"Campaign editor: Performance settings - step 2/4", "Editor kampaně: Nastavení podle výkonu - krok 2/4"},
    {"Campaign editor: Preview - step 3/4", "Editor kampaně: Náhled - krok 3/4"},
    {"Campaign editor: Generate campaign - step 4/4", "Editor kampaně: Generuj kampaň - krok 4/4"},
    {"Select overall number of cities and number of districts to be generated. You can not change number of "
     "districts until you complete the campaign. Minimum number of cities is 30 and maximum is 55. Minimum number "
     "of districts is 6 and maximum is 15. However there has to be at least 5 cities in each districts. These "
     "settings are automatically corrected later if unpropriate. ",
     "Nastavte celkové množství měst, která budou vygenerována. Počet distriktů nemůžete měnit, dokud nedokončíte "
     "kampaň ve hře. Minimální počet měst je 30 a maximální 55. Minimální počet distriktů je 6 a maximální 15. V "
     "každém distriktu ale musí být alespoň 5 měst."},
    {"Maximum house density is the most important setting affecting game performance. Set this value according to "
     "your system configuration. 'Generate large cities' and 'Limited number of lights' will also affect game "
     "performance.",
     "Maximální hustota budov je nejdůležitější nastavení ovlivňující výkon. Nastavte ji podle konfigurace vašeho "
     "počítače. 'Generuj velká města' a 'Nižší počet světel' budou mít také vliv na výkon."},
    {"Generating preview. Please wait...", "Generuji náhled. Prosím čekejte..."},
    {"Preview generated.\rPress 'Next' button to save campaign.", "Náhled vygenerován.\rStiskněte 'Další' ."},
    {"Generating campaign. Please wait...", "Generuji kampaň. Prosím čekejte..."},
    {"Campaign saved.", "Kampaň uložena."},
    {"You are not allowed to change number of districts until you successfully complete campaign!",
     "Není možné měnit počet distriktů předtím, než dohrajete kampaň !"},
    {"Max. house density: ", "Max. hustota budov: "},
    {"Recommended for slow computers.", "Doporučeno pro pomalý počítač"},
    {"Recommended for average computers", "Doporučeno pro průměrný počítač"},
    {"Recommended for fast computers !", "Doporučeno jen pro rychlý počítač !"},
}};

QString text(Language language, TextId id)
{
    return translated(language, kTexts[id]);
}

// The window's outer size is 537 x 424; the client area is that less a
// classic frame (4-pixel borders and a 19-pixel caption).
constexpr int kClientWidth = 537 - 8;
constexpr int kClientHeight = 424 - 27;
constexpr int kStepCount = 4;

// Design places the fitting below starts from.
constexpr int kLabelCityNumLeft = 160;
constexpr int kLabelNumDistrictsLeft = 152;
constexpr int kCheckBoxBigCityWidth = 121;
constexpr int kCheckBoxLimitedLightsWidth = 137;

constexpr int kDefaultCities = 30;
constexpr int kDefaultDistricts = 6;
constexpr int kCitiesWhenNotANumber = 20;
constexpr int kDistrictsWhenNotANumber = 6;

// The maximum house density slider.
constexpr int kDensityMin = 25;
constexpr int kDensityMax = 100;
constexpr int kDensityStep = 5;
constexpr int kDensityDefault = 70;

// The density label's recommendation: the highest position of each range
// with its text and colour.
struct DensityBand {
    int upTo;
    TextId recommendation;
    QRgb colour;
};
constexpr std::array<DensityBand, 3> kDensityBands{{
    {50, TextDensitySlow, qRgb(0, 128, 0)},
    {75, TextDensityAverage, qRgb(0, 0, 255)},
    {INT_MAX, TextDensityFast, qRgb(255, 0, 0)},
}};

// The released keys that keep an edit box's text, as Windows virtual-key code ranges.
constexpr std::array<std::pair<int, int>, 2> kKeptKeys{{{0x2F, 0x40}, {0x5B, 0x69}}};

struct KeyCode {
    int qtKey;
    int virtualKey;
};
// Qt keys without a contiguous range, with their Windows virtual-key codes.
constexpr auto kVirtualKeys = std::to_array<KeyCode>({
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09}, {Qt::Key_Backtab, 0x09}, {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D}, {Qt::Key_Shift, 0x10}, {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12}, {Qt::Key_Pause, 0x13}, {Qt::Key_CapsLock, 0x14}, {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20}, {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24}, {Qt::Key_Left, 0x25}, {Qt::Key_Up, 0x26}, {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28}, {Qt::Key_Print, 0x2C}, {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E},
    {Qt::Key_Help, 0x2F}, {Qt::Key_Meta, 0x5B}, {Qt::Key_Menu, 0x5D}, {Qt::Key_Sleep, 0x5F},
    {Qt::Key_NumLock, 0x90}, {Qt::Key_ScrollLock, 0x91},
    // The shifted digit row of a US keyboard: the key is still the digit's.
    {Qt::Key_ParenRight, 0x30}, {Qt::Key_Exclam, 0x31}, {Qt::Key_At, 0x32}, {Qt::Key_NumberSign, 0x33},
    {Qt::Key_Dollar, 0x34}, {Qt::Key_Percent, 0x35}, {Qt::Key_AsciiCircum, 0x36}, {Qt::Key_Ampersand, 0x37},
    {Qt::Key_ParenLeft, 0x39},
    // Punctuation keys (the "OEM" codes).
    {Qt::Key_Semicolon, 0xBA}, {Qt::Key_Equal, 0xBB}, {Qt::Key_Comma, 0xBC}, {Qt::Key_Period, 0xBE},
});
// The keypad's operator keys.
constexpr auto kKeypadOperators = std::to_array<KeyCode>({
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B}, {Qt::Key_Minus, 0x6D}, {Qt::Key_Period, 0x6E},
    {Qt::Key_Slash, 0x6F},
});
// Further punctuation outside the keypad.
constexpr auto kPunctuation = std::to_array<KeyCode>({
    {Qt::Key_Asterisk, 0x38}, {Qt::Key_Plus, 0xBB}, {Qt::Key_Minus, 0xBD}, {Qt::Key_Slash, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0}, {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_Backslash, 0xDC}, {Qt::Key_BracketRight, 0xDD},
});

int findCode(const auto& table, int key)
{
    for (const KeyCode& code : table)
        if (code.qtKey == key)
            return code.virtualKey;
    return 0;
}

struct Rect {
    int left, top, width, height;
};

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

QLineEdit* makeEdit(QWidget* parent, const char* name, const char* value, Rect r)
{
    auto* edit = new QLineEdit(value, parent);
    edit->setObjectName(name);
    edit->setGeometry(r.left, r.top, r.width, r.height);
    return edit;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, TextId caption, Rect r, bool checked)
{
    auto* box = new QCheckBox(text(Language::English, caption), parent);
    box->setObjectName(name);
    box->setGeometry(r.left, r.top, r.width, r.height);
    box->setChecked(checked);
    return box;
}

QFrame* makeRule(QWidget* parent, const char* name, Rect r)
{
    auto* rule = new QFrame(parent);
    rule->setObjectName(name);
    rule->setGeometry(r.left, r.top, r.width, r.height);
    rule->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    rule->setLineWidth(1);
    return rule;
}

// The design places suit a narrow 8-point face; with a wider face a label is
// moved left so that it still ends before its edit box, and a check box
// grows so that its caption is not cut off.
constexpr int kLabelGap = 3;

void fitLabel(QLabel* label, int designLeft, int endBefore)
{
    label->adjustSize();
    label->move(std::min(designLeft, endBefore - kLabelGap - label->width()), label->y());
}

void fitCheckBox(QCheckBox* box, int designWidth)
{
    box->resize(std::max(designWidth, box->sizeHint().width()), box->height());
}

// The edit boxes' number, or `otherwise` when the text is not a decimal integer.
int numberOr(const QString& text, int otherwise)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : otherwise;
}

// One step up or down, held inside int.
int stepped(int value, int delta)
{
    if ((delta > 0 && value == INT_MAX) || (delta < 0 && value == INT_MIN))
        return value;
    return value + delta;
}

// The core's texts break lines with a carriage return; a label breaks them with a line feed.
QString displayText(std::string_view t)
{
    return fromUtf8(t).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

// The progress dialog as the campaign's progress: the task line and bar for
// each city, the total bar, and Cancel as the stop request. The dialog is
// shown at the first report, so a declined overwrite never shows it.
class CampaignWizard::Progress final : public vantor::CampaignProgress {
public:
    Progress(ProgressDialog& dialog, const bool& cancelled) : dialog_(dialog), cancelled_(cancelled) {}
    ~Progress() override { dialog_.closeWork(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void setTask(std::string_view text) override
    {
        shown();
        dialog_.setTask(text);
    }
    void setTaskProgress(int percent) override
    {
        shown();
        dialog_.setTaskProgress(percent);
    }
    void pump() override
    {
        shown();
        dialog_.pump();
    }
    void setTotalProgress(int percent) override
    {
        shown();
        dialog_.setTotalProgress(percent);
    }
    bool cancelRequested() override { return cancelled_; }

private:
    void shown()
    {
        if (!shown_)
            dialog_.showWork();
        shown_ = true;
    }

    ProgressDialog& dialog_;
    const bool& cancelled_;
    bool shown_ = false;
};

CampaignWizard::CampaignWizard(const MainMenu& menu, CityWizard& cityEditor,
                                         ProgressDialog& progress, vantor::RandomSource& random,
                                         vantor::MessageBoxes& boxes, std::filesystem::path programDir,
                                         QWidget* parent)
    : QDialog(parent),
      menu_(menu),
      cityEditor_(cityEditor),
      progress_(progress),
      random_(random),
      boxes_(boxes),
      programDir_(std::move(programDir))
{
    setObjectName("FormCampaignEditor");
    setWindowTitle(text(Language::English, TextCaption));
    setFixedSize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setFont(windowFont());
    buildControls();
    stepGuard_ = new StepClickGuard(*this, {ButtonNext, ButtonBack});
}

CampaignWizard::~CampaignWizard()
{
    progress_.setCancelHandler({});
}

// The controls in tab order, with their design values.
void CampaignWizard::buildControls()
{
    PanelImg = makeRule(this, "PanelImg", {8, 5, 514, 258});
    ImageMoonMap = new QLabel(PanelImg);
    ImageMoonMap->setObjectName("ImageMoonMap");
    ImageMoonMap->setGeometry(1, 1, vantor::Campaign::kMapWidth, vantor::Campaign::kMapHeight);
    Panel2 = makeRule(this, "Panel2", {8, 264, 521, 2});
    LabelWorking = new QLabel(this);
    LabelWorking->setObjectName("LabelWorking");
    LabelWorking->setGeometry(8, 268, 513, 77);
    LabelWorking->setAlignment(Qt::AlignCenter);
    LabelWorking->setWordWrap(true);

    LabelCityNum = makeLabel(this, "LabelCityNum", TextCityNum, kLabelCityNumLeft, 85);
    EditCityNum = makeEdit(this, "EditCityNum", "30", {248, 80, 89, 21});
    ButtonCityNumPlus = makeButton(this, "ButtonCityNumPlus", TextPlus, {344, 80, 17, 10});
    ButtonCityNumMinus = makeButton(this, "ButtonCityNumMinus", TextMinus, {344, 90, 17, 10});
    LabelNumDistricts = makeLabel(this, "LabelNumDistricts", TextNumDistricts, kLabelNumDistrictsLeft, 115);
    EditDistrictNum = makeEdit(this, "EditDistrictNum", "6", {248, 112, 89, 21});
    ButtonDistrictNumPlus = makeButton(this, "ButtonDistrictNumPlus", TextPlus, {344, 112, 17, 10});
    ButtonDistrictNumMinus = makeButton(this, "ButtonDistrictNumMinus", TextMinus, {344, 122, 17, 10});
    // Ten pixels are too few for a style's button margins: the sign fills the button.
    for (QPushButton* b : {ButtonCityNumPlus, ButtonCityNumMinus, ButtonDistrictNumPlus, ButtonDistrictNumMinus})
        b->setStyleSheet("padding: 0px; margin: 0px;");

    LabelMaxHouseDensity = new QLabel(this);
    LabelMaxHouseDensity->setObjectName("LabelMaxHouseDensity");
    LabelMaxHouseDensity->setGeometry(32, 72, 217, 33);
    LabelMaxHouseDensity->setAlignment(Qt::AlignCenter);
    TrackBarMaxHouseDensity = new QSlider(Qt::Horizontal, this);
    TrackBarMaxHouseDensity->setObjectName("TrackBarMaxHouseDensity");
    TrackBarMaxHouseDensity->setGeometry(32, 112, 217, 41);
    TrackBarMaxHouseDensity->setRange(kDensityMin, kDensityMax);
    TrackBarMaxHouseDensity->setPageStep(kDensityStep);
    TrackBarMaxHouseDensity->setSingleStep(1);
    TrackBarMaxHouseDensity->setTickInterval(kDensityStep);
    TrackBarMaxHouseDensity->setTickPosition(QSlider::TicksBelow);
    TrackBarMaxHouseDensity->setValue(kDensityDefault);
    CheckBoxBigCity =
        makeCheckBox(this, "CheckBoxBigCity", TextBigCity, {328, 88, kCheckBoxBigCityWidth, 17}, true);
    CheckBoxLimitedLights = makeCheckBox(this, "CheckBoxLimitedLights", TextLimitedLights,
                                         {328, 112, kCheckBoxLimitedLightsWidth, 17}, false);

    Panel1 = makeRule(this, "Panel1", {8, 352, 521, 2});
    ButtonBack = makeButton(this, "ButtonBack", TextBack, {224, 360, 91, 33});
    ButtonNext = makeButton(this, "ButtonNext", TextNext, {320, 360, 97, 33});
    ButtonClose = makeButton(this, "ButtonClose", TextClose, {424, 360, 99, 33});

    const std::array<QWidget*, 13> tabOrder{EditCityNum, ButtonCityNumPlus, ButtonCityNumMinus, EditDistrictNum,
                                            ButtonDistrictNumPlus, ButtonDistrictNumMinus, TrackBarMaxHouseDensity,
                                            CheckBoxBigCity, CheckBoxLimitedLights, ButtonBack, ButtonNext,
                                            ButtonClose, EditCityNum};
    for (std::size_t i = 1; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    EditCityNum->installEventFilter(this);
    EditDistrictNum->installEventFilter(this);
    connect(EditCityNum, &QLineEdit::textChanged, this, &CampaignWizard::EditCityNumChange);
    connect(EditDistrictNum, &QLineEdit::textChanged, this, &CampaignWizard::EditDistrictNumChange);
    connect(ButtonCityNumPlus, &QPushButton::clicked, this, &CampaignWizard::ButtonCityNumPlusClick);
    connect(ButtonCityNumMinus, &QPushButton::clicked, this, &CampaignWizard::ButtonCityNumMinusClick);
    connect(ButtonDistrictNumPlus, &QPushButton::clicked, this, &CampaignWizard::ButtonDistrictNumPlusClick);
    connect(ButtonDistrictNumMinus, &QPushButton::clicked, this, &CampaignWizard::ButtonDistrictNumMinusClick);
    connect(TrackBarMaxHouseDensity, &QSlider::valueChanged, this,
            &CampaignWizard::TrackBarMaxHouseDensityChange);
    connect(ButtonNext, &QPushButton::clicked, this, &CampaignWizard::ButtonNextClick);
    connect(ButtonBack, &QPushButton::clicked, this, &CampaignWizard::ButtonBackClick);
    connect(ButtonClose, &QPushButton::clicked, this, &CampaignWizard::ButtonCloseClick);
}

vantor::CampaignSettings CampaignWizard::settings() const
{
    return {TrackBarMaxHouseDensity->value(), CheckBoxBigCity->isChecked(), CheckBoxLimitedLights->isChecked()};
}

// ---- opening and closing ----

// Run at every showing: the counts back to 30 and 6 (shown in the boxes at
// once), step 1, the density slider at 70, the language's captions, then
// the campaign's names, city icon and label font from data/.
void CampaignWizard::FormShow()
{
    const Language language = menu_.language();
    campaign_ = vantor::Campaign{};
    campaign_.language = language;
    labelFont_.reset();
    dataError_.clear();
    busy_ = false;
    cancelled_ = false;

    // The boxes' handlers read the texts back into the counts.
    EditCityNum->setText(QString::number(kDefaultCities));
    EditDistrictNum->setText(QString::number(kDefaultDistricts));
    campaign_.numCities = kDefaultCities;
    campaign_.numDistricts = kDefaultDistricts;
    ImageMoonMap->clear();

    const std::array<std::pair<QAbstractButton*, TextId>, 5> captions{{
        {ButtonBack, TextBack}, {ButtonClose, TextClose}, {ButtonNext, TextNext}, {CheckBoxBigCity, TextBigCity},
        {CheckBoxLimitedLights, TextLimitedLights},
    }};
    for (const auto& [control, id] : captions)
        control->setText(text(language, id));
    const std::array<std::pair<QLabel*, TextId>, 2> labels{{{LabelCityNum, TextCityNum},
                                                            {LabelNumDistricts, TextNumDistricts}}};
    for (const auto& [label, id] : labels)
        label->setText(text(language, id));
    fitLabel(LabelCityNum, kLabelCityNumLeft, EditCityNum->x());
    fitLabel(LabelNumDistricts, kLabelNumDistrictsLeft, EditDistrictNum->x());
    fitCheckBox(CheckBoxBigCity, kCheckBoxBigCityWidth);
    fitCheckBox(CheckBoxLimitedLights, kCheckBoxLimitedLightsWidth);

    step_ = 1;
    showStep(step_);
    TrackBarMaxHouseDensity->setValue(kDensityDefault);
    TrackBarMaxHouseDensityChange(kDensityDefault); // also when the slider already stood there

    loadCampaignData();
}

// A missing or broken file is reported by name; steps 3 and 4 then refuse.
void CampaignWizard::loadCampaignData()
{
    try {
        campaign_.cityNames = vantor::MoonMap::loadCityNames(menu_.dataHome() / "data" / "citynames.txt");
        campaign_.moonBase = vantor::BmpFile::read(menu_.dataHome() / "data" / "moonBase.bmp");
        labelFont_.emplace(vantor::MoonMap::loadLabelFont(menu_.dataHome()));
    } catch (const std::exception& e) {
        dataError_ = vantor::errorText(e, menu_.language());
        boxes_.error(dataError_);
    }
}

// Closing discards the campaign and puts the single-mission wizard back to its defaults.
void CampaignWizard::FormClose()
{
    campaign_.moonBase = vantor::Image{};
    campaign_.cities.clear();
    campaign_.objectives.clear();
    campaign_.moonMap = vantor::Image{};
    ImageMoonMap->clear();
    cityEditor_.ResetWizard();
}

void CampaignWizard::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void CampaignWizard::closeEvent(QCloseEvent* event)
{
    // The dialog's own closing goes through reject(), which discards the campaign.
    if (busy_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void CampaignWizard::reject()
{
    if (busy_)
        return;
    FormClose();
    QDialog::reject();
}

// ---- edit boxes ----

int CampaignWizard::virtualKeyCode(const QKeyEvent& event)
{
    if (QGuiApplication::platformName() == QLatin1String("windows") && event.nativeVirtualKey() != 0)
        return static_cast<int>(event.nativeVirtualKey());
    const int key = event.key();
    const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (keypad ? 0x60 : 0x30) + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 0x41 + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    if (keypad)
        if (const int code = findCode(kKeypadOperators, key); code != 0)
            return code;
    if (const int code = findCode(kVirtualKeys, key); code != 0)
        return code;
    return findCode(kPunctuation, key);
}

bool CampaignWizard::keyKeepsText(int virtualKey) noexcept
{
    return std::any_of(kKeptKeys.begin(), kKeptKeys.end(), [virtualKey](const std::pair<int, int>& range) {
        return virtualKey >= range.first && virtualKey <= range.second;
    });
}

bool CampaignWizard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease && (watched == EditCityNum || watched == EditDistrictNum)) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        // A held key repeats its press but is released once.
        if (!key.isAutoRepeat())
            EditNumKeyUp(static_cast<QLineEdit*>(watched), key);
    }
    return QDialog::eventFilter(watched, event);
}

// EditCityNumKeyUp and EditDistrictNumKeyUp: any key but the digits' empties the box.
void CampaignWizard::EditNumKeyUp(QLineEdit* edit, const QKeyEvent& event)
{
    if (!keyKeepsText(virtualKeyCode(event)))
        edit->clear();
}

void CampaignWizard::EditCityNumChange(const QString& text)
{
    campaign_.numCities = numberOr(text, kCitiesWhenNotANumber);
}

void CampaignWizard::EditDistrictNumChange(const QString& text)
{
    campaign_.numDistricts = numberOr(text, kDistrictsWhenNotANumber);
    if (campaign_.numDistricts == kDefaultDistricts || menu_.campaignCompleted())
        return;
    campaign_.numDistricts = kDefaultDistricts;
    EditDistrictNum->setText(QString::number(kDefaultDistricts));
    boxes_.warning(vantor::tr(menu_.language(), kTexts[TextDistrictLock].english, kTexts[TextDistrictLock].czech));
}

void CampaignWizard::ButtonCityNumPlusClick()
{
    EditCityNum->setText(QString::number(stepped(campaign_.numCities, 1)));
}

void CampaignWizard::ButtonCityNumMinusClick()
{
    EditCityNum->setText(QString::number(stepped(campaign_.numCities, -1)));
}

void CampaignWizard::ButtonDistrictNumPlusClick()
{
    EditDistrictNum->setText(QString::number(stepped(campaign_.numDistricts, 1)));
}

void CampaignWizard::ButtonDistrictNumMinusClick()
{
    EditDistrictNum->setText(QString::number(stepped(campaign_.numDistricts, -1)));
}

void CampaignWizard::TrackBarMaxHouseDensityChange(int position)
{
    const Language language = menu_.language();
    const auto band = std::find_if(kDensityBands.begin(), kDensityBands.end(),
                                   [position](const DensityBand& b) { return position <= b.upTo; });
    LabelMaxHouseDensity->setText(text(language, TextDensityPrefix) + QString::number(position) + "%\n" +
                                  text(language, band->recommendation));
    QPalette palette = LabelMaxHouseDensity->palette();
    palette.setColor(QPalette::WindowText, QColor(band->colour));
    LabelMaxHouseDensity->setPalette(palette);
}

// ---- steps ----

void CampaignWizard::setLabelWorking(const QString& t)
{
    LabelWorking->setText(t);
}

void CampaignWizard::showStep(int step)
{
    const std::array<QWidget*, 13> stepControls{
        LabelCityNum, EditCityNum, ButtonCityNumPlus, ButtonCityNumMinus, LabelNumDistricts, EditDistrictNum,
        ButtonDistrictNumPlus, ButtonDistrictNumMinus, CheckBoxBigCity, CheckBoxLimitedLights,
        LabelMaxHouseDensity, TrackBarMaxHouseDensity, PanelImg};
    const std::array<std::vector<QWidget*>, kStepCount> shownByStep{{
        {LabelCityNum, EditCityNum, ButtonCityNumPlus, ButtonCityNumMinus, LabelNumDistricts, EditDistrictNum,
         ButtonDistrictNumPlus, ButtonDistrictNumMinus},
        {CheckBoxBigCity, CheckBoxLimitedLights, LabelMaxHouseDensity, TrackBarMaxHouseDensity},
        {PanelImg},
        {},
    }};
    const auto index = static_cast<std::size_t>(step - 1);
    for (QWidget* control : stepControls) {
        const auto& shown = shownByStep[index];
        control->setVisible(std::find(shown.begin(), shown.end(), control) != shown.end());
    }

    const Language language = menu_.language();
    setWindowTitle(text(language, static_cast<TextId>(TextStep1 + step - 1)));
    switch (step) {
    case 1:
        setLabelWorking(text(language, TextHelp1));
        ButtonBack->setEnabled(false);
        ButtonNext->setEnabled(true);
        break;
    case 2:
        setLabelWorking(text(language, TextHelp2));
        ButtonBack->setEnabled(true);
        ButtonNext->setEnabled(true);
        break;
    case 3:
        runPreview();
        break;
    default:
        runCampaign();
        break;
    }
    stepGuard_->stepChanged();
}

bool CampaignWizard::stepShown() const noexcept
{
    return stepGuard_->stepShown();
}

void CampaignWizard::setWorking(bool working)
{
    busy_ = working;
    ButtonClose->setEnabled(!working);
    if (working) {
        ButtonBack->setEnabled(false);
        ButtonNext->setEnabled(false);
    } else {
        emit workEnded();
    }
}

// A failed step: the error is shown in the status line and a box; the user
// can go Back (to try again) or Close, Next stays off.
void CampaignWizard::workFailed(const std::string& error)
{
    progress_.closeWork();
    setWorking(false);
    setLabelWorking(displayText(error));
    ButtonBack->setEnabled(true);
    ButtonNext->setEnabled(false);
    boxes_.error(error);
}

// Step 3: the Moon map, attempted until one layout succeeds. The corrected
// counts go back into the edit boxes first. A layout that cannot succeed
// (too few names, no data) is reported and the wizard returns to step 2.
void CampaignWizard::runPreview()
{
    const Language language = menu_.language();
    setLabelWorking(text(language, TextPreviewWorking));
    setWorking(true);
    QCoreApplication::processEvents();

    const vantor::MoonMap::Counts counts = vantor::MoonMap::normalise(campaign_.numCities, campaign_.numDistricts);
    EditCityNum->setText(QString::number(counts.cities));
    EditDistrictNum->setText(QString::number(counts.districts));
    campaign_.numCities = counts.cities;
    campaign_.numDistricts = counts.districts;
    QCoreApplication::processEvents();

    try {
        if (!dataError_.empty() || !labelFont_)
            throw vantor::VantorError(dataError_.empty() ? "The campaign's data files are not loaded" : dataError_);
        vantor::MoonMap::generateUntilValid(campaign_, random_, *labelFont_);
    } catch (const std::exception& e) {
        const std::string error = vantor::errorText(e, menu_.language());
        setWorking(false);
        step_ = 2;
        showStep(step_);
        boxes_.error(error);
        return;
    }
    ImageMoonMap->setPixmap(toPixmap(campaign_.moonMap));
    setWorking(false);
    setLabelWorking(displayText(vantor::tr(language, kTexts[TextPreviewDone].english, kTexts[TextPreviewDone].czech)));
    ButtonBack->setEnabled(true);
    ButtonNext->setEnabled(true);
}

// Step 4: the campaign files, through the single-mission wizard's city
// model. An existing campaign is only replaced when the user answers Yes;
// No returns to step 1 with nothing touched.
void CampaignWizard::runCampaign()
{
    const Language language = menu_.language();
    setLabelWorking(text(language, TextCampaignWorking));
    setWorking(true);
    cancelled_ = false;
    progress_.setCancelHandler([this] { cancelled_ = true; });
    QCoreApplication::processEvents();

    vantor::CampaignOutcome outcome{};
    try {
        // Nothing is asked or deleted while a picture is missing.
        menu_.catalogue().requireComplete();
        vantor::CityEditorModel& editor = cityEditor_.model();
        editor.setCatalogue(menu_.catalogue());
        editor.loadGroundTextures(menu_.dataHome());
        Progress progress(progress_, cancelled_);
        const auto askOverwrite = [this, language] {
            return boxes_.show(vantor::MessageBoxes::Kind::Question,
                               vantor::CampaignWriter::overwriteQuestion(language)) ==
                   vantor::MessageBoxes::Answer::Yes;
        };
        outcome =
            vantor::CampaignWriter::write(campaign_, settings(), editor, programDir_, random_, progress, askOverwrite);
    } catch (const std::exception& e) {
        progress_.setCancelHandler({});
        workFailed(vantor::errorText(e, language));
        return;
    }
    progress_.setCancelHandler({});
    setWorking(false);

    if (outcome == vantor::CampaignOutcome::Declined) {
        step_ = 1;
        showStep(step_);
        return;
    }
    setLabelWorking(displayText(vantor::CampaignWriter::statusText(outcome, language)));
    boxes_.information(vantor::CampaignWriter::messageText(outcome, language));
    if (outcome == vantor::CampaignOutcome::Completed)
        setLabelWorking(text(language, TextCampaignSaved));
    ButtonBack->setEnabled(true);
    ButtonNext->setEnabled(false);
}

void CampaignWizard::ButtonNextClick()
{
    if (busy_)
        return;
    step_ = std::min(step_ + 1, kStepCount);
    showStep(step_);
}

void CampaignWizard::ButtonBackClick()
{
    if (busy_ || step_ <= 1)
        return;
    --step_;
    showStep(step_);
}

void CampaignWizard::ButtonCloseClick()
{
    close();
}
