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
// The number of districts stays at 6 until the player has completed the
// game's campaign (the main menu's campaign-completed flag). Counts outside
// 30..55 cities and 6..15 districts are corrected by the layout, which
// writes the corrected counts back into the edit boxes.

#include "campaign/Campaign.hpp"
#include "campaign/CampaignWriter.hpp"
#include "shell/Font.hpp"

#include <QDialog>

#include <filesystem>
#include <optional>
#include <string>

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QCheckBox;
class CityWizard;
class ProgressDialog;
class StepClickGuard;
class MainMenu;

namespace vantor {
class MessageBoxes;
class RandomSource;
}

class CampaignWizard final : public QDialog {
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

    // The step shown, 1..4.
    int wizardStep() const noexcept { return step_; }
    // True while step 3 or 4 works.
    bool busy() const noexcept { return busy_; }
    // True once the step shown (and the end of its work) has been painted;
    // until then mouse clicks on Next and Back are dropped, and a double
    // click counts once.
    bool stepShown() const noexcept;
    // The counts the edit boxes hold (corrected by the layout of step 3).
    int numCities() const noexcept { return campaign_.numCities; }
    int numDistricts() const noexcept { return campaign_.numDistricts; }
    const vantor::Campaign& campaign() const noexcept { return campaign_; }
    // The settings of step 2 as the campaign writer takes them.
    vantor::CampaignSettings settings() const;

    // Windows virtual-key code of a key event: the native code on Windows,
    // otherwise mapped from the Qt key (0 when the key has no equivalent).
    static int virtualKeyCode(const QKeyEvent& event);
    // Whether a released key keeps the edit box's text: the digit row and
    // its neighbours (0x2F..0x40) and 0x5B..0x69, the keypad digits included.
    static bool keyKeepsText(int virtualKey) noexcept;

signals:
    // Step 3's or step 4's work has ended (busy() is false again).
    void workEnded();

protected:
    void showEvent(QShowEvent* event) override;
    // Closing is refused while a step works; otherwise the campaign is discarded.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void ButtonNextClick();
    void ButtonBackClick();
    void ButtonCloseClick();
    void EditCityNumChange(const QString& text);
    void EditDistrictNumChange(const QString& text);
    void ButtonCityNumPlusClick();
    void ButtonCityNumMinusClick();
    void ButtonDistrictNumPlusClick();
    void ButtonDistrictNumMinusClick();
    void TrackBarMaxHouseDensityChange(int position);

private:
    class Progress;

    void buildControls();
    void FormShow();
    void FormClose();
    void loadCampaignData();
    void EditNumKeyUp(QLineEdit* edit, const QKeyEvent& event);
    void showStep(int step);
    void runPreview();
    void runCampaign();
    void setWorking(bool working);
    void workFailed(const std::string& error);
    void setLabelWorking(const QString& text);

    const MainMenu& menu_;
    CityWizard& cityEditor_;
    ProgressDialog& progress_;
    vantor::RandomSource& random_;
    vantor::MessageBoxes& boxes_;
    std::filesystem::path programDir_;

    vantor::Campaign campaign_;
    std::optional<vantor::Font> labelFont_;
    std::string dataError_; // why data/ could not give the campaign's names, icon or font
    int step_ = 1;
    bool busy_ = false;
    bool cancelled_ = false;
    StepClickGuard* stepGuard_ = nullptr;

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
    QLabel* LabelMaxHouseDensity;
    QSlider* TrackBarMaxHouseDensity;
    QCheckBox* CheckBoxBigCity;
    QCheckBox* CheckBoxLimitedLights;
    QFrame* Panel1;
    QPushButton* ButtonBack;
    QPushButton* ButtonNext;
    QPushButton* ButtonClose;
};
