// The campaign writer under failing file operations, Cancel, a full disk and
// a second writer: the previous campaign stays byte for byte, and only its
// own files are ever replaced.

#include "campaign/CampaignWriter.hpp"
#include "campaign/MoonMap.hpp"
#include "shell/AtlasDirectory.hpp"
#include "shell/FileLayer.hpp"
#include "shell/IniFile.hpp"
#include "shell/VantorError.hpp"

#include "AtlasSnapshot.hpp"
#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#ifndef _WIN32
#include <fcntl.h>
#endif
#include <span>
#include <cstring>

namespace vantor {
namespace {

namespace fs = std::filesystem;

using QuietProgress = test::QuietCampaignProgress;

// A laid-out campaign cut to `cities` cities and the headquarters record
// after them: the writer needs no more, and small campaigns keep the
// sweep over every operation quick.
Campaign smallCampaign(std::uint32_t seed, int cities)
{
    Campaign campaign = test::laidOutCampaign(seed);
    campaign.numCities = cities;
    return campaign;
}

CampaignOutcome writeCampaign(const fs::path& root, const Campaign& campaign, std::uint32_t seed,
                              int cancelBeforeCity = -1)
{
    CityEditorModel editor;
    test::attachData(editor);
    QuietProgress progress(cancelBeforeCity);
    RandomSource random(seed);
    CampaignSettings settings;
    settings.largeCities = false;
    return CampaignWriter::write(campaign, settings, editor, root, random, progress, [] { return true; });
}

// Flushing is skipped in these tests (every operation is still counted
// and can fail); it only makes the many runs slow.
struct FaultGuard {
    FaultGuard() { FileFaults::setSyncing(false); }
    ~FaultGuard()
    {
        FileFaults::reset();
        FileFaults::setFreeSpace(std::nullopt);
        FileFaults::setSyncing(true);
    }
};

std::vector<std::string> cityNames(const Campaign& campaign)
{
    std::vector<std::string> out;
    for (int i = 1; i <= campaign.numCities + 1; ++i)
        out.push_back(campaign.cities[static_cast<std::size_t>(i)].name);
    return out;
}

class CampaignFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = smallCampaign(21, 2);
        next_ = smallCampaign(22, 2);
        makePrevious(root_.path());
        before_ = test::snapshot(atlas());
        // The state a fault-free run leaves, from a twin directory.
        test::TempDir twin;
        makePrevious(twin.path());
        ASSERT_EQ(writeCampaign(twin.path(), next_, 7), CampaignOutcome::Completed);
        after_ = test::snapshot(twin.path() / "atlas");
        ASSERT_TRUE(after_ != before_);
    }

    fs::path atlas() const { return root_.path() / "atlas"; }

    // The previous campaign, the single mission, a modder's notes and folder, and an old campaign.ini.
    void makePrevious(const fs::path& root)
    {
        FileFaults::reset();
        fs::remove_all(root / "atlas");
        ASSERT_EQ(writeCampaign(root, previous_, 3), CampaignOutcome::Completed);
        test::writeFile(root / "atlas" / "notes.txt", "a modder's notes");
        test::writeFile(root / "atlas" / "SingleCity.ini", "single mission");
        test::writeFile(root / "atlas" / "SingleCityPLAN.bmp", "single plan");
        test::writeFile(root / "atlas" / "campaign.ini", "older format");
        fs::create_directories(root / "atlas" / "mods");
        test::writeFile(root / "atlas" / "mods" / "readme.txt", "mod");
    }

    test::TempDir root_;
    Campaign previous_;
    Campaign next_;
    test::Snapshot before_;
    test::Snapshot after_;
    FaultGuard guard_;
};

TEST_F(CampaignFaults, ReplacesOnlyThePreviousCampaignsFiles)
{
    // What a fault-free run leaves: the new campaign, the other files kept,
    // the old cities gone, campaign.ini removed.
    for (const char* kept : {"notes.txt", "SingleCity.ini", "SingleCityPLAN.bmp", "mods", "mods/readme.txt", ".lock"})
        EXPECT_EQ(after_.at(kept), before_.at(kept)) << kept;
    EXPECT_EQ(after_.count("campaign.ini"), 0u);
    const std::vector<std::string> next = cityNames(next_);
    for (const std::string& name : cityNames(previous_))
        EXPECT_EQ(after_.count(name + ".ini") == 1, std::count(next.begin(), next.end(), name) == 1) << name;
    for (const std::string& name : next)
        for (const char* suffix : {".ini", "PLAN.bmp", "GROUND.bmp", "HIGHT.bmp"})
            EXPECT_EQ(after_.count(name + suffix), 1u) << name << suffix;
    EXPECT_EQ(IniFile::parse(after_.at("start.ini").substr(5)).readString("1", "Name", ""), cityNames(next_)[0]);
    EXPECT_EQ(after_.size(), 6u + 2u + 4u * next.size());
}

