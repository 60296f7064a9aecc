// vantor-cli driven as a process, as scripts and later checks use it.

#include "TestSupport.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

using test::runCli;

TEST(Cli, BadArgumentsNameTheOptionAndWriteNothing)
{
    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    };
    const Case cases[] = {
        {{"city", "--size", "huge"}, "--size"},
        {{"city", "--seed", "-1"}, "--seed"},
        {{"city", "--seed", "4294967296"}, "--seed"},
        {{"city", "--seed", "12abc"}, "--seed"},
        {{"city", "--road-density", "101"}, "--road-density"},
        {{"city", "--rebels"}, "--rebels"},
        {{"city", "--walls", "yes"}, "--walls"},
        {{"city", "--bogus", "1"}, "--bogus"},
        {{"city", "--landmark", "castle"}, "--landmark"},
        {{"city", "--landmark", "fort"}, "complete campaign"},
        {{"town"}, "town"},
    };
    for (const Case& c : cases) {
        test::TempDir root;
        std::vector<std::string> args = c.args;
        args.insert(args.begin() + 1, {"--root", root.path().string()});
        if (c.args.size() == 1)
            args = c.args;
        const test::ProcessResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << r.output;
        EXPECT_NE(r.output.find(c.mentions), std::string::npos) << r.output;
        EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << "one line: " << r.output;
        EXPECT_FALSE(std::filesystem::exists(root.path() / "atlas"));
    }
}

TEST(Cli, SameSeedGivesTheSameFileAndLockOpensWithCompletedCampaign)
{
    test::TempDir a;
    test::TempDir b;
    test::linkData(a.path());
    test::linkData(b.path());
    test::writeFile(b.path() / "config.ini", "[General]\r\nCC=0x10\r\n");
    const std::vector<std::string> options{"--seed", "123", "--size", "medium", "--lamps", "few", "--walls", "off",
                                           "--highway", "off", "--house-density", "80", "--rebels", "10"};
    std::vector<std::string> first{"city", "--root", a.path().string()};
    first.insert(first.end(), options.begin(), options.end());
    std::vector<std::string> second{"city", "--root", b.path().string()};
    second.insert(second.end(), options.begin(), options.end());
    const test::ProcessResult r1 = runCli(first);
    const test::ProcessResult r2 = runCli(second);
    ASSERT_EQ(r1.exitCode, 0) << r1.output;
    ASSERT_EQ(r2.exitCode, 0) << r2.output;
    EXPECT_NE(r1.output.find("SingleCity.ini"), std::string::npos);
    const std::string text = test::readFile(a.path() / "atlas" / "SingleCity.ini");
    for (const char* file : {"SingleCity.ini", "SingleCityPLAN.bmp", "SingleCityGROUND.bmp", "SingleCityHIGHT.bmp"}) {
        const std::string bytes = test::readFile(a.path() / "atlas" / file);
        EXPECT_GT(bytes.size(), 54u) << file;
        EXPECT_EQ(bytes, test::readFile(b.path() / "atlas" / file)) << file;
    }
    EXPECT_NE(text.find("Size=15\r\nHillness=20\r\nRebels=10\r\n"), std::string::npos);

    const test::ProcessResult lab = runCli({"city", "--root", b.path().string(), "--landmark", "lab", "--seed", "1"});
    ASSERT_EQ(lab.exitCode, 0) << lab.output;
    EXPECT_NE(test::readFile(b.path() / "atlas" / "SingleCity.ini").find("Landmark name=Lab\r\n"), std::string::npos);
}

TEST(Cli, WithoutSeedPrintsTheSeedUsedAndLandmarkNoneKeepsSpaceport)
{
    test::TempDir root;
    test::linkData(root.path());
    const test::ProcessResult r = runCli({"city", "--root", root.path().string(), "--landmark=none"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.rfind("Seed: ", 0), 0u) << r.output;
    const std::string text = test::readFile(root.path() / "atlas" / "SingleCity.ini");
    EXPECT_NE(text.find("Landmark=0\r\nLandmark name=Spaceport\r\nLandmark X=-1\r\n"), std::string::npos);
}

TEST(Cli, InputOutputFailureExitsWithOne)
{
    test::TempDir root;
    test::linkData(root.path());
    test::writeFile(root.path() / "atlas", "a file where the directory should be");
    const test::ProcessResult r = runCli({"city", "--root", root.path().string(), "--seed", "1"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("atlas"), std::string::npos) << r.output;
}

TEST(Cli, MissingDataIsAnInputErrorNamingThePicture)
{
    // A copy of vantor-cli with no data of its own beside it or installed.
    test::TempDir root;
    test::TempDir bin;
    const std::filesystem::path copy = bin.path() / (std::string("vantor-cli") + test::kExecutableSuffix);
    std::filesystem::copy_file(VANTOR_CLI_PATH, copy);
    const test::ProcessResult r =
        test::runProgram(copy, {"city", "--root", root.path().string(), "--seed", "1"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("hangarN.bmp"), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(root.path() / "atlas"));
}

TEST(Cli, HelpDescribesEveryOption)
{
    const test::ProcessResult general = runCli({"--help"});
    EXPECT_EQ(general.exitCode, 0);
    EXPECT_NE(general.output.find("city"), std::string::npos);
    const test::ProcessResult city = runCli({"city", "--help"});
    EXPECT_EQ(city.exitCode, 0);
    for (const char* option : {"--root", "--seed", "--size", "--lamps", "--walls", "--wall-north", "--wall-east",
                               "--wall-south", "--wall-west", "--highway", "--downtown", "--industrial", "--landmark",
                               "--road-density", "--house-density", "--hill-height", "--rebels"})
        EXPECT_NE(city.output.find(option), std::string::npos) << option;
}

} // namespace
} // namespace vantor
