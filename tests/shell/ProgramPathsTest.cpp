// Where the programs read and write: the program directory from --root,
// VANTOR_ROOT, the program's folder or the user's data folder, and the data
// from the program directory, the installed share/vantor or beside the
// program.

#include "TestSupport.hpp"
#include "shell/ProgramPaths.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

// The installed layout (bin/ beside share/vantor), HOME and XDG_DATA_HOME are
// the Linux rules; Windows's (%LOCALAPPDATA%) are tested with the platform layer.
[[maybe_unused]] constexpr const char* kLinuxLayout = "the Linux folder rules; Windows has its own, tested with the platform layer";

namespace fs = std::filesystem;

// A file system laid out for one case under a temporary directory:
//   game/            a game folder (config.ini only, or with data/)
//   prefix/bin/      an installed program, prefix/share/vantor/data its data
//   build/bin/       a build-folder program, build/bin/data beside it
//   home/, xdg/      the user's folders
struct Layout {
    test::TempDir top;
    fs::path game = top.path() / "game";
    fs::path installedBin = top.path() / "prefix" / "bin";
    fs::path installedHome = top.path() / "prefix" / "share" / "vantor";
    fs::path buildBin = top.path() / "build" / "bin";
    fs::path home = top.path() / "home";
    fs::path xdg = top.path() / "xdg";

    Layout()
    {
        for (const fs::path& dir : {game, installedBin, installedHome, buildBin, home})
            fs::create_directories(dir);
        test::linkData(installedHome);
        test::linkData(buildBin);
    }
};

