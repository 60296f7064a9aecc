#pragma once
// The main menu: the program's logo, the buttons that open the two wizards,
// and the game folder it works in with the buttons to change it and to show
// the About box. It holds what the whole program shares: the picture catalogue,
// the configured language and whether the game's campaign was completed.
//
// Creating it seeds the random source, makes the program directory the
// current directory, loads data/intro.bmp and the catalogue, and reads
// config.ini. The first step that fails is reported in a message box and
// the rest are skipped; the menu still opens (in English). A wizard opens
// only when the game folder's atlas/ can be written; otherwise the menu says
// why, and the player may choose another folder.

#include "shell/Language.hpp"
#include "shell/PictureCatalogue.hpp"
#include "shell/ProgramPaths.hpp"

#include <QWidget>

#include <filesystem>
#include <string>

class QLabel;
class QMessageBox;
class QPushButton;
class CityWizard;
class CampaignWizard;

namespace vantor {
class MessageBoxes;
class RandomSource;
}

class MainMenu final : public QWidget {
    Q_OBJECT
public:
    // paths: the program directory (config.ini, atlas/) and the directory
    // holding data/; a plain path is a program directory with its own data/.
    MainMenu(vantor::RandomSource& random, vantor::MessageBoxes& boxes, const vantor::ProgramPaths& paths,
                QWidget* parent = nullptr);

    // The wizards the buttons open; they are created after the menu.
    void attachWizards(CityWizard& cityEditor, CampaignWizard& campaignEditor);

    // "Language" of config.ini ("Eng" when not read).
    const std::string& languageSetting() const noexcept { return languageSetting_; }
    vantor::Language language() const noexcept { return vantor::languageFromSetting(languageSetting_); }
    // "CC" of config.ini: the game's campaign is completed (false when not read).
    bool campaignCompleted() const noexcept { return campaignCompleted_; }
    const vantor::PictureCatalogue& catalogue() const noexcept { return catalogue_; }
    const std::filesystem::path& programDir() const noexcept { return programDir_; }
    // The directory holding data/ (the program directory's own, or the installed data).
    const std::filesystem::path& dataHome() const noexcept { return dataHome_; }

    // The About box: version, licence, the game folder and where the maps
    // go, in the menu's language. Created on first use, shown by showAbout().
    QMessageBox& aboutBox();

signals:
    // "Game folder…" was pressed; the program picks the folder and opens
    // new windows on it.
    void gameFolderChangeRequested();

public slots:
    void openCampaignWizard();
    void openCityWizard();
    void showAbout();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void loadProgramFiles();
    void loadQtTranslations();
    void showGameFolder();
    // Says so, and returns false, when atlas/ cannot be written.
    bool gameFolderWritable();

    vantor::RandomSource& random_;
    vantor::MessageBoxes& boxes_;
    std::filesystem::path programDir_;
    std::filesystem::path dataHome_;
    CityWizard* cityEditor_ = nullptr;
    CampaignWizard* campaignEditor_ = nullptr;

    vantor::PictureCatalogue catalogue_;
    std::string languageSetting_ = "Eng";
    bool campaignCompleted_ = false;

    QLabel* ImageLogo;
    QPushButton* ButtonCampaign;
    QPushButton* ButtonSingle;
    QPushButton* ButtonExit;
    QLabel* LabelGameFolder;
    QPushButton* ButtonGameFolder;
    QPushButton* ButtonAbout;
    QMessageBox* aboutBox_ = nullptr;
};
