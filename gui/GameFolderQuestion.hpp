#pragma once
// The question of the first start: where is the game? Vantor writes into the
// atlas/ of the game's folder and reads the game's config.ini there, so it
// asks once, in English and Czech (the game's language is not known before
// its folder is), and remembers the answer. The player may also keep
// Vantor's own folder and copy the maps into the game later.

#include <QDialog>

#include <filesystem>

class QLabel;
class QPushButton;

class GameFolderQuestion final : public QDialog {
    Q_OBJECT
public:
    // exec()'s results besides Rejected (closed, Escape).
    enum Answer { Choose = 1, KeepDefault = 2 };

    // defaultFolder: where Vantor works when the player keeps its own folder;
    // note: a line put before the question (empty for none), both languages.
    GameFolderQuestion(const std::filesystem::path& defaultFolder, const QString& note, QWidget* parent = nullptr);

private:
    QLabel* LabelQuestion;
    QPushButton* ButtonChoose;
    QPushButton* ButtonKeep;
};
