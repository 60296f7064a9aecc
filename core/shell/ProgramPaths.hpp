#pragma once
// Where the programs read and write: the program directory (the game's
// folder: config.ini and atlas/) and the data home (the directory holding
// data/, the pictures, fonts and city names the generator draws from).
//
// The program directory, first match wins:
//   1. --root DIR;
//   2. the environment variable VANTOR_ROOT;
//   3. the executable's directory when data/ is beside it (the build folder);
//   4. the game folder the player chose in the desktop program (its settings);
//   5. $XDG_DATA_HOME/vantor (default ~/.local/share/vantor), on Windows
//      %LOCALAPPDATA%\Vantor, created when missing: an installed program
//      (Program Files is not writable) writes into the user's own folder.
// The data: <program directory>/data when it holds every file the programs
// read (the game's own art, or the build folder's data); otherwise the data
// installed with the programs, <prefix>/share/vantor/data found from the
// executable (<prefix>/bin/../share/vantor), or the build folder's data
// beside the executable; when none is complete, <program directory>/data, so
// the error names what is missing there.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace vantor {

// A program directory that cannot be used: `usage` is true when it came from
// the command line or the environment (the user named it), false when the
// program's own default failed (a folder that could not be created).
class ProgramPathsError : public std::runtime_error {
public:
    ProgramPathsError(const std::string& text, bool usage) : std::runtime_error(text), usage_(usage) {}
    bool usage() const noexcept { return usage_; }

private:
    bool usage_;
};

class ProgramPaths {
public:
    enum class RootFrom { Option, Environment, ProgramFolder, Chosen, UserFolder };
    enum class DataFrom { ProgramDirectory, Installed, ProgramFolder, Missing };

    // What the resolution starts from; the process's own values come from
    // forProcess(), tests give their own.
    struct Inputs {
        std::optional<std::filesystem::path> rootOption; // --root
        std::optional<std::string> rootVariable;          // VANTOR_ROOT (empty counts as unset)
        std::filesystem::path executableDir;
        std::optional<std::string> xdgDataHome;            // XDG_DATA_HOME (relative values are ignored)
        std::optional<std::string> home;                   // HOME
        std::optional<std::filesystem::path> chosenFolder; // the desktop program's remembered game folder
        std::optional<std::filesystem::path> localAppData; // Windows: %LOCALAPPDATA% (the user folder's parent)
    };

    // A program directory that holds its own data/ (tools and tests).
    ProgramPaths(std::filesystem::path dir);

    // Resolves as described above. Throws ProgramPathsError naming --root,
    // VANTOR_ROOT or the folder that could not be created.
    static ProgramPaths resolve(const Inputs& inputs);
    // True when nothing names the program directory (no --root, VANTOR_ROOT,
    // program folder with data/ or chosen folder), so that resolve() would
    // take the user's folder: the desktop program asks the player first.
    static bool needsChoice(const Inputs& inputs);
    // The user's own folder, %LOCALAPPDATA%\Vantor (Windows),
    // $XDG_DATA_HOME/vantor or ~/.local/share/vantor (not created here).
    // Throws ProgramPathsError when none is set.
    static std::filesystem::path userFolder(const Inputs& inputs);
    // The inputs of this process: the environment and the program's own file.
    static Inputs processInputs(const std::optional<std::filesystem::path>& rootOption, const char* argv0);

    // The executable's directory (as the system names the running program, else argv0 made absolute).
    static std::filesystem::path executableDirectory(const char* argv0);
    // Where the installed data home is for an executable in `executableDir`.
    static std::filesystem::path installedDataHome(const std::filesystem::path& executableDir);
    // True when <dataHome>/data holds every file the programs read.
    static bool completeData(const std::filesystem::path& dataHome);

    const std::filesystem::path& root() const noexcept { return root_; }
    const std::filesystem::path& dataHome() const noexcept { return dataHome_; }
    std::filesystem::path dataDirectory() const { return dataHome_ / "data"; }
    RootFrom rootFrom() const noexcept { return rootFrom_; }
    DataFrom dataFrom() const noexcept { return dataFrom_; }
    bool rootCreated() const noexcept { return rootCreated_; }

    // One line each, for the user: which program directory and why
    // ("Program directory /home/a/.local/share/vantor (created; ...)"), and
    // which data ("Data from /usr/share/vantor/data (installed with Vantor;
    // /game/data is not complete)").
    std::string rootDescription() const;
    std::string dataDescription() const;

private:
    ProgramPaths() = default;

    std::filesystem::path root_;
    std::filesystem::path dataHome_;
    RootFrom rootFrom_ = RootFrom::Option;
    DataFrom dataFrom_ = DataFrom::ProgramDirectory;
    bool rootCreated_ = false;
};

} // namespace vantor