// Fails operation k = 1, 2, ... of a whole campaign (two cities and the
// headquarters replacing another such campaign) until a run makes fewer
// operations than k.
TEST_F(CampaignFaults, EveryFailingOperationLeavesThePreviousCampaign)
{
    FileFaults::reset();
    {
        test::TempDir twin;
        makePrevious(twin.path());
        FileFaults::reset();
        ASSERT_EQ(writeCampaign(twin.path(), next_, 7), CampaignOutcome::Completed);
    }
    const long total = FileFaults::operationCount();
    RecordProperty("operations", static_cast<int>(total));
    int failures = 0;
    for (long k = 1; k <= total + 1; ++k) {
        FileFaults::failOperations({k}, EIO);
        std::string message;
        CampaignOutcome outcome{};
        try {
            outcome = writeCampaign(root_.path(), next_, 7);
        } catch (const VantorError& e) {
            message = e.what();
        }
        const long made = FileFaults::operationCount();
        FileFaults::reset();
        const test::Snapshot now = test::snapshot(atlas());
        if (!message.empty()) {
            ++failures;
            EXPECT_TRUE(now == before_) << "k=" << k << " " << message << ":" << test::difference(before_, now);
            EXPECT_NE(message.find(atlas().string()), std::string::npos) << message;
            EXPECT_NE(message.find(std::strerror(EIO)), std::string::npos) << message;
            continue;
        }
        ASSERT_EQ(outcome, CampaignOutcome::Completed);
        if (made < k) {
            EXPECT_EQ(k, total + 1);
            EXPECT_TRUE(now == after_) << test::difference(after_, now);
            break;
        }
        // A failure after the commit point (deleting a parked old file or
        // the staging folder) is not a failed campaign: the new files are
        // in place, and the next writer removes the leftovers.
        EXPECT_TRUE(test::withoutLeftovers(now) == after_)
            << "k=" << k << test::difference(after_, test::withoutLeftovers(now));
        {
            AtlasDirectory directory(atlas());
            directory.beginWriting();
        }
        EXPECT_TRUE(test::snapshot(atlas()) == after_) << "k=" << k;
        makePrevious(root_.path());
        ASSERT_TRUE(test::snapshot(atlas()) == before_);
    }
    EXPECT_GT(failures, 50);
}

TEST_F(CampaignFaults, CancelKeepsThePreviousCampaign)
{
    for (const int before : {1, 2, 3, 4}) { // before a city, or (4) before the move into place
        EXPECT_EQ(writeCampaign(root_.path(), next_, 7, before), CampaignOutcome::Cancelled);
        EXPECT_TRUE(test::snapshot(atlas()) == before_) << before << test::difference(before_, test::snapshot(atlas()));
    }
}

