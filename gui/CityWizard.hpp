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
// ends, and a failed generation or save is reported and leaves the wizard
// where the user can go Back or Close. Steps 8 and 9 show the seed that made
// the preview, which `vantor-cli city --seed` with the same settings repeats.
// A click on Next or Back counts only once the step it lands on has been
// painted, and a double-click counts once.

#include "wizard/CityEditorModel.hpp"

#include <QDialog>

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
class StepClickGuard;
class MainMenu;

namespace vantor {
class MessageBoxes;
class RandomSource;
}

class CityWizard final : public QDialog {
    Q_OBJECT
public:
    // menu: the language, the campaign-completed flag and the picture
    // catalogue, and the directory data/ is read from; random: the program's
    // random source; programDir: where atlas/ is written to.
    CityWizard(const MainMenu& menu, vantor::RandomSource& random, vantor::MessageBoxes& boxes,
                    std::filesystem::path programDir, QWidget* parent = nullptr);

    // The windows steps 8 and 9 and the ground button use; created after this one.
    void attachWindows(GroundViewer& ground, ProgressDialog& progress);

    // Every control back to its default, then step 1.
    void ResetWizard();

    // The step shown, 1..9.
    int wizardStep() const noexcept { return wizardStep_; }
    // True while step 8 or 9 works.
    bool busy() const noexcept { return busy_; }
    // True once the step shown (and the end of its work) has been painted;
    // until then mouse clicks on Next and Back are dropped, and a double
    // click counts once.
    bool stepShown() const noexcept;

    vantor::CityEditorModel& model() noexcept { return model_; }
    const vantor::CityEditorModel& model() const noexcept { return model_; }

    // Asked before a save renames its files into place: true stops the save
    // with nothing changed (the program is being stopped by a signal).
    void setStopCheck(std::function<bool()> check) { stopCheck_ = std::move(check); }

signals:
    // Step 8's or step 9's work has ended (busy() is false again).
    void workEnded();

protected:
    // Showing the window runs the opening handler.
    void showEvent(QShowEvent* event) override;
    // Closing is refused while a step works.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private slots:
    void RadioGroupSizeClick(int item);
    void RadioGroupLampGridClick(int item);
    void TrackBarRoadDensityChange(int position);
    void TrackBarHouseDensityChange(int position);
    void TrackBarHillnessChange(int position);
    void TrackBarRebelsChange(int position);
    void CheckBoxLandMarkClick(bool checked);
    void CheckBoxWallsYNClick(bool checked);
    void ComboBoxLandmarkChange(int item);
    void ComboBoxLandmarkSelect(int item);
    void ButtonNextClick();
    void ButtonBackClick();
    void ButtonResetClick();
    void ButtonCloseClick();
    void ButtonShowGroundClick();

private:
    void buildControls();
    void FormShow();
    void setCzechTexts();
    void fitCaptions();
    // Sets every control to the model's value; handlers run for the ones that change.
    void showModelValues();
    void layoutStep(int step);
    void runPreview();
    void runSave();
    void setWorking(bool working);
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
    int wizardStep_ = 1;
    bool busy_ = false;
    std::function<bool()> stopCheck_;
    std::uint32_t previewSeed_ = 0; // the random source's state when the preview was generated
    StepClickGuard* stepGuard_ = nullptr;

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
    QPushButton* ButtonClose;
    QFrame* PanelPreview;
    QLabel* CityMap;
    QSlider* TrackBarHillness;
    QSlider* TrackBarRebels;
    QPushButton* ButtonNext;
    QPushButton* ButtonBack;
    QPushButton* ButtonReset;
    QLabel* LabelRoadDensity;
    QLabel* LabelHouseDensity;
    QLabel* LabelHillness;
    QLabel* LabelRebels;
    QLabel* LabelInfo;
};
