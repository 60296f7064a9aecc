#pragma once
// What both wizards share: a fixed window of numbered steps with Back, Next
// and Close at the bottom, and the working state of a step that runs long.
//
// - Next is the default button (Enter presses it); where Next is off (the
//   last step, a failed step) Close is, so Enter still does the step's main
//   thing. Escape and the window's close button mean Close.
// - While a step works, Back, Next and Close are off and closing is refused;
//   workEnded() says when the work is over.
// - A click on Next or Back counts only once the step it lands on has been
//   painted, and a double-click counts once (StepClickGuard).
// A wizard builds its controls, calls makeNavigation() with its buttons'
// places, and shows a step in showStep().

#include "shell/Language.hpp"

#include <QDialog>
#include <QRect>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class StepClickGuard;

namespace vantor {
class RandomSource;
}

class WizardFrame : public QDialog {
    Q_OBJECT
public:
    // The step shown, 1..stepCount.
    int wizardStep() const noexcept { return step_; }
    // True while a step works.
    bool busy() const noexcept { return busy_; }
    // True once the step shown (and the end of its work) has been painted.
    bool stepShown() const noexcept;

signals:
    // A step's work has ended (busy() is false again).
    void workEnded();

protected:
    WizardFrame(int stepCount, QWidget* parent);

    // Creates ButtonBack, ButtonNext and ButtonClose at their places.
    void makeNavigation(QRect back, QRect next, QRect close);
    // The navigation's captions, with their mnemonics, in the language.
    void setNavigationTexts(vantor::Language language);
    // Creates LabelSeed and EditSeed: a seed 0..4294967295 the player may
    // type; empty means a new seed each time.
    void makeSeedField(QRect label, QRect field);
    void setSeedText(vantor::Language language);
    // The typed seed, if any.
    std::optional<std::uint32_t> typedSeed() const;
    // Seeds `random` with the typed seed; without one it goes on as it stands.
    void applyTypedSeed(vantor::RandomSource& random) const;
    // Whether the program may write into `folder` (or, while it does not
    // exist yet, create it in its parent).
    static bool folderWritable(const std::filesystem::path& folder);
    // What the player is told when `folder` cannot be written.
    static std::string folderNotWritableText(vantor::Language language, const std::filesystem::path& folder);
    // A folder as the player reads it (UTF-8, the system's separators).
    static std::string pathText(const std::filesystem::path& folder);
    // Makes the current step `step` without showing it (the wizard shows it itself).
    void setCurrentStep(int step) noexcept;
    // Shows `step` (clamped to 1..stepCount) through showStep().
    void goToStep(int step);
    // Lays out and runs the step; called by goToStep().
    virtual void showStep(int step) = 0;
    // Back and Next on or off; Enter presses Next, or Close when Next is off.
    void setNavigation(bool back, bool next);
    // Marks a step working (buttons off) or done (workEnded() emitted).
    virtual void setWorking(bool working);
    // What closing does before the window hides (never while working).
    virtual void closing() {}

    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    QPushButton* ButtonBack = nullptr;
    QPushButton* ButtonNext = nullptr;
    QPushButton* ButtonClose = nullptr;
    QLabel* LabelSeed = nullptr;
    QLineEdit* EditSeed = nullptr;

private slots:
    void goNext();
    void goBack();

private:
    int stepCount_;
    int step_ = 1;
    bool busy_ = false;
    StepClickGuard* stepGuard_ = nullptr;
};
