// Whether a game folder's atlas/ can be written, asked before any work: every
// operation of the check failing in turn is said as "cannot be written" with
// the folder and the system's reason, and leaves nothing behind.

#include "TestSupport.hpp"
#include "shell/FileLayer.hpp"
#include "shell/GameFolder.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace vantor {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(GameFolder, AWritableFolderLeavesAnEmptyAtlas)
{
    test::TempDir game;
    FileFaults::reset();
    EXPECT_FALSE(atlasWriteProblem(game.path()).has_value());
    EXPECT_TRUE(fs::is_directory(game.path() / "atlas"));
    EXPECT_TRUE(namesIn(game.path() / "atlas").empty());
    // Checked again with atlas/ there, and a campaign in it untouched.
    test::writeFile(game.path() / "atlas" / "start.ini", "[General]\r\n");
    EXPECT_FALSE(atlasWriteProblem(game.path()).has_value());
    EXPECT_EQ(namesIn(game.path() / "atlas"), std::vector<std::string>{"start.ini"});
}

TEST(GameFolder, EveryFailingOperationIsSaidInBothLanguages)
{
    // Without atlas/ it is made and opened, then a file created in it; with
    // atlas/ there it is opened, then a file created.
    for (const bool atlasThere : {false, true}) {
        SCOPED_TRACE(atlasThere ? "atlas/ there" : "no atlas/");
        const auto layOut = [&](const test::TempDir& game) {
            if (atlasThere)
                fs::create_directory(game.path() / "atlas");
        };
        long operations = 0;
        {
            test::TempDir game;
            layOut(game);
            FileFaults::reset();
            ASSERT_FALSE(atlasWriteProblem(game.path()).has_value());
            operations = FileFaults::operationCount();
        }
        ASSERT_GE(operations, atlasThere ? 2 : 3);
        int said = 0;
        for (long k = 1; k <= operations; ++k) {
            SCOPED_TRACE("operation " + std::to_string(k));
            test::TempDir game;
            layOut(game);
            FileFaults::failOperations({k}, EROFS);
            const std::optional<VantorError> problem = atlasWriteProblem(game.path());
            FileFaults::reset();
            // Removing the probe again may fail unnoticed; everything before it may not.
            if (!problem)
                continue;
            ++said;
            EXPECT_EQ(problem->text(Language::English).find("The game folder " + game.path().string() +
                                                              " cannot be written: "),
                      0u)
                << problem->what();
            EXPECT_NE(problem->text(Language::English).find("Read-only file system"), std::string::npos);
            EXPECT_EQ(
                problem->text(Language::Czech).find("Do složky hry " + game.path().string() + " nelze zapisovat: "),
                0u);
            if (fs::is_directory(game.path() / "atlas")) {
                EXPECT_TRUE(namesIn(game.path() / "atlas").empty());
            }
        }
        EXPECT_GE(said, operations - 1);
    }
}

TEST(GameFolder, AnAtlasThatIsAFileCannotBeWritten)
{
    test::TempDir game;
    test::writeFile(game.path() / "atlas", "not a folder");
    const std::optional<VantorError> problem = atlasWriteProblem(game.path());
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(std::string(problem->what()).find("cannot be written"), std::string::npos);
    EXPECT_EQ(test::readFile(game.path() / "atlas"), "not a folder");
}

TEST(GameFolder, ConfigIniMarksTheGamesFolder)
{
    test::TempDir game;
    EXPECT_FALSE(hasGameConfig(game.path()));
    EXPECT_NE(missingConfigWarning(game.path()).text(Language::Czech).find(game.path().string()), std::string::npos);
    fs::create_directory(game.path() / "config.ini");
    EXPECT_FALSE(hasGameConfig(game.path())); // a folder of that name is not the game's file
    fs::remove(game.path() / "config.ini");
    test::writeFile(game.path() / "config.ini", "");
    EXPECT_TRUE(hasGameConfig(game.path()));
}

} // namespace
} // namespace vantor
