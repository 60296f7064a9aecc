#include "gui/MainMenu.hpp"

#include "gui/CampaignWizard.hpp"
#include "city/RandomSource.hpp"
#include "gui/PictureConversion.hpp"
#include "shell/BmpFile.hpp"
#include "shell/Config.hpp"
#include "shell/GameFolder.hpp"
#include "shell/MessageBoxes.hpp"
#include "shell/VantorError.hpp"
#include "gui/CityWizard.hpp"
#include "gui/QtText.hpp"
#include "gui/WindowFont.hpp"

#include "VantorBuildInfo.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
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

// Every text of the main menu, English and Czech side by side. Each button
// has a mnemonic of its own in each language.
enum TextId {
    TextTitle,
    TextCampaign,
    TextSingle,
    TextExit,
    TextGameFolderButton,
    TextAboutButton,
    TextGameFolder,
    TextAboutTitle,
    TextAbout,
    TextCount
};
constexpr std::array<Text, TextCount> kTexts{{
    {"Vantor", "Vantor"},
    {"Generate &Campaign", "Generuj &kampaň"},
    {"Generate &Single Mission", "Generuj &misi"},
    {"E&xit", "K&onec"},
    {"Game &folder…", "Složka &hry…"},
    {"&About Vantor…", "O &programu…"},
    {"Game folder: %1", "Složka hry: %1"},
    {"About Vantor", "O programu Vantor"},
    // %1 version, %2 game folder, %3 its atlas/, %4 the data's folder.
    {"<p><b>Vantor %1</b></p>"
     "<p>Generates cities and whole campaigns for Korvane.</p>"
     "<p>Copyright © 2026 the Vantor developers.<br>"
     "Released under the MIT licence: free to use, copy, change and share.<br>"
     "The DejaVu fonts shipped with it carry their own licence (Bitstream Vera), "
     "in DejaVuFonts-LICENSE.txt beside them.</p>"
     "<p>Game folder: %2<br>Maps are written to: %3<br>Pictures are read from: %4</p>",
     "<p><b>Vantor %1</b></p>"
     "<p>Generuje města a celé kampaně pro hru Korvane.</p>"
     "<p>Copyright © 2026 vývojáři Vantoru.<br>"
     "Šířeno pod licencí MIT: smíte jej volně používat, kopírovat, upravovat a šířit.<br>"
     "Přiložená písma DejaVu mají vlastní licenci (Bitstream Vera) "
     "v souboru DejaVuFonts-LICENSE.txt vedle nich.</p>"
     "<p>Složka hry: %2<br>Mapy se zapisují do: %3<br>Obrázky se čtou z: %4</p>"},
}};

QString text(Language language, TextId id)
{
    const std::string_view t = vantor::tr(language, kTexts[id].english, kTexts[id].czech);
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

// The window's outer size is 537 x 381 (the three buttons' window of 345
// pixels and a row for the game folder); the client area is that less a
// classic frame (4-pixel borders and a 19-pixel caption).
constexpr int kClientWidth = 537 - 8;
constexpr int kClientHeight = 381 - 27;

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

// The game folder's row under them: its name, "Game folder…" and "About Vantor…".
constexpr QRect kGameFolderLabel{8, 321, 290, 25};
constexpr QRect kGameFolderButton{306, 321, 105, 25};
constexpr QRect kAboutButton{416, 321, 105, 25};

QString pathText(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

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

    LabelGameFolder = new QLabel(this);
    LabelGameFolder->setObjectName("LabelGameFolder");
    LabelGameFolder->setGeometry(kGameFolderLabel);
    ButtonGameFolder = new QPushButton(text(Language::English, TextGameFolderButton), this);
    ButtonGameFolder->setObjectName("ButtonGameFolder");
    ButtonGameFolder->setGeometry(kGameFolderButton);
    ButtonAbout = new QPushButton(text(Language::English, TextAboutButton), this);
    ButtonAbout->setObjectName("ButtonAbout");
    ButtonAbout->setGeometry(kAboutButton);

    // Reading order; Enter presses the button that has the focus, and the
    // campaign's when none has (keyPressEvent).
    setTabOrder(ButtonCampaign, ButtonSingle);
    setTabOrder(ButtonSingle, ButtonExit);
    setTabOrder(ButtonExit, ButtonGameFolder);
    setTabOrder(ButtonGameFolder, ButtonAbout);
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
    ButtonCampaign->setDefault(true);
    ButtonCampaign->setFocus();
    connect(ButtonCampaign, &QPushButton::clicked, this, &MainMenu::openCampaignWizard);
    connect(ButtonSingle, &QPushButton::clicked, this, &MainMenu::openCityWizard);
    connect(ButtonExit, &QPushButton::clicked, this, &MainMenu::close);
    connect(ButtonGameFolder, &QPushButton::clicked, this, &MainMenu::gameFolderChangeRequested);
    connect(ButtonAbout, &QPushButton::clicked, this, &MainMenu::showAbout);

    loadProgramFiles();
    showGameFolder();
}

void MainMenu::loadProgramFiles()
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
    ButtonGameFolder->setText(text(language, TextGameFolderButton));
    ButtonAbout->setText(text(language, TextAboutButton));
}

