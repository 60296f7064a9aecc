#include "shell/ProgramPaths.hpp"
#include "platform/Platform.hpp"

#include "VantorBuildInfo.hpp"
#include "shell/PictureCatalogue.hpp"

#include <array>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace vantor {

namespace fs = std::filesystem;

namespace {

// The files read from data/ besides the catalogue's pictures and font: the
// ground textures, the logo, the Moon map, its city names and label font.
constexpr std::array<std::string_view, 6> kOtherDataFiles{
    "data/dirt1.bmp", "data/dirt2.bmp", "data/intro.bmp", "data/moonBase.bmp", "data/citynames.txt",
    "data/DejaVuSansCondensed.ttf"};

bool isRegularFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

fs::path absoluteOrSame(const fs::path& path)
{
    std::error_code ec;
    fs::path result = fs::absolute(path, ec);
    return ec ? path : result.lexically_normal();
}

} // namespace

ProgramPaths::ProgramPaths(fs::path dir) : root_(dir), dataHome_(std::move(dir)) {}

bool ProgramPaths::completeData(const fs::path& dataHome)
{
    for (const std::string_view name : PictureCatalogue::fileNames())
        if (!isRegularFile(dataHome / name))
            return false;
    for (const std::string_view name : kOtherDataFiles)
        if (!isRegularFile(dataHome / name))
            return false;
    return isRegularFile(dataHome / PictureCatalogue::kFontFile);
}

fs::path ProgramPaths::executableDirectory(const char* argv0)
{
    const fs::path self = platform::executablePath();
    if (!self.empty())
        return self.parent_path();
    std::error_code ec;
    return fs::absolute(platform::pathFromUtf8(argv0 != nullptr ? argv0 : ""), ec).parent_path();
}

fs::path ProgramPaths::installedDataHome(const fs::path& executableDir)
{
    return (executableDir / VANTOR_DATA_HOME_FROM_BIN).lexically_normal();
}

ProgramPaths::Inputs ProgramPaths::processInputs(const std::optional<fs::path>& rootOption, const char* argv0)
{
    using platform::environment;
    return Inputs{rootOption,
                  environment("VANTOR_ROOT"),
                  executableDirectory(argv0),
                  environment("XDG_DATA_HOME"),
                  environment("HOME"),
                  std::nullopt,
                  platform::localAppDataFolder()};
}

bool ProgramPaths::needsChoice(const Inputs& in)
{
    std::error_code ec;
    return !in.rootOption && !(in.rootVariable && !in.rootVariable->empty()) &&
           !fs::is_directory(in.executableDir / "data", ec) && !in.chosenFolder;
}

fs::path ProgramPaths::userFolder(const Inputs& in)
{
    // Windows: %LOCALAPPDATA%\Vantor.
    if (in.localAppData && in.localAppData->is_absolute())
        return *in.localAppData / "Vantor";
    // The XDG base directory rule: a relative XDG_DATA_HOME is ignored.
    if (in.xdgDataHome && platform::pathFromUtf8(*in.xdgDataHome).is_absolute())
        return platform::pathFromUtf8(*in.xdgDataHome) / "vantor";
    if (in.home && platform::pathFromUtf8(*in.home).is_absolute())
        return platform::pathFromUtf8(*in.home) / ".local" / "share" / "vantor";
    throw ProgramPathsError("Cannot find a folder for Vantor's files: neither XDG_DATA_HOME nor HOME is set "
                            "(name one with --root or VANTOR_ROOT)",
                            false);
}

ProgramPaths ProgramPaths::resolve(const Inputs& in)
{
    ProgramPaths paths;
    std::error_code ec;
    if (in.rootOption) {
        paths.rootFrom_ = RootFrom::Option;
        paths.root_ = *in.rootOption;
        if (!fs::is_directory(paths.root_, ec))
            throw ProgramPathsError("--root: " + platform::utf8(paths.root_) + " is not a directory", true);
    } else if (in.rootVariable && !in.rootVariable->empty()) {
        paths.rootFrom_ = RootFrom::Environment;
        paths.root_ = platform::pathFromUtf8(*in.rootVariable);
        if (!fs::is_directory(paths.root_, ec))
            throw ProgramPathsError("VANTOR_ROOT: " + platform::utf8(paths.root_) + " is not a directory", true);
    } else if (fs::is_directory(in.executableDir / "data", ec)) {
        paths.rootFrom_ = RootFrom::ProgramFolder;
        paths.root_ = in.executableDir;
    } else if (in.chosenFolder) {
        paths.rootFrom_ = RootFrom::Chosen;
        paths.root_ = *in.chosenFolder;
        if (!fs::is_directory(paths.root_, ec))
            throw ProgramPathsError("The game folder " + platform::utf8(paths.root_) + " is not a directory", false);
    } else {
        paths.root_ = userFolder(in);
        paths.rootFrom_ = RootFrom::UserFolder;
        if (!fs::is_directory(paths.root_, ec)) {
            ec.clear();
            paths.rootCreated_ = fs::create_directories(paths.root_, ec);
            if (ec || !fs::is_directory(paths.root_, ec))
                throw ProgramPathsError("Cannot create directory " + platform::utf8(paths.root_) + ": " +
                                            (ec ? ec.message() : std::string("not a directory")),
                                        false);
        }
    }
    paths.root_ = absoluteOrSame(paths.root_);

    const fs::path installed = installedDataHome(in.executableDir);
    if (completeData(paths.root_)) {
        paths.dataHome_ = paths.root_;
        paths.dataFrom_ = DataFrom::ProgramDirectory;
    } else if (completeData(installed)) {
        paths.dataHome_ = installed;
        paths.dataFrom_ = DataFrom::Installed;
    } else if (completeData(in.executableDir)) {
        paths.dataHome_ = absoluteOrSame(in.executableDir);
        paths.dataFrom_ = DataFrom::ProgramFolder;
    } else {
        paths.dataHome_ = paths.root_;
        paths.dataFrom_ = DataFrom::Missing;
    }
    return paths;
}

std::string ProgramPaths::rootDescription() const
{
    std::string text = "Program directory " + platform::utf8(root_) + " (";
    switch (rootFrom_) {
    case RootFrom::Option:
        text += "from --root";
        break;
    case RootFrom::Environment:
        text += "from VANTOR_ROOT";
        break;
    case RootFrom::ProgramFolder:
        text += "the program's own folder";
        break;
    case RootFrom::Chosen:
        text += "the game folder chosen in Vantor";
        break;
    case RootFrom::UserFolder:
        text += rootCreated_ ? "created for this user" : "this user's folder";
        break;
    }
    return text + "; config.ini is read from it, atlas/ written in it)";
}

std::string ProgramPaths::dataDescription() const
{
    const std::string own = platform::utf8(root_ / "data");
    switch (dataFrom_) {
    case DataFrom::ProgramDirectory:
        return "Data from " + own + " (the program directory's own)";
    case DataFrom::Installed:
        return "Data from " + platform::utf8(dataDirectory()) + " (installed with Vantor; " + own + " is not complete)";
    case DataFrom::ProgramFolder:
        return "Data from " + platform::utf8(dataDirectory()) + " (beside the program; " + own + " is not complete)";
    case DataFrom::Missing:
        break;
    }
    return "Data from " + own + " (incomplete, and no installed data was found)";
}

} // namespace vantor