TEST(ProgramPaths, ResolvesTheProgramDirectoryAndTheData)
{
#ifdef _WIN32
    GTEST_SKIP() << kLinuxLayout;
#endif
    enum class Exe { Installed, Build };
    enum class GameData { None, Complete, WithoutCityNames };
    struct Case {
        const char* name;
        bool option;            // --root game
        const char* variable;   // VANTOR_ROOT: "game", "" (set but empty) or nullptr
        Exe exe;
        GameData gameData;
        bool xdg;               // XDG_DATA_HOME set
        ProgramPaths::RootFrom rootFrom;
        const char* root;       // relative to the layout's top
        ProgramPaths::DataFrom dataFrom;
        const char* dataHome;   // relative to the layout's top
    };
    using R = ProgramPaths::RootFrom;
    using D = ProgramPaths::DataFrom;
    const Case cases[] = {
        {"--root, installed data", true, nullptr, Exe::Installed, GameData::None, false, R::Option, "game",
         D::Installed, "prefix/share/vantor"},
        {"--root, the game's data", true, nullptr, Exe::Installed, GameData::Complete, false, R::Option, "game",
         D::ProgramDirectory, "game"},
        {"--root, game data incomplete", true, nullptr, Exe::Installed, GameData::WithoutCityNames, false,
         R::Option, "game", D::Installed, "prefix/share/vantor"},
        {"--root, build program", true, nullptr, Exe::Build, GameData::None, false, R::Option, "game",
         D::ProgramFolder, "build/bin"},
        {"--root beats VANTOR_ROOT", true, "home", Exe::Installed, GameData::None, false, R::Option, "game",
         D::Installed, "prefix/share/vantor"},
        {"VANTOR_ROOT", false, "game", Exe::Build, GameData::None, false, R::Environment, "game",
         D::ProgramFolder, "build/bin"},
        {"empty VANTOR_ROOT is unset", false, "", Exe::Build, GameData::None, false, R::ProgramFolder,
         "build/bin", D::ProgramDirectory, "build/bin"},
        {"build folder", false, nullptr, Exe::Build, GameData::None, true, R::ProgramFolder, "build/bin",
         D::ProgramDirectory, "build/bin"},
        {"installed, HOME", false, nullptr, Exe::Installed, GameData::None, false, R::UserFolder,
         "home/.local/share/vantor", D::Installed, "prefix/share/vantor"},
        {"installed, XDG_DATA_HOME", false, nullptr, Exe::Installed, GameData::None, true, R::UserFolder,
         "xdg/vantor", D::Installed, "prefix/share/vantor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout;
        if (c.gameData == GameData::Complete)
            test::linkData(layout.game);
        else if (c.gameData == GameData::WithoutCityNames)
            test::linkDataWithout(layout.game, "citynames.txt");
        ProgramPaths::Inputs in;
        if (c.option)
            in.rootOption = layout.game;
        if (c.variable != nullptr)
            in.rootVariable = *c.variable == '\0' ? std::string() : (layout.top.path() / c.variable).string();
        in.executableDir = c.exe == Exe::Installed ? layout.installedBin : layout.buildBin;
        if (c.xdg)
            in.xdgDataHome = layout.xdg.string();
        in.home = layout.home.string();

        const ProgramPaths paths = ProgramPaths::resolve(in);
        EXPECT_EQ(paths.rootFrom(), c.rootFrom);
        EXPECT_EQ(paths.root(), layout.top.path() / c.root);
        EXPECT_EQ(paths.dataFrom(), c.dataFrom);
        EXPECT_EQ(paths.dataHome(), layout.top.path() / c.dataHome);
        EXPECT_TRUE(fs::is_directory(paths.root()));
        EXPECT_EQ(paths.rootCreated(), c.rootFrom == R::UserFolder);
        // The lines the programs print name both directories.
        EXPECT_NE(paths.rootDescription().find(paths.root().string()), std::string::npos);
        EXPECT_NE(paths.dataDescription().find(paths.dataDirectory().string()), std::string::npos);
    }
}

// The desktop program's remembered folder comes after everything that names
// a folder in this run, and only with none of them is the player asked.
TEST(ProgramPaths, AChosenFolderComesAfterTheNamedOnes)
{
    using R = ProgramPaths::RootFrom;
    struct Case {
        const char* name;
        bool option;
        bool variable;
        bool buildExe;
        bool chosen;
        R rootFrom;
        const char* root;
        bool asks; // needsChoice()
    };
    const Case cases[] = {
        {"chosen", false, false, false, true, R::Chosen, "game", false},
        {"nothing: the user's folder, asked first", false, false, false, false, R::UserFolder, "xdg/vantor", true},
        {"--root beats chosen", true, false, false, true, R::Option, "game", false},
        {"VANTOR_ROOT beats chosen", false, true, false, true, R::Environment, "home", false},
        {"program folder beats chosen", false, false, true, true, R::ProgramFolder, "build/bin", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout;
        ProgramPaths::Inputs in;
        in.executableDir = c.buildExe ? layout.buildBin : layout.installedBin;
        in.xdgDataHome = layout.xdg.string();
        if (c.option)
            in.rootOption = layout.game;
        if (c.variable)
            in.rootVariable = layout.home.string();
        if (c.chosen)
            in.chosenFolder = layout.game;
        EXPECT_EQ(ProgramPaths::needsChoice(in), c.asks);
        EXPECT_EQ(ProgramPaths::userFolder(in), layout.xdg / "vantor");
        const ProgramPaths paths = ProgramPaths::resolve(in);
        EXPECT_EQ(paths.rootFrom(), c.rootFrom);
        EXPECT_EQ(paths.root(), layout.top.path() / c.root);
    }
    // A chosen folder that is gone is not created: the program asks again.
    Layout layout;
    ProgramPaths::Inputs in;
    in.executableDir = layout.installedBin;
    in.home = layout.home.string();
    in.chosenFolder = layout.top.path() / "unplugged";
    EXPECT_THROW((void)ProgramPaths::resolve(in), ProgramPathsError);
    EXPECT_FALSE(fs::exists(layout.top.path() / "unplugged"));
}

TEST(ProgramPaths, TheUserFolderIsCreatedOnceAndRelativeXdgIsIgnored)
{
    Layout layout;
    ProgramPaths::Inputs in;
    in.executableDir = layout.installedBin;
    in.xdgDataHome = "relative/dir"; // not absolute: ignored, as the XDG rules say
    in.home = layout.home.string();
    const ProgramPaths first = ProgramPaths::resolve(in);
    EXPECT_EQ(first.root(), layout.home / ".local" / "share" / "vantor");
    EXPECT_TRUE(first.rootCreated());
    EXPECT_NE(first.rootDescription().find("created"), std::string::npos);
    const ProgramPaths again = ProgramPaths::resolve(in);
    EXPECT_FALSE(again.rootCreated());
}

TEST(ProgramPaths, UnusableDirectoriesAreNamed)
{
#ifdef _WIN32
    GTEST_SKIP() << kLinuxLayout;
#endif
    struct Case {
        const char* name;
        bool option;
        bool variable;
        bool home;
        bool blockHome; // a file where ~/.local should be
        const char* mentions;
        bool usage;
    };
    const Case cases[] = {
        {"--root missing", true, false, true, false, "--root: ", true},
        {"VANTOR_ROOT missing", false, true, true, false, "VANTOR_ROOT: ", true},
        {"no HOME", false, false, false, false, "HOME", false},
        {"user folder cannot be made", false, false, true, true, ".local/share/vantor", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout;
        ProgramPaths::Inputs in;
        in.executableDir = layout.installedBin;
        if (c.option)
            in.rootOption = layout.top.path() / "nowhere";
        if (c.variable)
            in.rootVariable = (layout.top.path() / "nowhere").string();
        if (c.home)
            in.home = layout.home.string();
        if (c.blockHome)
            test::writeFile(layout.home / ".local", "a file");
        try {
            (void)ProgramPaths::resolve(in);
            ADD_FAILURE() << "resolved";
        } catch (const ProgramPathsError& e) {
            EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
            EXPECT_EQ(e.usage(), c.usage);
        }
    }
}

TEST(ProgramPaths, CompleteDataNeedsEveryFileTheProgramsRead)
{
    test::TempDir dir;
    test::linkData(dir.path());
    EXPECT_TRUE(ProgramPaths::completeData(dir.path()));
    for (const char* file : {"hangarN.bmp", "carshopshadow.bmp", "DejaVuSans.ttf", "DejaVuSansCondensed.ttf",
                             "dirt2.bmp", "intro.bmp", "moonBase.bmp", "citynames.txt"}) {
        test::TempDir partial;
        test::linkDataWithout(partial.path(), file);
        EXPECT_FALSE(ProgramPaths::completeData(partial.path())) << file;
    }
}

TEST(ProgramPaths, InstalledDataIsBesideTheBinFolder)
{
#ifdef _WIN32
    GTEST_SKIP() << kLinuxLayout;
#endif
    EXPECT_EQ(ProgramPaths::installedDataHome("/opt/x/bin"), fs::path("/opt/x/share/vantor"));
}

} // namespace
} // namespace vantor
