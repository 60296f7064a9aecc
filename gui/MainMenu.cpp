#include "gui/MainMenu.hpp"

#include "gui/CampaignWizard.hpp"
#include "city/RandomSource.hpp"
#include "gui/PictureConversion.hpp"
#include "shell/BmpFile.hpp"
#include "shell/Config.hpp"
#include "shell/MessageBoxes.hpp"
#include "shell/VantorError.hpp"
#include "gui/CityWizard.hpp"
#include "gui/WindowFont.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>

#include <array>
#include <string_view>

namespace {

using vantor::Language;

struct Text {
    std::string_view english;
    std::string_view czech;
};

// Every text of the main menu, English and Czech side by side.
enum TextId { TextTitle, TextCampaign, TextSingle, TextExit, TextCount };
constexpr std::array<Text, TextCount> kTexts{{
    {"Vantor", "Vantor"},
    {"Generate Campaign", "Generuj kampaň"},
    {"Generate Single Mission", "Generuj misi"},
    {"Exit", "Konec"},
}};

QString text(Language language, TextId id)
{
    const std::string_view t = vantor::tr(language, kTexts[id].english, kTexts[id].czech);
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

// The window's outer size is 537 x 345; the client area is that less a
// classic frame (4-pixel borders and a 19-pixel caption).
constexpr int kClientWidth = 537 - 8;
constexpr int kClientHeight = 345 - 27;

struct ButtonPlace {
    const char* name;
    TextId caption;
    int left;
};
// The three buttons, 169 x 41 at y = 272, in tab order.
constexpr std::array<ButtonPlace, 3> kButtons{{
    {"ButtonCampaign", TextCampaign, 8},
    {"ButtonSingle", TextSingle, 180},
    {"ButtonExit", TextExit, 352},
}};
constexpr int kButtonTop = 272;
constexpr int kButtonWidth = 169;
constexpr int kButtonHeight = 41;

} // namespace

MainMenu::MainMenu(vantor::RandomSource& random, vantor::MessageBoxes& boxes, const vantor::ProgramPaths& paths,
                         QWidget* parent)
    : QWidget(parent), random_(random), boxes_(boxes), programDir_(paths.root()), dataHome_(paths.dataHome())
{
    setObjectName("FormVantor");
    // The shipped face, registered before any window takes it.
    registerWindowFont(dataHome_);
    setFont(windowFont());
    setWindowTitle(text(Language::English, TextTitle));
    setFixedSize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    ImageLogo = new QLabel(this);
    ImageLogo->setObjectName("ImageLogo");
    ImageLogo->setGeometry(8, 8, 512, 256);

    std::array<QPushButton*, 3> buttons{};
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        buttons[i] = new QPushButton(text(Language::English, kButtons[i].caption), this);
        buttons[i]->setObjectName(kButtons[i].name);
        buttons[i]->setGeometry(kButtons[i].left, kButtonTop, kButtonWidth, kButtonHeight);
    }
    ButtonCampaign = buttons[0];
    ButtonSingle = buttons[1];
    ButtonExit = buttons[2];
    setTabOrder(ButtonCampaign, ButtonSingle);
    setTabOrder(ButtonSingle, ButtonExit);
    connect(ButtonCampaign, &QPushButton::clicked, this, &MainMenu::ButtonCampaignClick);
    connect(ButtonSingle, &QPushButton::clicked, this, &MainMenu::ButtonSingleClick);
    connect(ButtonExit, &QPushButton::clicked, this, &MainMenu::ButtonExitClick);

    FormCreate();
}

void MainMenu::FormCreate()
{
    random_.setSeed(vantor::RandomSource::timeOfDaySeed());
    try {
        std::error_code ec;
        std::filesystem::current_path(programDir_, ec);
        if (ec)
            throw vantor::VantorError("Cannot change to directory " + programDir_.string() + ": " + ec.message());

        ImageLogo->setPixmap(toPixmap(vantor::BmpFile::read(dataHome_ / "data" / "intro.bmp")));

        catalogue_ = vantor::PictureCatalogue::load(dataHome_);
        if (!catalogue_.complete())
            throw vantor::VantorError(catalogue_.error());

        const vantor::Config config = vantor::Config::load(programDir_);
        campaignCompleted_ = config.campaignCompleted;
        languageSetting_ = config.languageSetting;
    } catch (const vantor::VantorError& e) {
        boxes_.error(e.what());
        return;
    }

    const Language language = this->language();
    if (language == Language::Czech)
        loadQtTranslations();
    for (std::size_t i = 0; i < kButtons.size(); ++i)
        findChild<QPushButton*>(kButtons[i].name)->setText(text(language, kButtons[i].caption));
}

// Qt's own Czech texts (qt6-translations-l10n), so that the standard buttons
// of message boxes read "Ano", "Ne" and so on under Czech texts. Without the
// file they stay English; nothing else depends on it.
void MainMenu::loadQtTranslations()
{
    auto* translator = new QTranslator(this); // removed from the application with the menu
    if (translator->load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

void MainMenu::attachWizards(CityWizard& cityEditor, CampaignWizard& campaignEditor)
{
    cityEditor_ = &cityEditor;
    campaignEditor_ = &campaignEditor;
}

void MainMenu::ButtonCampaignClick()
{
    if (campaignEditor_ != nullptr)
        campaignEditor_->exec();
}

void MainMenu::ButtonSingleClick()
{
    if (cityEditor_ != nullptr)
        cityEditor_->exec();
}

void MainMenu::ButtonExitClick()
{
    close();
}

void MainMenu::closeEvent(QCloseEvent* event)
{
    // The pictures are released, then the program ends, whatever other window is open.
    catalogue_ = vantor::PictureCatalogue{};
    event->accept();
    QCoreApplication::quit();
}
