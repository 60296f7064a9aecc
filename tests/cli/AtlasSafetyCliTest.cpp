// vantor-cli as a player's atlas/ meets it: planted links, a full disk,
// signals mid-campaign, two runs at once and a modder's files. The program
// runs as a child process; atlas/ is compared byte for byte before and after.

#include "AtlasSnapshot.hpp"
#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

namespace vantor {
namespace {

namespace fs = std::filesystem;

// A running vantor-cli whose output the test can read while it runs.
class Child {
public:
    explicit Child(const std::vector<std::string>& args, const test::ProcessOptions& options = {})
        : process_(VANTOR_CLI_PATH, args, options)
    {
    }

    // Waits (within the program's time) until the output holds `text`.
    bool waitForOutput(const std::string& text) { return process_.waitForOutput(text); }
    bool stop(test::StopRequest request) { return process_.stop(request); }

    // The exit status, or -1 when the child did not exit by itself.
    int wait()
    {
        const test::ProcessResult r = process_.wait();
        output = r.output;
        return r.exitCode;
    }

    std::string output;

private:
    test::Process process_;
};

// The stop requests a user can give on this system, with the signal's name
// in vantor-cli's line and its exit status. On Windows a test reaches its
// child only with Ctrl-Break (the child has a process group of its own), so
// the name and status there are whatever the console handler reports; what
// must hold on both is that the program stops and atlas/ is unchanged.
struct Stop {
    test::StopRequest request;
    const char* name;
    int status; // 0: not fixed here
};
#ifdef _WIN32
const Stop kStops[] = {{test::StopRequest::Interrupt, "Ctrl-Break", 0}};
#else
const Stop kStops[] = {{test::StopRequest::Interrupt, "SIGINT", 130},
                       {test::StopRequest::Terminate, "SIGTERM", 143},
                       {test::StopRequest::Hangup, "SIGHUP", 129}};
#endif

void expectStopped(const Stop& stop, int status, const std::string& output, const std::string& rest)
{
    if (stop.status != 0) {
        EXPECT_EQ(status, stop.status) << stop.name << ": " << output;
        EXPECT_NE(output.find(std::string("vantor-cli: stopped by ") + stop.name + ": " + rest), std::string::npos)
            << output;
    } else {
        EXPECT_GT(status, 128) << stop.name << ": " << output;
        EXPECT_NE(output.find("vantor-cli: stopped by "), std::string::npos) << output;
        EXPECT_NE(output.find(rest), std::string::npos) << output;
    }
}

class AtlasSafetyCli : public ::testing::Test {
protected:
    void SetUp() override { test::linkData(root_.path()); }

    fs::path atlas() const { return root_.path() / "atlas"; }
    std::string dir() const { return root_.path().string(); }

    test::ProcessResult run(std::vector<std::string> args)
    {
        args.insert(args.begin() + 1, {"--root", dir()});
        return test::runCli(args);
    }

    // A campaign, a single mission and a modder's files: what a player has.
    void makePlayersAtlas()
    {
        ASSERT_EQ(run({"campaign", "--seed", "5", "--large-cities", "off"}).exitCode, 0);
        ASSERT_EQ(run({"city", "--seed", "4", "--size", "very-small"}).exitCode, 0);
        test::writeFile(atlas() / "notes.txt", "a modder's notes");
        fs::create_directories(atlas() / "mods");
        test::writeFile(atlas() / "mods" / "readme.txt", "mod");
    }

    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(atlas())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(".vantor-", 0) == 0)
                out.push_back(name);
        }
        return out;
    }

    test::TempDir root_;
};