TEST_F(CampaignFaults, NotEnoughFreeSpaceChangesNothing)
{
    FileFaults::setFreeSpace(100000);
    try {
        writeCampaign(root_.path(), next_, 7);
        ADD_FAILURE() << "a campaign was written on a full disk";
    } catch (const VantorError& e) {
        EXPECT_NE(std::string(e.what()).find("Not enough free space in " + atlas().string()), std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(test::snapshot(atlas()) == before_);
    // The estimate is an upper bound: what the campaign really takes fits in it.
    std::uint64_t written = 0;
    for (const auto& [name, content] : after_)
        if (before_.count(name) == 0 || before_.at(name) != content)
            written += content.size();
    FileFaults::setFreeSpace(written);
    EXPECT_THROW(writeCampaign(root_.path(), next_, 7), VantorError) << "no margin for the directory blocks";
    FileFaults::setFreeSpace(written * 2);
    EXPECT_EQ(writeCampaign(root_.path(), next_, 7), CampaignOutcome::Completed);
}

TEST_F(CampaignFaults, SecondWriterIsRefusedWhileTheLockIsHeld)
{
    AtlasDirectory other(atlas());
    other.lock();
    try {
        writeCampaign(root_.path(), next_, 7);
        ADD_FAILURE() << "written while another writer held the lock";
    } catch (const VantorError& e) {
        EXPECT_EQ(std::string(e.what()), "Another Vantor is writing " + atlas().string());
    }
    EXPECT_TRUE(test::snapshot(atlas()) == before_);
}

TEST_F(CampaignFaults, DirectoryInTheWayFailsBeforeAnyFileMoves)
{
    // A new city's name that the previous campaign does not use.
    const std::vector<std::string> old = cityNames(previous_);
    std::string last;
    for (const std::string& name : cityNames(next_))
        if (std::find(old.begin(), old.end(), name) == old.end())
            last = name + "HIGHT.bmp";
    ASSERT_FALSE(last.empty());
    fs::create_directories(atlas() / last);
    before_ = test::snapshot(atlas());
    try {
        writeCampaign(root_.path(), next_, 7);
        ADD_FAILURE() << "written over a directory";
    } catch (const VantorError& e) {
        EXPECT_NE(std::string(e.what()).find((atlas() / last).string()), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(std::strerror(EISDIR)), std::string::npos) << e.what();
    }
    EXPECT_TRUE(test::snapshot(atlas()) == before_) << test::difference(before_, test::snapshot(atlas()));
}

// Without a readable start.ini nothing but the new campaign's own names is
// replaced; names in start.ini that are not city names are never touched.
TEST_F(CampaignFaults, OnlyNamesOfAReadableStartIniAreRemoved)
{
    test::TempDir root;
    fs::create_directories(root.path() / "atlas");
    test::writeFile(root.path() / "outside.ini", "outside");
    test::writeFile(root.path() / "atlas" / "start.ini",
                    "[General]\r\nNumber of cities=3\r\n[1]\r\nName=../outside\r\n[2]\r\nName=Stray\r\n[3]\r\n"
                    "Name=singlecity\r\n");
    test::writeFile(root.path() / "atlas" / "Stray.ini", "stray");
    test::writeFile(root.path() / "atlas" / "SingleCity.ini", "single");
    test::writeFile(root.path() / "atlas" / "Unnamed.ini", "unnamed");
    ASSERT_EQ(writeCampaign(root.path(), next_, 7), CampaignOutcome::Completed);
    EXPECT_EQ(test::readFile(root.path() / "outside.ini"), "outside");
    EXPECT_FALSE(fs::exists(root.path() / "atlas" / "Stray.ini"));
    EXPECT_EQ(test::readFile(root.path() / "atlas" / "SingleCity.ini"), "single");
    EXPECT_EQ(test::readFile(root.path() / "atlas" / "Unnamed.ini"), "unnamed");
}

// A previous start.ini that names one city twice (exactly, or in another
// letter case), or a city after one of the program's own files: each name is
// retired once, the program's own names never as a city's, and the new
// campaign is written. Files the old start.ini no longer names stay.
TEST_F(CampaignFaults, RepeatedAndOwnNamesInThePreviousStartIni)
{
    const std::vector<std::string> old = cityNames(previous_);
    std::string upper = old[0];
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const struct {
        const char* what;
        std::string second; // the new name of the previous campaign's second city
        std::vector<std::string> planted; // files planted under that name
    } cases[] = {
        {"the same name twice", old[0], {}},
        {"the same name in capitals", upper, {upper + ".ini", upper + "PLAN.bmp"}},
        {"a city called campaign", "campaign", {"campaignPLAN.bmp", "campaignHIGHT.bmp"}},
        {"a city called Start", "Start", {"StartPLAN.bmp"}},
    };
    for (const auto& c : cases) {
        makePrevious(root_.path());
        // Where letter case does not tell names apart, the capitals are the city's own files.
        if (c.second == upper && !test::namesDifferByCase(atlas()))
            continue;
        std::string start = test::readFile(atlas() / "start.ini");
        const std::string from = "Name=" + old[1] + "\r\n";
        ASSERT_NE(start.find(from), std::string::npos);
        start.replace(start.find(from), from.size(), "Name=" + c.second + "\r\n");
        test::writeFile(atlas() / "start.ini", start);
        for (const std::string& name : c.planted)
            test::writeFile(atlas() / name, "planted");
        const test::Snapshot previous = test::snapshot(atlas());
        ASSERT_EQ(writeCampaign(root_.path(), next_, 7), CampaignOutcome::Completed) << c.what;
        // The new campaign, and the files the edited start.ini no longer
        // names (the second city's own four, the planted ones) kept.
        test::Snapshot expected = after_;
        for (const char* suffix : {".ini", "PLAN.bmp", "GROUND.bmp", "HIGHT.bmp"})
            if (expected.count(old[1] + suffix) == 0)
                expected[old[1] + suffix] = previous.at(old[1] + suffix);
        for (const std::string& name : c.planted)
            if (expected.count(name) == 0)
                expected[name] = "file:planted";
        EXPECT_TRUE(test::snapshot(atlas()) == expected) << c.what << test::difference(expected, test::snapshot(atlas()));
    }
}

TEST(AtlasDirectory, LeftoversOfAKilledRunAreRemovedOnlyUnderTheLock)
{
    test::TempDir root;
    const fs::path atlas = root.path() / "atlas";
    fs::create_directories(atlas / ".vantor-staging-AbCdEf12" / "retired");
    test::writeFile(atlas / ".vantor-staging-AbCdEf12" / "start.ini", "half");
    test::writeFile(atlas / ".vantor-staging-AbCdEf12" / "retired" / "x.ini", "old");
    test::writeFile(atlas / ".vantor-tmp-XyZ98765.SingleCity.ini", "half");
    test::writeFile(atlas / ".vantor-old-XyZ98765.SingleCity.ini", "parked by a commit that went through");
    fs::create_directories(root.path() / "elsewhere");
    test::writeFile(root.path() / "elsewhere" / "keep.txt", "keep");
    // A link with a staging folder's name is removed as a link, never followed
    // (where the system lets the test make one).
    if (test::symlinksAvailable())
        test::createSymlink(root.path() / "elsewhere", atlas / ".vantor-staging-LinkLink", true);
    for (const char* kept : {".vantor-tmp", ".vantor-stagingX", ".vantor-old-1234567", "vantor-tmp-AbCdEf12.ini", "notes.txt"})
        test::writeFile(atlas / kept, "kept");
    const test::Snapshot before = test::snapshot(atlas);
    {
        AtlasDirectory directory(atlas);
        directory.removeLeftovers(); // not locked: nothing happens
        EXPECT_TRUE(test::snapshot(atlas) == before);
        directory.lock();
        directory.removeLeftovers();
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(atlas))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".lock", ".vantor-old-1234567", ".vantor-stagingX", ".vantor-tmp",
                                               "notes.txt", "vantor-tmp-AbCdEf12.ini"}));
    EXPECT_EQ(test::readFile(root.path() / "elsewhere" / "keep.txt"), "keep");
}

