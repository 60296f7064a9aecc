#pragma once
// The campaign wizard: four steps that collect the numbers of cities and
// districts (step 1) and the performance settings (step 2), lay out and show
// the Moon map (step 3) and write the campaign into atlas/ (step 4).
//
// The window holds no generation logic: step 3 runs MoonMap on its Campaign,
// step 4 runs CampaignWriter through the single-mission wizard's city model,
// with the progress dialog as the campaign's progress and its Cancel button
// as the campaign's stop request (read before each city).
//
// The counts and settings live in a CampaignEditorModel, which vantor-cli
// shares: the number of districts stays at 6 until the player has completed
// the game's campaign (the main menu's campaign-completed flag); the boxes
// take 30..55 cities and 6..15 districts, and step 1 shows the counts the
// campaign will really have when the model corrects them. The choices are
// remembered (QSettings) between openings and runs; the seed field (empty:
// a new seed) makes a campaign that `vantor-cli campaign --seed` repeats.

#include "campaign/Campaign.hpp"
#include "campaign/CampaignWriter.hpp"
#include "gui/WizardFrame.hpp"
#include "shell/Font.hpp"
#include "wizard/CampaignEditorModel.hpp"

#include <cstdint>

#include <filesystem>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QCheckBox;
class CityWizard;
class ProgressDialog;
class MainMenu;

namespace vantor {
class MessageBoxes;
class RandomSource;
}

class CampaignWizard final : public WizardFrame {
    Q_OBJECT
public:
    // menu: the language, the campaign-completed flag and the picture
    // catalogue; cityEditor: whose city model generates every campaign city;
    // progress: shown while the campaign is written; random: the program's
    // random source; programDir: where atlas/ is written to (data/ is read from
    // the menu's data home).
    CampaignWizard(const MainMenu& menu, CityWizard& cityEditor, ProgressDialog& progress,
                        vantor::RandomSource& random, vantor::MessageBoxes& boxes, std::filesystem::path programDir,
                        QWidget* parent = nullptr);
    ~CampaignWizard() override;

    // The counts the campaign gets (the model's corrected counts once step 3 ran).
    int numCities() const noexcept { return campaign_.numCities; }
    int numDistricts() const noexcept { return campaign_.numDistricts; }
    const vantor::Campaign& campaign() const noexcept { return campaign_; }
    const vantor::CampaignEditorModel& model() const noexcept { return model_; }
    // The settings of step 2 as the campaign writer takes them.
    vantor::CampaignSettings settings() const { return model_.settings(); }
    // Every choice back to its default (and so remembered), then step 1.
    void resetToDefaults();

protected:
    void showEvent(QShowEvent* event) override;
    void showStep(int step) override;
    void setWorking(bool working) override;
    // Closing discards the campaign.
    void closing() override;

private slots:
    void onCitiesEdited(const QString& text);
    void onDistrictsEdited(const QString& text);
    void showCountsTyped();
    void stepCities(int delta);
    void stepDistricts(int delta);
    void onMaxHouseDensityChanged(int position);

private:
    class Progress;

    void buildControls();
    void prepareOpening();
    void setTexts(vantor::Language language);
    void loadCampaignData();
    void showCounts();
    void showCorrection();
    void restoreRememberedChoices();
    void rememberChoices() const;
    void generatePreview();
    void writeCampaign();
    void returnToPreview();
    QString previewStatus() const;
    void workFailed(const std::string& error);
    void setLabelWorking(const QString& text);

    const MainMenu& menu_;
    CityWizard& cityEditor_;
    ProgressDialog& progress_;
    vantor::RandomSource& random_;
    vantor::MessageBoxes& boxes_;
    std::filesystem::path programDir_;

    vantor::CampaignEditorModel model_;
    vantor::Campaign campaign_;
    std::optional<vantor::Font> labelFont_;
    std::string dataError_; // why data/ could not give the campaign's names, icon or font
    bool cancelled_ = false;
    std::uint32_t previewSeed_ = 0; // the random source's state when the preview was laid out

    QFrame* PanelImg;
    QLabel* ImageMoonMap;
    QFrame* Panel2;
    QLabel* LabelWorking;
    QLabel* LabelCityNum;
    QLineEdit* EditCityNum;
    QPushButton* ButtonCityNumPlus;
    QPushButton* ButtonCityNumMinus;
    QLabel* LabelNumDistricts;
    QLineEdit* EditDistrictNum;
    QPushButton* ButtonDistrictNumPlus;
    QPushButton* ButtonDistrictNumMinus;
    QPushButton* ButtonReset;
    QLabel* LabelMaxHouseDensity;
    QSlider* TrackBarMaxHouseDensity;
    QCheckBox* CheckBoxBigCity;
    QCheckBox* CheckBoxLimitedLights;
    QLabel* LabelCorrection;
    QFrame* Panel1;
};