// Links planted at the names the program used to write through (<file>.tmp)
// and at the final names, pointing outside atlas/ at files and at names that
// do not exist yet: nothing outside atlas/ is created or changed.
TEST_F(AtlasSafetyCli, PlantedLinksAreNeverWrittenThrough)
{
    if (!test::symlinksAvailable())
        GTEST_SKIP() << test::kNoSymlinks;
    const fs::path outside = root_.path() / "outside";
    fs::create_directories(outside);
    fs::create_directories(atlas());
    int n = 0;
    const auto plant = [&](const std::string& name, bool dangling) {
        const fs::path target = outside / ("victim" + std::to_string(n++));
        if (!dangling)
            test::writeFile(target, "victim");
        test::createSymlink(target, atlas() / name);
    };
    const std::vector<std::string> cityFiles{"SingleCity.ini", "SingleCityPLAN.bmp", "SingleCityGROUND.bmp",
                                             "SingleCityHIGHT.bmp", "start.ini", "moon.bmp"};
    for (const std::string& name : cityFiles) {
        plant(name + ".tmp", n % 2 == 0);
        plant(name + ".lock", n % 2 == 0);
    }
    for (const char* name : {"SingleCity.ini", "SingleCityGROUND.bmp", "moon.bmp"})
        plant(name, false);
    const test::Snapshot outsideBefore = test::snapshot(outside);

    const test::ProcessResult city = run({"city", "--seed", "1", "--size", "very-small"});
    EXPECT_EQ(city.exitCode, 0) << city.output;
    const test::ProcessResult campaign = run({"campaign", "--seed", "2", "--large-cities", "off"});
    EXPECT_EQ(campaign.exitCode, 0) << campaign.output;

    EXPECT_TRUE(test::snapshot(outside) == outsideBefore) << test::difference(outsideBefore, test::snapshot(outside));
    for (const std::string& name : cityFiles) {
        EXPECT_TRUE(!test::isSymlink(atlas() / name) && fs::is_regular_file(atlas() / name)) << name;
        EXPECT_TRUE(test::isSymlink(atlas() / (name + ".tmp"))) << "another's file is left alone: " << name;
    }
    EXPECT_TRUE(leftovers().empty());

    // A link at the lock's name: refused, naming it, nothing written.
    fs::remove(atlas() / ".lock");
    test::createSymlink(outside / "lock-victim", atlas() / ".lock");
    const test::Snapshot atlasBefore = test::snapshot(atlas());
    const test::ProcessResult locked = run({"city", "--seed", "3", "--size", "very-small"});
    EXPECT_EQ(locked.exitCode, 1) << locked.output;
    EXPECT_NE(locked.output.find((atlas() / ".lock").string()), std::string::npos) << locked.output;
    EXPECT_TRUE(test::snapshot(atlas()) == atlasBefore);
    EXPECT_FALSE(fs::exists(outside / "lock-victim"));
}

// A full disk (RLIMIT_FSIZE: writes past 200 kB fail with EFBIG) while a
// campaign replaces another: exit 1, the file and the reason named, the
// previous campaign byte for byte.
TEST_F(AtlasSafetyCli, DiskFullKeepsThePreviousCampaign)
{
    if (!test::kHasResourceLimits)
        GTEST_SKIP() << "a file size limit (RLIMIT_FSIZE) to stand for a full disk exists only on POSIX systems";
    makePlayersAtlas();
    const test::Snapshot before = test::snapshot(atlas());
    test::ProcessOptions smallDisk;
    smallDisk.fileSizeLimit = 200000;
    Child child({"campaign", "--root", dir(), "--seed", "6", "--overwrite"}, smallDisk);
    EXPECT_EQ(child.wait(), 1) << child.output;
    EXPECT_NE(child.output.find("Cannot write " + atlas().string() + "/"), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("File too large"), std::string::npos) << child.output;
    EXPECT_TRUE(test::snapshot(atlas()) == before) << test::difference(before, test::snapshot(atlas()));
}

// SIGINT, SIGTERM and SIGHUP while the campaign is being written: one line,
// 128 + the signal, the previous campaign byte for byte, no staging folder.
TEST_F(AtlasSafetyCli, SignalsMidCampaignKeepThePreviousCampaign)
{
    makePlayersAtlas();
    const test::Snapshot before = test::snapshot(atlas());
    for (const Stop& c : kStops) {
        Child child({"campaign", "--root", dir(), "--seed", "8", "--overwrite"});
        // The staging folder appears once the campaign is being written.
        for (int k = 0; k < 3000 && leftovers().empty(); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_FALSE(leftovers().empty()) << c.name;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!child.stop(c.request))
            GTEST_SKIP() << "this process cannot deliver a stop request to its child (no shared console)";
        expectStopped(c, child.wait(), child.output,
                      "Campaign generation cancelled. The previous campaign in the atlas directory is unchanged.\n");
        EXPECT_TRUE(test::snapshot(atlas()) == before) << c.name << test::difference(before, test::snapshot(atlas()));
    }
}

// `city` stopped by SIGINT, SIGTERM or SIGHUP while the test hook holds its
// save at the last moment before the journal (every new file written): one
// line, 128 + the signal, the previous files byte for byte, no leftover.
TEST_F(AtlasSafetyCli, SignalsMidSaveKeepThePreviousSingleMission)
{
    makePlayersAtlas();
    const test::Snapshot before = test::snapshot(atlas());
    const std::vector<std::string> save{"city", "--root", dir(), "--seed", "6", "--size", "very-small"};
    const fs::path record = root_.path() / "record.txt";
    ASSERT_EQ(test::runCli(save, "sync=off;record=" + record.string()).exitCode, 0);
    test::restore(atlas(), before);
    // The operation before the journal's creation: the last new file closed.
    long hold = 0;
    std::istringstream lines(test::readFile(record));
    for (std::string line; std::getline(lines, line) && hold == 0;)
        if (line.find(" create .vantor-tmp-") != std::string::npos && line.find(".journal") != std::string::npos)
            hold = std::stol(line) - 1;
    ASSERT_GT(hold, 0);
    for (const Stop& c : kStops) {
        Child child(save, test::withFileHook("hold-before=" + std::to_string(hold)));
        ASSERT_TRUE(child.waitForOutput("vantor test hook: holding before operation")) << c.name;
        if (!child.stop(c.request))
            GTEST_SKIP() << "this process cannot deliver a stop request to its child (no shared console)";
        expectStopped(c, child.wait(), child.output, "nothing in " + atlas().string() + " was changed\n");
        EXPECT_TRUE(test::snapshot(atlas()) == before) << c.name << test::difference(before, test::snapshot(atlas()));
    }
}