TEST(AtlasDirectory, LinksAreNeverWrittenThrough)
{
    if (!test::symlinksAvailable())
        GTEST_SKIP() << test::kNoSymlinks;
    test::TempDir root;
    const fs::path atlas = root.path() / "atlas";
    fs::create_directories(atlas);
    test::writeFile(root.path() / "outside.txt", "outside");
    // A link at a final name is replaced, never followed.
    test::createSymlink(root.path() / "outside.txt", atlas / "SingleCity.ini");
    // A link at the lock's name is refused.
    test::createSymlink(root.path() / "outside.txt", atlas / ".lock");
    {
        AtlasDirectory directory(atlas);
        EXPECT_THROW(directory.lock(), VantorError);
        FileSet set(directory);
        const std::string text = "new";
        set.add("SingleCity.ini", std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        set.commit();
    }
    EXPECT_EQ(test::readFile(root.path() / "outside.txt"), "outside");
    EXPECT_FALSE(test::isSymlink(atlas / "SingleCity.ini"));
    EXPECT_EQ(test::readFile(atlas / "SingleCity.ini"), "new");
#ifndef _WIN32
    // The exclusive create refuses an existing link or file.
    EXPECT_LT(fileio::createExclusive(AT_FDCWD, (atlas / ".lock").c_str()), 0);
    EXPECT_EQ(errno, EEXIST);
#endif
    EXPECT_EQ(test::readFile(root.path() / "outside.txt"), "outside");
}

} // namespace
} // namespace vantor
