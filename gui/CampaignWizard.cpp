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

#include "wizard/CampaignLock.hpp"

#include <QAbstractButton>
#include <QIntValidator>
#include <QSettings>
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
    TextCaption, TextCityNum, TextNumDistricts, TextBigCity, TextLimitedLights,
    TextPlus, TextMinus, TextReset,
    // Step titles.
    TextStep1, TextStep2, TextStep3, TextStep4,
    // LabelWorking.
    TextHelp1, TextHelp2, TextPreviewWorking, TextPreviewDone, TextCampaignWorking, TextCampaignSaved,
    // Followed by the seed that made the preview.
    TextSeed,
    // The density label: prefix, then a recommendation per range.
    TextDensityPrefix, TextDensitySlow, TextDensityAverage, TextDensityFast,
    TextCount
};

constexpr std::array<WindowText, TextCount> kTexts{{
    {"Campaign Editor", "Campaign Editor"},
    {"Number of ci&ties:", "Počet &měst:"},
    {"Number of d&istricts:", "Počet di&striktů:"},
    {"&Generate large cities", "&Generuj velká města"},
    {"&Limited number of lights", "Nižší &počet světel"},
    {"+", "+"},
    {"-", "-"},
    {"&Reset", "&Resetuj"},
    {"Campaign editor: World size - step 1/4", "Editor kampaně: Nastavení velikosti - krok 1/4"},
    {"Campaign editor: Performance settings - step 2/4", "Editor kampaně: Nastavení podle výkonu - krok 2/4"},
    {"Campaign editor: Preview - step 3/4", "Editor kampaně: Náhled - krok 3/4"},
    {"Campaign editor: Generate campaign - step 4/4", "Editor kampaně: Generuj kampaň - krok 4/4"},
    {"Select overall number of cities and number of districts to be generated. You cannot change number of "
     "districts until you complete the campaign. Minimum number of cities is 30 and maximum is 55. Minimum number "
     "of districts is 6 and maximum is 15. However there has to be at least 5 cities in each district. These "
     "settings are automatically corrected if inappropriate.",
     "Nastavte celkové množství měst, která budou vygenerována. Počet distriktů nemůžete měnit, dokud nedokončíte "
     "kampaň ve hře. Minimální počet měst je 30 a maximální 55. Minimální počet distriktů je 6 a maximální 15. V "
     "každém distriktu ale musí být alespoň 5 měst."},
    {"Maximum house density is the most important setting affecting game performance. Set this value according to "
     "your system configuration. 'Generate large cities' and 'Limited number of lights' will also affect game "
     "performance.",
     "Maximální hustota budov je nejdůležitější nastavení ovlivňující výkon. Nastavte ji podle konfigurace vašeho "
     "počítače. 'Generuj velká města' a 'Nižší počet světel' budou mít také vliv na výkon."},
    {"Generating preview. Please wait...", "Generuji náhled. Prosím čekejte..."},
    {"Preview generated.\rPress 'Next' button to save campaign.", "Náhled vygenerován.\rStiskněte 'Další' a uložte kampaň."},
    {"Generating campaign. Please wait...", "Generuji kampaň. Prosím čekejte..."},
    {"Campaign saved.", "Kampaň uložena."},
    {"Seed ", "Semínko "},
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

using Model = vantor::CampaignEditorModel;

// The maximum house density slider's tick and page step.
constexpr int kDensityStep = 5;

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

// A count's box: digits only, within the range the model keeps.
QLineEdit* makeCountEdit(QWidget* parent, const char* name, int value, int low, int high, Rect r)
{
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setObjectName(name);
    edit->setGeometry(r.left, r.top, r.width, r.height);
    edit->setValidator(new QIntValidator(low, high, edit));
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

// The core's texts break lines with a carriage return; a label breaks them with a line feed.
QString displayText(std::string_view t)
{
    return fromUtf8(t).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

// The progress dialog as the campaign's progress: the task line and bar for
// each city, the total bar, and Cancel as the stop request. The dialog is
// shown at the first report, so a declined overwrite never shows it.
//
// On this thread a campaign city is only laid out; its pictures are drawn
// by the campaign's workers meanwhile, without reports. So the task bar
// shows the city named in the task line: empty while it is laid out, full
// once it is handed on (the total bar then moves to the next city).
class CampaignWizard::Progress final : public vantor::CampaignProgress {
public:
    Progress(ProgressDialog& dialog, const bool& cancelled, const QWidget& wizard, Language language)
        : dialog_(dialog), cancelled_(cancelled), wizard_(wizard), language_(language)
    {
    }
    ~Progress() override { dialog_.closeWork(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void setTask(std::string_view text) override
    {
        shown();
        dialog_.setTask(text);
        cityNamed_ = true;
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
        if (cityNamed_)
            dialog_.setTaskProgress(100);
    }
    bool cancelRequested() override { return cancelled_; }

private:
    void shown()
    {
        if (!shown_)
            dialog_.showWork(&wizard_, language_);
        shown_ = true;
    }

    ProgressDialog& dialog_;
    const bool& cancelled_;
    const QWidget& wizard_;
    Language language_;
    bool shown_ = false;
    bool cityNamed_ = false;
};

CampaignWizard::CampaignWizard(const MainMenu& menu, CityWizard& cityEditor,
                                         ProgressDialog& progress, vantor::RandomSource& random,
                                         vantor::MessageBoxes& boxes, std::filesystem::path programDir,
                                         QWidget* parent)
    : WizardFrame(kStepCount, parent),
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
    EditCityNum = makeCountEdit(this, "EditCityNum", Model::kDefaultCities, Model::kMinCities, Model::kMaxCities,
                                {248, 80, 89, 21});
    ButtonCityNumPlus = makeButton(this, "ButtonCityNumPlus", TextPlus, {344, 80, 17, 10});
    ButtonCityNumMinus = makeButton(this, "ButtonCityNumMinus", TextMinus, {344, 90, 17, 10});
    LabelNumDistricts = makeLabel(this, "LabelNumDistricts", TextNumDistricts, kLabelNumDistrictsLeft, 115);
    EditDistrictNum = makeCountEdit(this, "EditDistrictNum", Model::kDefaultDistricts, Model::kMinDistricts,
                                    Model::kMaxDistricts, {248, 112, 89, 21});
    ButtonDistrictNumPlus = makeButton(this, "ButtonDistrictNumPlus", TextPlus, {344, 112, 17, 10});
    ButtonDistrictNumMinus = makeButton(this, "ButtonDistrictNumMinus", TextMinus, {344, 122, 17, 10});
    // Ten pixels are too few for a style's button margins: the sign fills the button.
    for (QPushButton* b : {ButtonCityNumPlus, ButtonCityNumMinus, ButtonDistrictNumPlus, ButtonDistrictNumMinus})
        b->setStyleSheet("padding: 0px; margin: 0px;");
    LabelCityNum->setBuddy(EditCityNum);
    LabelNumDistricts->setBuddy(EditDistrictNum);
    // The counts the campaign will really have, when the rules change them.
    LabelCorrection = new QLabel(this);
    LabelCorrection->setObjectName("LabelCorrection");
    LabelCorrection->setGeometry(8, 144, 513, 17);
    LabelCorrection->setAlignment(Qt::AlignCenter);

    LabelMaxHouseDensity = new QLabel(this);
    LabelMaxHouseDensity->setObjectName("LabelMaxHouseDensity");
    LabelMaxHouseDensity->setGeometry(32, 72, 217, 33);
    LabelMaxHouseDensity->setAlignment(Qt::AlignCenter);
    TrackBarMaxHouseDensity = new QSlider(Qt::Horizontal, this);
    TrackBarMaxHouseDensity->setObjectName("TrackBarMaxHouseDensity");
    TrackBarMaxHouseDensity->setGeometry(32, 112, 217, 41);
    TrackBarMaxHouseDensity->setRange(Model::kMinHouseDensity, Model::kMaxHouseDensity);
    TrackBarMaxHouseDensity->setPageStep(kDensityStep);
    TrackBarMaxHouseDensity->setSingleStep(1);
    TrackBarMaxHouseDensity->setTickInterval(kDensityStep);
    TrackBarMaxHouseDensity->setTickPosition(QSlider::TicksBelow);
    TrackBarMaxHouseDensity->setValue(vantor::CampaignSettings{}.maxHouseDensity);
    CheckBoxBigCity =
        makeCheckBox(this, "CheckBoxBigCity", TextBigCity, {328, 88, kCheckBoxBigCityWidth, 17}, true);
    CheckBoxLimitedLights = makeCheckBox(this, "CheckBoxLimitedLights", TextLimitedLights,
                                         {328, 112, kCheckBoxLimitedLightsWidth, 17}, false);

    Panel1 = makeRule(this, "Panel1", {8, 352, 521, 2});
    ButtonReset = makeButton(this, "ButtonReset", TextReset, {8, 360, 75, 33});
    makeSeedField({88, 364, 56, 25}, {146, 364, 72, 25});
    makeNavigation({224, 360, 91, 33}, {320, 360, 97, 33}, {424, 360, 99, 33});
    setNavigationTexts(Language::English);

    // Reading order, the bottom row left to right.
    const std::array<QWidget*, 14> tabOrder{EditCityNum, ButtonCityNumPlus, ButtonCityNumMinus, EditDistrictNum,
                                            ButtonDistrictNumPlus, ButtonDistrictNumMinus, TrackBarMaxHouseDensity,
                                            CheckBoxBigCity, CheckBoxLimitedLights, ButtonReset, EditSeed,
                                            ButtonBack, ButtonNext, ButtonClose};
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(ButtonReset, &QPushButton::clicked, this, [this] {
        if (!busy())
            resetToDefaults();
    });
    connect(EditCityNum, &QLineEdit::textEdited, this, &CampaignWizard::onCitiesEdited);
    connect(EditDistrictNum, &QLineEdit::textEdited, this, &CampaignWizard::onDistrictsEdited);
    connect(EditCityNum, &QLineEdit::editingFinished, this, &CampaignWizard::showCountsTyped);
    connect(EditDistrictNum, &QLineEdit::editingFinished, this, &CampaignWizard::showCountsTyped);
    connect(ButtonCityNumPlus, &QPushButton::clicked, this, [this] { stepCities(1); });
    connect(ButtonCityNumMinus, &QPushButton::clicked, this, [this] { stepCities(-1); });
    connect(ButtonDistrictNumPlus, &QPushButton::clicked, this, [this] { stepDistricts(1); });
    connect(ButtonDistrictNumMinus, &QPushButton::clicked, this, [this] { stepDistricts(-1); });
    connect(TrackBarMaxHouseDensity, &QSlider::valueChanged, this, &CampaignWizard::onMaxHouseDensityChanged);
    connect(CheckBoxBigCity, &QCheckBox::toggled, this, [this](bool on) { model_.setLargeCities(on); });
    connect(CheckBoxLimitedLights, &QCheckBox::toggled, this, [this](bool on) { model_.setLimitedLights(on); });
}

// ---- opening and closing ----

// Run at every showing: step 1 with the player's remembered choices, the
// language's captions, then the campaign's names, city icon and label font
// from data/.
void CampaignWizard::prepareOpening()
{
    const Language language = menu_.language();
    campaign_ = vantor::Campaign{};
    campaign_.language = language;
    labelFont_.reset();
    dataError_.clear();
    cancelled_ = false;
    ImageMoonMap->clear();
    setTexts(language);
    restoreRememberedChoices();
    loadCampaignData();
}

void CampaignWizard::setTexts(Language language)
{
    setNavigationTexts(language);
    setSeedText(language);
    const std::array<std::pair<QAbstractButton*, TextId>, 3> captions{{
        {CheckBoxBigCity, TextBigCity}, {CheckBoxLimitedLights, TextLimitedLights}, {ButtonReset, TextReset},
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
}

// ---- remembered choices ----

namespace {

constexpr const char* kSettingsGroup = "CampaignWizard";

int rememberedInt(const QSettings& settings, const char* key, int fallback)
{
    bool ok = false;
    const int value = settings.value(key, fallback).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

void CampaignWizard::rememberChoices() const
{
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    settings.setValue("cities", model_.asked().cities);
    settings.setValue("districts", model_.asked().districts);
    settings.setValue("maxHouseDensity", model_.settings().maxHouseDensity);
    settings.setValue("largeCities", model_.settings().largeCities);
    settings.setValue("limitedLights", model_.settings().limitedLights);
    settings.setValue("seed", EditSeed->text());
}

// The model takes the remembered values through its rules: counts kept in
// their ranges, districts other than 6 only after the finished campaign.
void CampaignWizard::restoreRememberedChoices()
{
    model_ = vantor::CampaignEditorModel(menu_.campaignCompleted());
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    model_.setCities(std::clamp(rememberedInt(settings, "cities", Model::kDefaultCities), Model::kMinCities,
                                Model::kMaxCities));
    model_.setDistricts(std::clamp(rememberedInt(settings, "districts", Model::kDefaultDistricts),
                                   Model::kMinDistricts, Model::kMaxDistricts));
    model_.setMaxHouseDensity(rememberedInt(settings, "maxHouseDensity", model_.settings().maxHouseDensity));
    model_.setLargeCities(settings.value("largeCities", model_.settings().largeCities).toBool());
    model_.setLimitedLights(settings.value("limitedLights", model_.settings().limitedLights).toBool());
    EditSeed->setText(settings.value("seed").toString());
    if (!EditSeed->hasAcceptableInput())
        EditSeed->clear();
    showCounts();
    const vantor::CampaignSettings& chosen = model_.settings();
    TrackBarMaxHouseDensity->setValue(chosen.maxHouseDensity);
    onMaxHouseDensityChanged(chosen.maxHouseDensity); // also when the slider already stood there
    CheckBoxBigCity->setChecked(chosen.largeCities);
    CheckBoxLimitedLights->setChecked(chosen.limitedLights);
    goToStep(1);
}

void CampaignWizard::resetToDefaults()
{
    model_ = vantor::CampaignEditorModel(menu_.campaignCompleted());
    EditSeed->clear();
    rememberChoices();
    restoreRememberedChoices();
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

// Closing discards the campaign and puts the single-mission wizard, whose
// model made the campaign's cities, back to the player's choices.
void CampaignWizard::closing()
{
    rememberChoices();
    campaign_.moonBase = vantor::Image{};
    campaign_.cities.clear();
    campaign_.objectives.clear();
    campaign_.moonMap = vantor::Image{};
    ImageMoonMap->clear();
    cityEditor_.restoreRememberedChoices();
}

void CampaignWizard::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        prepareOpening();
}

// ---- counts and settings ----

// The boxes show the counts the player asked for, and the line below them
// what the campaign will have when the rules correct them (or a box was
// left empty or unfinished).
void CampaignWizard::showCounts()
{
    EditCityNum->setText(QString::number(model_.asked().cities));
    EditDistrictNum->setText(QString::number(model_.asked().districts));
    showCorrection();
}

void CampaignWizard::showCorrection()
{
    const bool typedAsAsked = EditCityNum->text() == QString::number(model_.asked().cities) &&
                              EditDistrictNum->text() == QString::number(model_.asked().districts);
    if (typedAsAsked && !model_.isCorrected()) {
        LabelCorrection->clear();
        return;
    }
    const Model::Counts counts = model_.corrected();
    const Language language = menu_.language();
    LabelCorrection->setText(fromUtf8(vantor::tr(language, "Counts corrected to ", "Počty opraveny na ")) +
                             QString::number(counts.cities) + fromUtf8(vantor::tr(language, " cities in ", " měst v ")) +
                             QString::number(counts.districts) +
                             fromUtf8(vantor::tr(language, " districts.", " distriktech.")));
}

// An empty or unfinished box gets the count the model holds back.
void CampaignWizard::showCountsTyped()
{
    showCounts();
}

void CampaignWizard::onCitiesEdited(const QString& typed)
{
    if (EditCityNum->hasAcceptableInput())
        model_.setCities(typed.toInt());
    showCorrection();
}

void CampaignWizard::onDistrictsEdited(const QString& typed)
{
    if (EditDistrictNum->hasAcceptableInput() && !model_.setDistricts(typed.toInt())) {
        EditDistrictNum->setText(QString::number(model_.asked().districts));
        const Language language = menu_.language();
        boxes_.warning(std::string(Model::districtLockMessage(language)) + "\r" +
                       std::string(vantor::campaignUnlockHint(language)));
    }
    showCorrection();
}

void CampaignWizard::stepCities(int delta)
{
    model_.setCities(std::clamp(model_.asked().cities + delta, Model::kMinCities, Model::kMaxCities));
    showCounts();
}

void CampaignWizard::stepDistricts(int delta)
{
    const int districts = std::clamp(model_.asked().districts + delta, Model::kMinDistricts, Model::kMaxDistricts);
    EditDistrictNum->setText(QString::number(districts));
    onDistrictsEdited(EditDistrictNum->text());
}

void CampaignWizard::onMaxHouseDensityChanged(int position)
{
    model_.setMaxHouseDensity(position);
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

void CampaignWizard::setWorking(bool working)
{
    // Reset would change the campaign under the work; it waits for it.
    ButtonReset->setEnabled(!working);
    WizardFrame::setWorking(working);
}

void CampaignWizard::showStep(int step)
{
    const std::array<QWidget*, 14> stepControls{
        LabelCityNum, EditCityNum, ButtonCityNumPlus, ButtonCityNumMinus, LabelNumDistricts, EditDistrictNum,
        ButtonDistrictNumPlus, ButtonDistrictNumMinus, LabelCorrection, CheckBoxBigCity, CheckBoxLimitedLights,
        LabelMaxHouseDensity, TrackBarMaxHouseDensity, PanelImg};
    const std::array<std::vector<QWidget*>, kStepCount> shownByStep{{
        {LabelCityNum, EditCityNum, ButtonCityNumPlus, ButtonCityNumMinus, LabelNumDistricts, EditDistrictNum,
         ButtonDistrictNumPlus, ButtonDistrictNumMinus, LabelCorrection},
        {CheckBoxBigCity, CheckBoxLimitedLights, LabelMaxHouseDensity, TrackBarMaxHouseDensity},
        {PanelImg},
        {},
    }};
    const auto index = static_cast<std::size_t>(step - 1);
    for (QWidget* control : stepControls) {
        const auto& shown = shownByStep[index];
        control->setVisible(std::find(shown.begin(), shown.end(), control) != shown.end());
    }
    showCounts();

    const Language language = menu_.language();
    setWindowTitle(text(language, static_cast<TextId>(TextStep1 + step - 1)));
    switch (step) {
    case 1:
    case 2:
        rememberChoices();
        setLabelWorking(text(language, step == 1 ? TextHelp1 : TextHelp2));
        setNavigation(step > 1, true);
        break;
    case 3:
        generatePreview();
        break;
    default:
        writeCampaign();
        break;
    }
}

// A failed step: the error is shown in the status line and a box; the user
// can go Back (to try again) or Close, Next stays off.
void CampaignWizard::workFailed(const std::string& error)
{
    progress_.closeWork();
    setWorking(false);
    setLabelWorking(displayText(error));
    setNavigation(true, false);
    boxes_.error(error);
}

QString CampaignWizard::previewStatus() const
{
    const Language language = menu_.language();
    return displayText(vantor::tr(language, kTexts[TextPreviewDone].english, kTexts[TextPreviewDone].czech)) + '\n' +
           text(language, TextSeed) + QString::number(previewSeed_);
}

// Step 3: the Moon map, attempted until one layout succeeds, with the
// model's corrected counts (shown in the boxes' line). A layout that cannot
// succeed (too few names, no data) is reported and the wizard returns to step 2.
void CampaignWizard::generatePreview()
{
    const Language language = menu_.language();
    setLabelWorking(text(language, TextPreviewWorking));
    setWorking(true);
    QCoreApplication::processEvents();

    const Model::Counts counts = model_.corrected();
    campaign_.numCities = counts.cities;
    campaign_.numDistricts = counts.districts;
    applyTypedSeed(random_);
    previewSeed_ = random_.seed();
    try {
        if (!dataError_.empty() || !labelFont_)
            throw vantor::VantorError(dataError_.empty() ? "The campaign's data files are not loaded" : dataError_);
        vantor::MoonMap::generateUntilValid(campaign_, random_, *labelFont_);
    } catch (const std::exception& e) {
        const std::string error = vantor::errorText(e, menu_.language());
        setWorking(false);
        goToStep(2);
        boxes_.error(error);
        return;
    }
    ImageMoonMap->setPixmap(toPixmap(campaign_.moonMap));
    setWorking(false);
    setLabelWorking(previewStatus());
    setNavigation(true, true);
}

// Step 3 again, over the Moon map it laid out, without laying it out again.
void CampaignWizard::returnToPreview()
{
    setCurrentStep(3);
    setWindowTitle(text(menu_.language(), TextStep3));
    PanelImg->show();
    setLabelWorking(previewStatus());
    setNavigation(true, true);
}

// Step 4: the campaign files, through the single-mission wizard's city
// model. An existing campaign is only replaced when the user answers Yes;
// No returns to step 1 with nothing touched.
void CampaignWizard::writeCampaign()
{
    const Language language = menu_.language();
    const std::filesystem::path atlas = programDir_ / "atlas";
    if (!folderWritable(atlas)) {
        returnToPreview();
        boxes_.warning(folderNotWritableText(language, atlas));
        return;
    }
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
        Progress progress(progress_, cancelled_, *this, language);
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
        goToStep(1);
        return;
    }
    setLabelWorking(displayText(vantor::CampaignWriter::statusText(outcome, language)));
    setNavigation(true, false);
    if (outcome == vantor::CampaignOutcome::Completed) {
        boxes_.savedIn(std::string(vantor::CampaignWriter::messageText(outcome, language)) + "\r" +
                           std::string(vantor::tr(language, "The campaign is in ", "Kampaň je ve složce ")) +
                           pathText(atlas) + ".",
                       atlas, language);
        setLabelWorking(text(language, TextCampaignSaved));
    } else {
        boxes_.information(vantor::CampaignWriter::messageText(outcome, language));
    }
}