// A campaign run without --overwrite that started on an empty atlas/ and
// waits (the test hook) before taking the lock while another run writes a
// campaign: under the lock it finds that campaign, exits 3 and changes nothing.
TEST_F(AtlasSafetyCli, ExistingCampaignIsDecidedUnderTheLock)
{
    fs::create_directories(atlas());
    const fs::path go = root_.path() / "go";
    Child waiting({"campaign", "--root", dir(), "--seed", "8", "--large-cities", "off"},
                  test::withFileHook("wait-before-lock=" + go.string()));
    ASSERT_TRUE(waiting.waitForOutput("vantor test hook: waiting before the lock"));
    const test::ProcessResult other = run({"campaign", "--seed", "9", "--large-cities", "off"});
    ASSERT_EQ(other.exitCode, 0) << other.output;
    const test::Snapshot written = test::snapshot(atlas());
    test::writeFile(go, "");
    EXPECT_EQ(waiting.wait(), 3) << waiting.output;
    EXPECT_NE(waiting.output.find("vantor-cli: a campaign already exists in " + atlas().string() +
                                  "; nothing was changed (use --overwrite to replace it)\n"),
              std::string::npos)
        << waiting.output;
    EXPECT_TRUE(test::snapshot(atlas()) == written) << test::difference(written, test::snapshot(atlas()));
}

// Two single missions saved at once into one atlas/, again and again: each
// run saves or says that another Vantor is writing, and the four files are
// always those of one run, never a mix.
TEST_F(AtlasSafetyCli, TwoRunsAtOnceNeverMix)
{
    std::map<std::string, test::Snapshot> alone;
    for (const std::string seed : {"11", "12"}) {
        test::TempDir other;
        test::linkData(other.path());
        ASSERT_EQ(test::runCli({"city", "--root", other.path().string(), "--seed", seed, "--size", "small"}).exitCode, 0);
        alone[seed] = test::snapshot(other.path() / "atlas");
    }
    int refused = 0;
    for (int round = 0; round < 12; ++round) {
        Child a({"city", "--root", dir(), "--seed", "11", "--size", "small"});
        Child b({"city", "--root", dir(), "--seed", "12", "--size", "small"});
        for (Child* c : {&a, &b}) {
            const int status = c->wait();
            if (status == 1) {
                ++refused;
                EXPECT_EQ(c->output, "vantor-cli: Another Vantor is writing " + atlas().string() + "\n");
            } else {
                EXPECT_EQ(status, 0) << c->output;
            }
        }
        const test::Snapshot now = test::snapshot(atlas());
        EXPECT_TRUE(now == alone["11"] || now == alone["12"]) << "round " << round << test::difference(alone["11"], now);
    }
    RecordProperty("refused", refused);

    // A campaign holds the lock for its whole run: a second one is refused.
    Child campaign({"campaign", "--root", dir(), "--seed", "8"});
    for (int k = 0; k < 3000 && leftovers().empty(); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const test::ProcessResult second = run({"city", "--seed", "3"});
    EXPECT_EQ(second.exitCode, 1) << second.output;
    EXPECT_NE(second.output.find("Another Vantor is writing"), std::string::npos) << second.output;
    EXPECT_EQ(campaign.wait(), 0) << campaign.output;
}

// --overwrite replaces the previous campaign's files and keeps the rest.
TEST_F(AtlasSafetyCli, OverwriteKeepsTheModdersFilesAndTheSingleMission)
{
    makePlayersAtlas();
    const test::Snapshot before = test::snapshot(atlas());
    const test::ProcessResult r = run({"campaign", "--seed", "6", "--overwrite"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const test::Snapshot after = test::snapshot(atlas());
    for (const auto& [name, content] : before) {
        const bool campaignFile = name.find(".ini") != std::string::npos || name.find(".bmp") != std::string::npos;
        if (!campaignFile || name.rfind("SingleCity", 0) == 0) {
            EXPECT_TRUE(after.count(name) == 1 && after.at(name) == content) << name << " must be kept";
        }
    }
    EXPECT_TRUE(leftovers().empty());
    // Every .ini beside the single mission's is a city the new start.ini names.
    const std::string start = test::readFile(atlas() / "start.ini");
    for (const auto& [name, content] : after)
        if (name.size() > 4 && name.substr(name.size() - 4) == ".ini" && name != "start.ini" &&
            name != "SingleCity.ini" && name.find('/') == std::string::npos) {
            EXPECT_NE(start.find("Name=" + name.substr(0, name.size() - 4) + "\r\n"), std::string::npos) << name;
        }
}

} // namespace
} // namespace vantor
