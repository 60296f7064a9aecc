// vantor-cli campaign driven as a process.

#include "TestSupport.hpp"
#include "wizard/CampaignCountsTable.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vantor {
namespace {

using test::runCli;

TEST(CampaignCli, WritesACampaignAndRefusesToReplaceItWithoutOverwrite)
{
    test::TempDir root;
    test::linkData(root.path());
    const std::string dir = root.path().string();
    const test::ProcessResult first = runCli({"campaign", "--root", dir, "--seed", "5", "--large-cities", "off"});
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("City 31/31"), std::string::npos) << first.output;
    const std::string startIni = test::readFile(root.path() / "atlas" / "start.ini");
    EXPECT_NE(startIni.find("Number of cities=31\r\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(root.path() / "atlas" / "moon.bmp"));

    const test::ProcessResult again = runCli({"campaign", "--root", dir, "--seed", "6"});
    EXPECT_EQ(again.exitCode, 3) << again.output;
    EXPECT_NE(again.output.find("--overwrite"), std::string::npos);
    EXPECT_EQ(test::readFile(root.path() / "atlas" / "start.ini"), startIni);
}

// The shared table of counts: the command line refuses and corrects as the
// desktop wizard's model does. An existing campaign makes each run stop
// (exit 3) right after the counts are settled.
class CampaignCliCounts : public testing::TestWithParam<test::CampaignCountsCase> {};

TEST_P(CampaignCliCounts, RefusesAndCorrectsAsTheWizard)
{
    const test::CampaignCountsCase& c = GetParam();
    test::TempDir root;
    test::linkData(root.path());
    std::filesystem::create_directory(root.path() / "atlas");
    test::writeFile(root.path() / "atlas" / "start.ini", "old campaign");
    if (c.completed)
        test::writeFile(root.path() / "config.ini", "[General]\nCC=1\n");
    const test::ProcessResult r = runCli({"campaign", "--root", root.path().string(), "--cities",
                                          std::to_string(c.cities), "--districts", std::to_string(c.districts)});
    const std::string corrected = "Counts corrected to " + std::to_string(c.wantCities) + " cities in " +
                                  std::to_string(c.wantDistricts) + " districts\n";
    if (c.refused) {
        EXPECT_EQ(r.exitCode, 2) << r.output;
        EXPECT_NE(r.output.find("You are not allowed to change number of districts"), std::string::npos);
    } else {
        EXPECT_EQ(r.exitCode, 3) << r.output;
        const bool changed = c.wantCities != c.cities || c.wantDistricts != c.districts;
        EXPECT_EQ(r.output.find(corrected) != std::string::npos, changed) << r.output;
        EXPECT_EQ(r.output.find("Counts corrected") != std::string::npos, changed) << r.output;
    }
    EXPECT_EQ(test::readFile(root.path() / "atlas" / "start.ini"), "old campaign");
}

INSTANTIATE_TEST_SUITE_P(Table, CampaignCliCounts, testing::ValuesIn(test::kCampaignCountsCases),
                         [](const testing::TestParamInfo<test::CampaignCountsCase>& info) { return info.param.name; });

TEST(CampaignCli, RefusesBadOptionsAndWritesTheCorrectedCounts)
{
    test::TempDir root;
    test::linkData(root.path());
    const std::string dir = root.path().string();
    for (const auto& bad : std::vector<std::vector<std::string>>{{"--cities", "0"}, {"--max-house-density", "24"},
                                                                 {"--limited-lights", "maybe"}, {"--districts"}}) {
        std::vector<std::string> args{"campaign", "--root", dir};
        args.insert(args.end(), bad.begin(), bad.end());
        const test::ProcessResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << r.output;
        EXPECT_NE(r.output.find(bad[0]), std::string::npos) << r.output;
    }

    test::writeFile(root.path() / "config.ini", "[General]\nCC=1\n");
    const test::ProcessResult big =
        runCli({"campaign", "--root", dir, "--seed", "9", "--cities", "55", "--districts", "15", "--large-cities", "off"});
    ASSERT_EQ(big.exitCode, 0) << big.output;
    EXPECT_NE(big.output.find("Counts corrected to 75 cities in 15 districts"), std::string::npos) << big.output;
    EXPECT_NE(test::readFile(root.path() / "atlas" / "start.ini").find("Number of cities=76\r\n"), std::string::npos);
}

TEST(CampaignCli, InterruptStopsBeforeTheNextCity)
{
    test::TempDir root;
    test::linkData(root.path());
    test::Process child(VANTOR_CLI_PATH, {"campaign", "--root", root.path().string(), "--seed", "3"});
    ASSERT_TRUE(child.started()) << child.startError();
    // Wait until the campaign is being written, then interrupt.
    for (int k = 0; k < 600 && !std::filesystem::exists(root.path() / "atlas" / ".lock"); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!child.stop(test::StopRequest::Interrupt))
        GTEST_SKIP() << "this process cannot deliver a stop request to its child (no shared console)";
    const test::ProcessResult r = child.wait();
    EXPECT_EQ(r.signal, 0) << r.output;
#ifdef _WIN32
    // Ctrl-Break: the status the console handler gives it.
    EXPECT_GT(r.exitCode, 128) << r.output;
#else
    EXPECT_EQ(r.exitCode, 130) << r.output;
#endif
    // Nothing of the stopped campaign stays: atlas/ holds only its lock file.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root.path() / "atlas"))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{".lock"});
}

} // namespace
} // namespace vantor
