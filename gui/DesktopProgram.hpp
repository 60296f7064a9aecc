#pragma once
// The desktop program's life around its windows: finds the game folder,
// asking the player on the first start, opens the windows on it, and opens
// them again on another folder when the player changes it in the main menu.
//
// The game folder, first match wins: --root, VANTOR_ROOT, the program's own
// folder when data/ is beside it, the folder the player chose last (QSettings
// key "gameFolder"); with none of these the player is asked once, and may
// keep Vantor's own folder (~/.local/share/vantor). A chosen folder is
// checked before it is used: one that cannot be written is said so (and not
// taken when the player picked it), one without config.ini gets a warning.

#include "gui/VantorWindows.hpp"
#include "shell/Language.hpp"
#include "shell/ProgramPaths.hpp"

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace vantor {
class MessageBoxes;
class RandomSource;
}

// How the player is asked for a folder; the program shows dialogs, tests answer from a script.
class FolderPrompts {
public:
    enum class FirstStart { Choose, KeepDefault, Closed };
    virtual ~FolderPrompts() = default;
    // The first start's question (GameFolderQuestion); note: a line shown first, or empty.
    virtual FirstStart askFirstStart(const std::filesystem::path& defaultFolder, const QString& note) = 0;
    // Picks a folder, starting at `start`; nothing when cancelled. `language`
    // is the windows' language, nullopt for both (before the game is known).
    virtual std::optional<std::filesystem::path> pickFolder(QWidget* parent, const std::filesystem::path& start,
                                                            std::optional<vantor::Language> language) = 0;
};

// The real dialogs: GameFolderQuestion and QFileDialog::getExistingDirectory.
class DialogFolderPrompts final : public FolderPrompts {
public:
    FirstStart askFirstStart(const std::filesystem::path& defaultFolder, const QString& note) override;
    std::optional<std::filesystem::path> pickFolder(QWidget* parent, const std::filesystem::path& start,
                                                    std::optional<vantor::Language> language) override;
};

// The game folder the player chose last, and remembering a new one.
std::optional<std::filesystem::path> rememberedGameFolder();
void rememberGameFolder(const std::filesystem::path& folder);

class DesktopProgram final : public QObject {
    Q_OBJECT
public:
    // inputs: what names the program directory (ProgramPaths::processInputs);
    // the remembered folder is added here.
    DesktopProgram(vantor::RandomSource& random, vantor::MessageBoxes& boxes, FolderPrompts& prompts,
                   vantor::ProgramPaths::Inputs inputs, QObject* parent = nullptr);
    ~DesktopProgram() override;

    // Finds the game folder (asking when nothing names one), opens the
    // windows on it and says what is wrong with the folder. The menu is not
    // shown yet. Throws ProgramPathsError when no folder can be used.
    void start();

    VantorWindows& windows() { return *windows_; }
    const vantor::ProgramPaths& paths() const { return *paths_; }

    // Called with the windows whenever they are opened: at start, and on a
    // new folder (before the previous windows are destroyed).
    std::function<void(VantorWindows&)> onWindowsOpened;

public slots:
    // The main menu's "Game folder…": picks a folder and, when it can be
    // written, remembers it and opens the windows on it once the menu's
    // click has returned.
    void changeGameFolder();

private:
    // The first start's question until it has an answer: the folder picked
    // (checked and remembered), or nothing for Vantor's own folder, with
    // keepDefault set when the player chose to keep it.
    std::optional<std::filesystem::path> askFirstStart(const std::filesystem::path& defaultFolder,
                                                       const QString& note, bool& keepDefault);
    void open(vantor::ProgramPaths paths);
    void reopen(const std::filesystem::path& folder);

    vantor::RandomSource& random_;
    vantor::MessageBoxes& boxes_;
    FolderPrompts& prompts_;
    vantor::ProgramPaths::Inputs inputs_;
    std::optional<vantor::ProgramPaths> paths_;
    std::unique_ptr<VantorWindows> windows_;
};
