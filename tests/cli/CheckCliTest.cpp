// vantor-cli check driven as a process: what it prints and its exit status.

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantor {
namespace {

using test::runCli;

TEST(CheckCli, WrittenAtlasIsSoundAndDamageIsListedWithExitStatusOne)
{
    test::TempDir root;
    test::linkData(root.path());
    const std::string dir = root.path().string();

    // The single mission alone: sound, no campaign.
    ASSERT_EQ(runCli({"city", "--root", dir, "--seed", "4", "--size", "very-small"}).exitCode, 0);
    test::ProcessResult r = runCli({"check", "--root", dir});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, "atlas/ is sound: no campaign, single mission\n");

    const test::ProcessResult written = runCli({"campaign", "--root", dir, "--seed", "8", "--large-cities", "off"});
    ASSERT_EQ(written.exitCode, 0) << written.output;
    r = runCli({"check", "--root=" + dir});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, "atlas/ is sound: 31 cities, start.ini, moon.bmp, single mission\n");

    // Three kinds of damage: three lines, then the summary.
    const std::filesystem::path atlas = root.path() / "atlas";
    std::string startIni = test::readFile(atlas / "start.ini");
    const std::size_t at = startIni.find("HealthBody=100\r\n");
    ASSERT_NE(at, std::string::npos);
    startIni.replace(at, 16, "HealthBody=99,5\r\nDifficulty=3\r\n");
    test::writeFile(atlas / "start.ini", startIni);
    std::filesystem::remove(atlas / "SingleCityGROUND.bmp");
    r = runCli({"check", "--root", dir});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(r.output, "atlas/start.ini:7: HealthBody=99,5 uses a decimal comma; the game reads reals with a point "
                        "(such as 0.5)\n"
                        "atlas/start.ini:8: unknown key Difficulty in section [General]\n"
                        "atlas/SingleCityGROUND.bmp: missing (a picture of the single mission)\n"
                        "atlas/ has 3 problems\n");
}

TEST(CheckCli, MissingAtlasIsAProblemAndBadArgumentsAreUsageErrors)
{
    test::TempDir root;
    const std::string dir = root.path().string();
    test::ProcessResult r = runCli({"check", "--root", dir});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(r.output, "atlas: no such directory: the game has nothing to play\natlas/ has 1 problem\n");

    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--bogus"}, "--bogus"},
        {{"--root"}, "--root: missing value"},
        {{"--root="}, "--root: expected a directory"},
        {{"--root", dir, "--root", dir}, "--root: given twice"},
        {{"--root", dir + "/nowhere"}, "is not a directory"},
        {{"atlas"}, "atlas"},
    };
    // `repair` takes the same arguments as `check`, and states the same
    // program directory rule as every command.
    for (const std::string command : {"check", "repair"}) {
        for (const Case& c : cases) {
            std::vector<std::string> args{command};
            args.insert(args.end(), c.args.begin(), c.args.end());
            r = runCli(args);
            EXPECT_EQ(r.exitCode, 2) << r.output;
            EXPECT_NE(r.output.find(c.mentions), std::string::npos) << r.output;
            EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << "one line: " << r.output;
        }
        r = runCli({command, "--help"});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.output.find("Usage: vantor-cli " + command + " [options]"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("--root DIR    program directory (default: VANTOR_ROOT, else see\n"
                                "                'vantor-cli --help')"),
                  std::string::npos)
            << r.output;
        EXPECT_NE(runCli({"--help"}).output.find("  " + command + " "), std::string::npos);
    }
}

// An atlas/ that is a link to itself: the system's reason, not "no such
// directory"; `repair` refuses it the same way and nothing is created.
TEST(CheckCli, LinkLoopGivesTheSystemsReason)
{
#ifdef _WIN32
    GTEST_SKIP() << "a link loop's reason (ELOOP, \"Too many levels of symbolic links\") is POSIX's";
#endif
    test::TempDir root;
    const std::string dir = root.path().string();
    std::filesystem::create_symlink("atlas", root.path() / "atlas");
    test::ProcessResult r = runCli({"check", "--root", dir});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(r.output, "atlas: cannot be opened: Too many levels of symbolic links\natlas/ has 1 problem\n");
    r = runCli({"repair", "--root", dir});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(r.output, "vantor-cli: Cannot open directory " + dir + "/atlas: Too many levels of symbolic links\n");
    EXPECT_TRUE(std::filesystem::is_symlink(root.path() / "atlas"));
}

} // namespace
} // namespace vantor
