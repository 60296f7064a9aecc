#include "campaign/CampaignWriter.hpp"
#include "campaign/MoonMap.hpp"
#include "shell/IniFile.hpp"
#include "shell/IniWriter.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <set>

namespace vantor {
namespace {

// Records the city editor's controls as each campaign city is generated,
// and can stop the campaign before a given city.
class RecordingProgress final : public CampaignProgress {
public:
    explicit RecordingProgress(const CityEditorModel& editor, int cancelBeforeCity = -1)
        : editor_(editor), cancelBefore_(cancelBeforeCity)
    {
    }
    void setTask(std::string_view text) override
    {
        if (text.find("generating") != std::string_view::npos)
            seen.push_back(editor_.params());
    }
    void setTaskProgress(int) override {}
    void pump() override {}
    void setTotalProgress(int) override {}
    bool cancelRequested() override { return ++asked_ == cancelBefore_; }

    std::vector<GenerationParams> seen;

private:
    const CityEditorModel& editor_;
    int cancelBefore_;
    int asked_ = 0;
};

Campaign laidOut(std::uint32_t seed)
{
    return test::laidOutCampaign(seed);
}

struct Written {
    CampaignOutcome outcome;
    std::vector<GenerationParams> cities;
};

Written writeCampaign(const test::TempDir& root, const Campaign& campaign, const CampaignSettings& settings,
                      std::uint32_t seed, int cancelBeforeCity = -1, bool overwrite = true)
{
    CityEditorModel editor;
    test::attachData(editor);
    RecordingProgress progress(editor, cancelBeforeCity);
    RandomSource random(seed);
    const CampaignOutcome outcome =
        CampaignWriter::write(campaign, settings, editor, root.path(), random, progress, [overwrite] { return overwrite; });
    return {outcome, progress.seen};
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    return out;
}

TEST(IniWriter, RealsAndTheAppendRule)
{
    EXPECT_EQ(IniWriter::formatReal(100.0), "100");
    EXPECT_EQ(IniWriter::formatReal(static_cast<double>(0.123f)), "0.123000003397465");
    EXPECT_EQ(IniWriter::formatReal(-0.25), "-0.25");
    IniWriter ini;
    ini.write("General", "a", 1);
    ini.write("Other", "b", 2);
    ini.write("General", "c", 3);
    EXPECT_EQ(ini.text(), "[General]\r\na=1\r\nc=3\r\n[Other]\r\nb=2\r\n");
}

TEST(CampaignWriter, WritesEveryCityStartIniAndMoonMap)
{
    test::TempDir root;
    std::filesystem::create_directories(root.path() / "atlas" / "keep-dir");
    test::writeFile(root.path() / "atlas" / "SingleCity.ini", "single");
    test::writeFile(root.path() / "atlas" / "OldCity.ini", "old");
    test::writeFile(root.path() / "outside.txt", "outside");
    // A modder's link stays as it is (where the system lets the test make one).
    const bool linked = test::symlinksAvailable();
    if (linked)
        test::createSymlink(root.path() / "outside.txt", root.path() / "atlas" / "link.txt");

    const Campaign campaign = laidOut(3);
    CampaignSettings settings;
    settings.maxHouseDensity = 25;
    settings.limitedLights = true;
    settings.largeCities = false;
    const Written written = writeCampaign(root, campaign, settings, 11);
    ASSERT_EQ(written.outcome, CampaignOutcome::Completed);

    const auto atlas = root.path() / "atlas";
    EXPECT_EQ(test::readFile(atlas / "SingleCity.ini"), "single");
    EXPECT_EQ(test::readFile(atlas / "OldCity.ini"), "old") << "no previous start.ini names it";
    EXPECT_TRUE(std::filesystem::is_directory(atlas / "keep-dir"));
    EXPECT_TRUE(!linked || test::isSymlink(atlas / "link.txt"));
    EXPECT_EQ(test::readFile(root.path() / "outside.txt"), "outside");
    EXPECT_TRUE(std::filesystem::exists(atlas / "moon.bmp"));
    for (int i = 1; i <= 31; ++i) {
        const std::string& name = campaign.cities[static_cast<std::size_t>(i)].name;
        for (const char* suffix : {".ini", "PLAN.bmp", "GROUND.bmp", "HIGHT.bmp"})
            EXPECT_TRUE(std::filesystem::exists(atlas / (name + suffix))) << name << suffix;
    }

    // Per-city controls: the settings' limits hold for every city.
    ASSERT_EQ(written.cities.size(), 31u);
    // The drawn controls stay in their ranges; an objective's road density
    // and the city record's rebels, terminals and car and weapon come through.
    for (std::size_t k = 0; k < written.cities.size(); ++k) {
        const GenerationParams& p = written.cities[k];
        const CampaignCity& city = campaign.cities[k + 1];
        SCOPED_TRACE(p.cityName);
        EXPECT_EQ(p.cityName, city.name);
        EXPECT_NE(p.lampChoice, 1);
        EXPECT_GE(p.lampChoice, 0);
        EXPECT_LE(p.lampChoice, 3);
        EXPECT_GE(p.houseDensityPosition, 0);
        EXPECT_LT(p.houseDensityPosition, 25);
        EXPECT_GE(p.hillnessPosition, 0);
        EXPECT_LE(p.hillnessPosition, 99);
        if (city.forcedRoadDensity != -1) {
            EXPECT_EQ(p.roadDensityPosition, city.forcedRoadDensity);
        } else {
            EXPECT_GE(p.roadDensityPosition, 30);
            EXPECT_LE(p.roadDensityPosition, 99);
        }
        EXPECT_EQ(p.rebelsPosition, city.rebels);
        EXPECT_EQ(p.hangarNW, city.linkedNW);
        EXPECT_EQ(p.hangarNE, city.linkedNE);
        EXPECT_EQ(p.hangarSE, city.linkedSE);
        EXPECT_EQ(p.hangarSW, city.linkedSW);
        EXPECT_EQ(p.fakeCarIndex, city.fakeCarIndex);
        EXPECT_EQ(p.fakeGunIndex, city.fakeGunIndex);
        EXPECT_LE(p.sizeChoice, city.landmark == "Fort" || city.landmark == "Excavation" || city.landmark == "RebelHQ" ? 3 : 2)
            << "large cities off";
    }

    const std::string text = test::readFile(atlas / "start.ini");
    const std::vector<std::string> l = lines(text);
    const std::vector<std::string> general{"[General]", "Number of cities=31", "Location from=1", "Location to=-2",
                                           "Location lastPos=Spaceport", "Cash=100", "HealthBody=100",
                                           "HealthWheelFL=20", "HealthWheelFR=20", "HealthWheelBL=20",
                                           "HealthWheelBR=20", "NumTasks=14", "[Healthes]", "0=100", "1=20", "2=20",
                                           "3=20", "4=20", "[1]"};
    ASSERT_GE(l.size(), general.size());
    EXPECT_EQ(std::vector<std::string>(l.begin(), l.begin() + 19), general);
    const std::vector<std::string> cityKeys{"Name", "MoonX", "MoonY", "Size", "Landmark", "Explored", "Rebels",
                                            "Neighbour NW", "Neighbour NE", "Neighbour SW", "Neighbour SE"};
    for (std::size_t k = 0; k < cityKeys.size(); ++k)
        EXPECT_EQ(l[19 + k].substr(0, l[19 + k].find('=')), cityKeys[k]);

    const IniFile ini = IniFile::parse(text);
    for (int i = 1; i <= 31; ++i) {
        const std::string s = std::to_string(i);
        EXPECT_EQ(ini.readInteger(s, "Explored", -1), i == 1 ? 1 : 0);
        const std::string landmark = ini.readString(s, "Landmark", "");
        const int size = ini.readInteger(s, "Size", -1);
        if (landmark == "Spaceport") {
            EXPECT_EQ(size, 2) << "large cities off";
        } else if (landmark == "Fort" || landmark == "Excavation" || landmark == "RebelHQ") {
            EXPECT_EQ(size, 3);
        } else if (landmark == "Parking") {
            EXPECT_EQ(size, 0);
        }
    }
    EXPECT_EQ(ini.readString("31", "Name", ""), "Rebel Headquarters");
    EXPECT_EQ(ini.readString("31", "Landmark", ""), "RebelHQ");
    EXPECT_EQ(ini.readString("Task14", "Destination", ""), "none");
    EXPECT_EQ(ini.readString("Task2", "Destination", ""), campaign.cities[2].name);
    const std::vector<std::string> taskKeys{"Found", "Completed", "Heading", "Text", "Destination", "StartCity",
                                            "Reward", "CarsToKill", "CarsTypeToKill", "GunToBuy", "CarToBuy",
                                            "NeedLandmark"};
    const auto task1 = std::find(l.begin(), l.end(), "[Task1]");
    ASSERT_NE(task1, l.end());
    for (std::size_t k = 0; k < taskKeys.size(); ++k)
        EXPECT_EQ(task1[static_cast<std::ptrdiff_t>(k) + 1].substr(0, taskKeys[k].size() + 1), taskKeys[k] + "=");

    // A city without landmark is generated with the box off and the kind back
    // at Spaceport, whatever city came before it.
    for (int i = 1; i <= 31; ++i) {
        const CampaignCity& city = campaign.cities[static_cast<std::size_t>(i)];
        const std::string cityFile = test::readFile(atlas / (city.name + ".ini"));
        if (city.landmark == "None") {
            EXPECT_NE(cityFile.find("Landmark=0\r\nLandmark name=Spaceport\r\n"), std::string::npos) << city.name;
            EXPECT_EQ(written.cities[static_cast<std::size_t>(i - 1)].landmarkKind, LandmarkKind::Spaceport);
        } else {
            EXPECT_NE(cityFile.find("Landmark name=" + city.landmark + "\r\n"), std::string::npos) << city.name;
        }
    }
}

TEST(CampaignWriter, ExistingCampaignIsKeptWhenDeclinedOrCancelled)
{
    test::TempDir root;
    std::filesystem::create_directories(root.path() / "atlas");
    test::writeFile(root.path() / "atlas" / "start.ini", "previous");
    test::writeFile(root.path() / "atlas" / "Other.ini", "previous city");
    const Campaign campaign = laidOut(5);
    const Written declined = writeCampaign(root, campaign, {}, 1, -1, false);
    EXPECT_EQ(declined.outcome, CampaignOutcome::Declined);
    EXPECT_EQ(test::readFile(root.path() / "atlas" / "start.ini"), "previous");
    EXPECT_EQ(test::readFile(root.path() / "atlas" / "Other.ini"), "previous city");
    EXPECT_TRUE(declined.cities.empty());

    const Written cancelled = writeCampaign(root, campaign, {}, 1, 3);
    EXPECT_EQ(cancelled.outcome, CampaignOutcome::Cancelled);
    EXPECT_EQ(cancelled.cities.size(), 2u);
    // Cancel keeps the previous campaign: the same two files and nothing else.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root.path() / "atlas"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".lock", "Other.ini", "start.ini"}));
    EXPECT_EQ(test::readFile(root.path() / "atlas" / "start.ini"), "previous");
    EXPECT_EQ(test::readFile(root.path() / "atlas" / "Other.ini"), "previous city");
    EXPECT_NE(CampaignWriter::messageText(CampaignOutcome::Cancelled, Language::English).find("previous campaign"),
              std::string::npos);
    EXPECT_NE(CampaignWriter::messageText(CampaignOutcome::Cancelled, Language::Czech).find("zůstala beze změny"),
              std::string::npos);
}

} // namespace
} // namespace vantor
