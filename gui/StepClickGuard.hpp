#pragma once
// Keeps a wizard's Next and Back buttons from acting on a step the user has
// not seen yet. A generation can end within the same double-click, so:
// - a double-click is one click: its second press (Qt's double-click event)
//   is dropped;
// - after every change of step, and after a step's work has ended, mouse
//   presses on the buttons are dropped until the window has painted what
//   changed.
// Programmatic clicks (QAbstractButton::click) and the keyboard are not
// filtered; while work runs the wizards disable the buttons anyway.

#include <QObject>

#include <initializer_list>
#include <vector>

class QAbstractButton;
class QWidget;

class StepClickGuard final : public QObject {
    Q_OBJECT
public:
    StepClickGuard(QWidget& window, std::initializer_list<QAbstractButton*> buttons);

    // The window now shows another step, or the same step after its work:
    // presses wait for the next paint of the window.
    void stepChanged();
    // True once the window has been painted since the last stepChanged().
    bool stepShown() const noexcept { return shown_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    std::vector<QAbstractButton*> buttons_;
    bool shown_ = false;
};