// The folder's name, cut in the middle when it is long; the whole path in the tooltip.
void MainMenu::showGameFolder()
{
    const QString full = pathText(programDir_);
    const QString shown = text(language(), TextGameFolder);
    const QFontMetrics metrics(LabelGameFolder->font());
    const int room = LabelGameFolder->contentsRect().width() - metrics.horizontalAdvance(shown.arg(QString()));
    LabelGameFolder->setText(shown.arg(metrics.elidedText(folderText(programDir_), Qt::ElideMiddle, room)));
    LabelGameFolder->setToolTip(full);
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

bool MainMenu::gameFolderWritable()
{
    if (const auto problem = vantor::atlasWriteProblem(programDir_)) {
        boxes_.error(problem->text(language()));
        return false;
    }
    return true;
}

void MainMenu::openCampaignWizard()
{
    if (campaignEditor_ != nullptr && gameFolderWritable())
        campaignEditor_->exec();
}

void MainMenu::openCityWizard()
{
    if (cityEditor_ != nullptr && gameFolderWritable())
        cityEditor_->exec();
}

QMessageBox& MainMenu::aboutBox()
{
    if (aboutBox_ == nullptr) {
        const Language language = this->language();
        aboutBox_ = new QMessageBox(this);
        aboutBox_->setObjectName("AboutBox");
        aboutBox_->setWindowTitle(text(language, TextAboutTitle));
        aboutBox_->setTextFormat(Qt::RichText);
        if (!windowIcon().isNull())
            aboutBox_->setIconPixmap(windowIcon().pixmap(64, 64));
        aboutBox_->setStandardButtons(QMessageBox::Ok);
        aboutBox_->setDefaultButton(QMessageBox::Ok);
        aboutBox_->setEscapeButton(QMessageBox::Ok);
    }
    // Said again each time: the folder is the one the menu works in now.
    aboutBox_->setText(text(language(), TextAbout)
                           .arg(QStringLiteral(VANTOR_VERSION), folderText(programDir_).toHtmlEscaped(),
                                folderText(programDir_ / "atlas").toHtmlEscaped(),
                                folderText(dataHome_ / "data").toHtmlEscaped()));
    return *aboutBox_;
}

void MainMenu::showAbout()
{
    aboutBox().exec();
}

// Enter presses the focused button (as in a dialog), the default one when
// none has the focus. Escape does nothing: the menu ends only by Exit or
// its close box, never by a stray key.
void MainMenu::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused != nullptr && focused->isEnabled() ? focused : ButtonCampaign)->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainMenu::closeEvent(QCloseEvent* event)
{
    // The pictures are released, then the program ends, whatever other window is open.
    catalogue_ = vantor::PictureCatalogue{};
    event->accept();
    QCoreApplication::quit();
}
