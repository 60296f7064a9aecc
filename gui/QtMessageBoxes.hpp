#pragma once
// The desktop program's message boxes: modal QMessageBox windows titled
// with the application's name.

#include "shell/MessageBoxes.hpp"

class QMessageBox;
class QWidget;

class QtMessageBoxes final : public vantor::MessageBoxes {
public:
    // parent: the window the boxes are centred on; nullptr for the active one.
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}

    Answer show(Kind kind, std::string_view text) override;

    // The program is being stopped: the open box is closed without an
    // answer, and later boxes are not shown but written to standard error,
    // answered Closed, so that nothing waits for the user.
    void dismiss();

private:
    QWidget* parent_;
    QMessageBox* open_ = nullptr;
    bool dismissed_ = false;
};
