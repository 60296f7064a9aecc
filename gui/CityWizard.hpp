#pragma once
// The single-mission wizard: nine steps that collect the settings of one
// city, generate a preview (step 8) and save it as "SingleCity" in atlas/
// (step 9). The window holds no generation logic: its controls are bound to
// a CityEditorModel, whose values are the generation parameters.
//
// A control's handler runs whenever its value changes, whoever changed it,
// and maps the value to the model; setting a control to the value it has
// runs nothing. The landmark selector's lock runs only on the user's own
// choice. After a generation the controls show the values the generator
// wrote back.
//
// While step 8 or 9 works, the interface stays alive through the progress
// dialog's pump; Back, Next, Reset and Close are disabled until the work
// ends, and a failed generation is reported and leaves the wizard where the
// user can go Back or Close; a failed save returns to the preview of step 8.
// Steps 8 and 9 show the seed that made the preview, which `vantor-cli city
// --seed` with the same settings repeats; the seed field (empty: a new seed
// each time) sets it. The choices are remembered (QSettings) from one
// opening, and one run of the program, to the next; Reset returns to the
// defaults.

#include "gui/WizardFrame.hpp"
#include "wizard/CityEditorModel.hpp"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class GroundViewer;
class ProgressDialog;
class MainMenu;

namespace vantor {
class MessageBoxes;
class RandomSource;
}

class CityWizard final : public WizardFrame {
    Q_OBJECT
public:
    // menu: the language, the campaign-completed flag and the picture
    // catalogue, and the directory data/ is read from; random: the program's
    // random source; programDir: where atlas/ is written to.
    CityWizard(const MainMenu& menu, vantor::RandomSource& random, vantor::MessageBoxes& boxes,
                    std::filesystem::path programDir, QWidget* parent = nullptr);

    // The windows steps 8 and 9 and the ground button use; created after this one.
    void attachWindows(GroundViewer& ground, ProgressDialog& progress);

    // Every control back to its default (and so remembered), then step 1.
    void resetToDefaults();
    // Every control to the player's remembered choice, then step 1.
    void restoreRememberedChoices();

    vantor::CityEditorModel& model() noexcept { return model_; }
    const vantor::CityEditorModel& model() const noexcept { return model_; }

    // Asked before a save renames its files into place: true stops the save
    // with nothing changed (the program is being stopped by a signal).
    void setStopCheck(std::function<bool()> check) { stopCheck_ = std::move(check); }

protected:
    // Showing the window prepares the opening.
    void showEvent(QShowEvent* event) override;
    void showStep(int step) override;
    void setWorking(bool working) override;
    void closing() override;

private slots:
    void onSizeChosen(int item);
    void onLampsChosen(int item);
    void onRoadDensityChanged(int position);
    void onHouseDensityChanged(int position);
    void onHillHeightChanged(int position);
    void onRebelsChanged(int position);
    void onLandmarkToggled(bool checked);
    void onWallsToggled(bool checked);
    void onLandmarkKindChanged(int item);
    void onLandmarkPicked(int item);
    void showGround();

private:
    void buildControls();
    void prepareOpening();
    void setTexts(vantor::Language language);
    void markLockedLandmarks();
    void fitCaptions();
    // Sets every control to the model's value; handlers run for the ones that change.
    void showModelValues();
    void rememberChoices() const;
    void generatePreview();
    void saveCity();
    void returnToPreview();
    void workFailed(const char* error);
    void showPreview();
    QString previewStatus(int textId) const;

    const MainMenu& menu_;
    vantor::RandomSource& random_;
    vantor::MessageBoxes& boxes_;
    std::filesystem::path programDir_;
    GroundViewer* ground_ = nullptr;
    ProgressDialog* progress_ = nullptr;

    vantor::CityEditorModel model_;
    std::function<bool()> stopCheck_;
    std::uint32_t previewSeed_ = 0; // the random source's state when the preview was generated

    QGroupBox* RadioGroupSize;
    QButtonGroup* sizeButtons_;
    std::array<QCheckBox*, 4> hangarBoxes_; // CheckBoxHangarNW, NE, SE, SW
    QSlider* TrackBarRoadDensity;
    QSlider* TrackBarHouseDensity;
    QCheckBox* CheckBoxLandMark;
    QLineEdit* EditCityName;
    QPushButton* ButtonShowGround;
    QGroupBox* RadioGroupLampGrid;
    QButtonGroup* lampButtons_;
    QCheckBox* CheckBoxWallN;
    QCheckBox* CheckBoxWallE;
    QCheckBox* CheckBoxWallS;
    QCheckBox* CheckBoxWallW;
    QCheckBox* CheckBoxHighway;
    QCheckBox* CheckBoxWallsYN;
    QCheckBox* CheckBoxCity;
    QCheckBox* CheckBoxIndustrial;
    QComboBox* ComboBoxLandmark;
    QFrame* PanelPreview;
    QLabel* CityMap;
    QSlider* TrackBarHillness;
    QSlider* TrackBarRebels;
    QPushButton* ButtonReset;
    QLabel* LabelRoadDensity;
    QLabel* LabelHouseDensity;
    QLabel* LabelHillness;
    QLabel* LabelRebels;
    QLabel* LabelInfo;
};
