#pragma once
// The desktop program's message boxes: modal QMessageBox windows titled
// with the application's name.

#include "shell/MessageBoxes.hpp"

class QWidget;

class QtMessageBoxes final : public vantor::MessageBoxes {
public:
    // parent: the window the boxes are centred on; nullptr for the active one.
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}

    Answer show(Kind kind, std::string_view text) override;

private:
    QWidget* parent_;
};
