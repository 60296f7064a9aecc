#include "gui/DesktopProgram.hpp"

#include "gui/GameFolderQuestion.hpp"
#include "gui/QtText.hpp"
#include "gui/StopSignals.hpp"
#include "shell/GameFolder.hpp"
#include "shell/MessageBoxes.hpp"

#include <QDir>
#include <QFileDialog>
#include <QSettings>

#include <system_error>
#include <utility>

namespace fs = std::filesystem;
using vantor::Language;

namespace {

constexpr char kGameFolderKey[] = "gameFolder";

constexpr WindowText kPickTitle{"Choose Korvane's folder", "Vyberte složku hry Korvane"};
constexpr WindowText kGone{"The game folder %1 chosen last is not there any more.",
                           "Složka hry %1 vybraná minule už neexistuje."};

QString pathText(const fs::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

fs::path absolutePath(const fs::path& path)
{
    std::error_code ec;
    const fs::path result = fs::absolute(path, ec);
    return ec ? path : result.lexically_normal();
}

// A text of the core in both languages, for the first start, when the game's language is not known yet.
std::string inBothLanguages(const vantor::VantorError& error)
{
    return error.text(Language::English) + "\n\n" + error.text(Language::Czech);
}

} // namespace

FolderPrompts::FirstStart DialogFolderPrompts::askFirstStart(const fs::path& defaultFolder, const QString& note)
{
    if (StopSignals::received() != 0)
        return FirstStart::Closed; // the program is being stopped: nothing more is asked
    GameFolderQuestion question(defaultFolder, note);
    switch (question.exec()) {
    case GameFolderQuestion::Choose:
        return FirstStart::Choose;
    case GameFolderQuestion::KeepDefault:
        return FirstStart::KeepDefault;
    default:
        return FirstStart::Closed;
    }
}

std::optional<fs::path> DialogFolderPrompts::pickFolder(QWidget* parent, const fs::path& start,
                                                        std::optional<Language> language)
{
    if (StopSignals::received() != 0)
        return std::nullopt;
    const QString title = language ? translated(*language, kPickTitle)
                                   : fromUtf8(kPickTitle.english) + QStringLiteral(" / ") + fromUtf8(kPickTitle.czech);
    const QString folder = QFileDialog::getExistingDirectory(parent, title, pathText(start));
    if (folder.isEmpty())
        return std::nullopt;
    return fs::path(folder.toStdU16String());
}

std::optional<fs::path> rememberedGameFolder()
{
    const QString folder = QSettings().value(kGameFolderKey).toString();
    if (folder.isEmpty())
        return std::nullopt;
    return fs::path(folder.toStdU16String());
}

void rememberGameFolder(const fs::path& folder)
{
    QSettings settings;
    settings.setValue(kGameFolderKey, pathText(absolutePath(folder)));
    settings.sync();
}

DesktopProgram::DesktopProgram(vantor::RandomSource& random, vantor::MessageBoxes& boxes, FolderPrompts& prompts,
                               vantor::ProgramPaths::Inputs inputs, QObject* parent)
    : QObject(parent), random_(random), boxes_(boxes), prompts_(prompts), inputs_(std::move(inputs))
{
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::start()
{
    std::optional<fs::path> remembered = rememberedGameFolder();
    QString note;
    std::error_code ec;
    if (remembered && !fs::is_directory(*remembered, ec)) {
        // A folder on a disk that is gone, or deleted: asked again.
        note = fromUtf8(kGone.english).arg(pathText(*remembered)) + QStringLiteral("\n") +
               fromUtf8(kGone.czech).arg(pathText(*remembered));
        remembered.reset();
    }
    inputs_.chosenFolder = remembered;
    bool keepDefault = false;
    if (vantor::ProgramPaths::needsChoice(inputs_))
        inputs_.chosenFolder = askFirstStart(vantor::ProgramPaths::userFolder(inputs_), note, keepDefault);
    vantor::ProgramPaths paths = vantor::ProgramPaths::resolve(inputs_);
    if (keepDefault)
        rememberGameFolder(paths.root());
    open(std::move(paths));

    // Said before any work starts; the main menu says it again before a wizard opens.
    if (const auto problem = vantor::atlasWriteProblem(paths_->root()))
        boxes_.error(problem->text(windows_->menu.language()));
}

std::optional<fs::path> DesktopProgram::askFirstStart(const fs::path& defaultFolder, const QString& note,
                                                      bool& keepDefault)
{
    std::error_code ec;
    for (;;) {
        switch (prompts_.askFirstStart(defaultFolder, note)) {
        case FolderPrompts::FirstStart::Closed:
            return std::nullopt; // Vantor's own folder this time; asked again on the next start
        case FolderPrompts::FirstStart::KeepDefault:
            keepDefault = true;
            return std::nullopt;
        case FolderPrompts::FirstStart::Choose:
            break;
        }
        const std::optional<fs::path> picked = prompts_.pickFolder(nullptr, QDir::homePath().toStdU16String(), {});
        if (!picked)
            continue;
        if (const auto problem = vantor::atlasWriteProblem(*picked)) {
            boxes_.error(inBothLanguages(*problem));
            continue;
        }
        if (!vantor::hasGameConfig(*picked))
            boxes_.warning(inBothLanguages(vantor::missingConfigWarning(*picked)));
        rememberGameFolder(*picked);
        return absolutePath(*picked);
    }
}

void DesktopProgram::changeGameFolder()
{
    const Language language = windows_->menu.language();
    const std::optional<fs::path> picked = prompts_.pickFolder(&windows_->menu, paths_->root(), language);
    if (!picked)
        return;
    if (const auto problem = vantor::atlasWriteProblem(*picked)) {
        boxes_.error(problem->text(language));
        return;
    }
    if (!vantor::hasGameConfig(*picked))
        boxes_.warning(vantor::missingConfigWarning(*picked).text(language));
    rememberGameFolder(*picked);
    // The windows are replaced once the menu's click has returned.
    QMetaObject::invokeMethod(this, [this, folder = absolutePath(*picked)] { reopen(folder); }, Qt::QueuedConnection);
}

void DesktopProgram::reopen(const fs::path& folder)
{
    // The folder the player named in this run stands as --root would.
    vantor::ProgramPaths::Inputs inputs = inputs_;
    inputs.rootOption = folder;
    try {
        open(vantor::ProgramPaths::resolve(inputs));
    } catch (const vantor::ProgramPathsError& e) {
        boxes_.error(e.what());
    }
}

void DesktopProgram::open(vantor::ProgramPaths paths)
{
    std::unique_ptr<VantorWindows> previous = std::move(windows_);
    paths_ = std::move(paths);
    windows_ = std::make_unique<VantorWindows>(random_, boxes_, *paths_);
    connect(&windows_->menu, &MainMenu::gameFolderChangeRequested, this, &DesktopProgram::changeGameFolder);
    if (previous) {
        // The new menu takes the old one's place before the old windows go.
        windows_->menu.move(previous->menu.pos());
        windows_->menu.show();
    }
    if (onWindowsOpened)
        onWindowsOpened(*windows_);
}
