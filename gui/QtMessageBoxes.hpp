#pragma once
// The desktop program's message boxes: modal QMessageBox windows titled
// with the application's name. A question's default button is No: Enter
// alone never replaces the player's files.

#include "shell/MessageBoxes.hpp"

#include <QUrl>

#include <functional>

class QMessageBox;
class QWidget;

class QtMessageBoxes final : public vantor::MessageBoxes {
public:
    // parent: the window the boxes are centred on; nullptr for the active one.
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}

    Answer show(Kind kind, std::string_view text) override;
    // Information with OK and "Open folder", which opens `folder` in the
    // desktop's file manager; shown until one of them is pressed.
    void savedIn(std::string_view text, const std::filesystem::path& folder, vantor::Language language) override;
    // How a folder is opened (the desktop's handler by default; tests record it).
    void setFolderOpener(std::function<void(const QUrl&)> opener) { openFolder_ = std::move(opener); }

    // The program is being stopped: the open box is closed, answered
    // Dismissed, and later boxes are not shown but answered Dismissed at
    // once, so that nothing waits for the user. The first of those later
    // texts is written to standard error on one line; the rest are not, so a
    // stop writes at most one line.
    void dismiss();

private:
    // Shows one box; `folder` adds the "Open folder" button (answered Yes).
    Answer run(Kind kind, std::string_view text, const std::filesystem::path* folder, vantor::Language language);

    QWidget* parent_;
    std::function<void(const QUrl&)> openFolder_;
    QMessageBox* open_ = nullptr;
    bool dismissed_ = false;
    bool reported_ = false;
};
