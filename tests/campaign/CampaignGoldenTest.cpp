// Whole campaigns pinned and cross-checked. For known seeds and settings,
// vantor-cli writes a campaign; start.ini must match its golden copy byte
// for byte and moon.bmp and every city file their golden hashes (in
// tests/data/goldens/<case>/; see GoldenFiles.hpp to rewrite them after an
// intended change). Every written campaign is then checked as the game reads
// it: each city file against its section of start.ini (size, landmark,
// rebels, a terminal in each corner a link leaves from) and against the
// objectives that send the player there.

#include "GoldenFiles.hpp"
#include "TestSupport.hpp"

#include "city/GenerationParams.hpp"
#include "cityfiles/CityDescriptionFile.hpp"
#include "shell/IniFile.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <set>

namespace vantor {
namespace {

struct GoldenCampaign {
    const char* name; // folder under tests/data/goldens
    const char* configIni;
    std::vector<std::string> options;
    bool largeCities;
    bool limitedLights;
    int maxHouseDensity;
};

const GoldenCampaign kGoldenCampaigns[] = {
    {"campaign-seed1", "", {"--seed", "1"}, true, false, 70},
    {"campaign-seed4294967295-limits",
     "",
     {"--seed", "4294967295", "--large-cities", "off", "--limited-lights", "on", "--max-house-density", "25"},
     false,
     true,
     25},
    {"campaign-seed77-czech",
     "[General]\r\nLanguage=Cze\r\n",
     {"--seed", "77", "--large-cities", "off", "--max-house-density", "100"},
     false,
     false,
     100},
};

// The four corners a link can leave from: the start.ini key, the city
// file's flag, the corner cell (in units of the city's last index) and the
// key of the link back.
struct Corner {
    const char* neighbourKey;
    const char* hangarKey;
    int i;
    int j;
    const char* backKey;
};
constexpr std::array<Corner, 4> kCorners{{
    {"Neighbour NW", "Hangar NW", 0, 0, "Neighbour SE"},
    {"Neighbour NE", "Hangar NE", 1, 0, "Neighbour SW"},
    {"Neighbour SW", "Hangar SW", 0, 1, "Neighbour NE"},
    {"Neighbour SE", "Hangar SE", 1, 1, "Neighbour NW"},
}};

// What each objective needs of the city it sends the player to.
struct Need {
    int task;
    bool atDestination; // the Destination city; otherwise the StartCity
    const char* landmark;
    int rebels;
    int gun; // the weapon on offer, or -2 when the objective does not care
    int car; // the car on offer, or -2
};
constexpr Need kNeeds[] = {
    {2, false, "Spaceport", 0, -2, -2},     {3, false, nullptr, 80, -2, -2},      {4, true, "Garage", 60, -2, -2},
    {5, true, "Spaceport", 0, -2, -2},      {6, true, "Gunshop", 65, 1, -2},      {7, true, "Gunshop", 70, 2, -2},
    {8, true, "Carshop", 100, -2, 1},       {9, true, "Carshop", 50, -2, 2},      {10, false, "Fort", 90, -2, 4},
    {11, false, "Lab", 90, -2, 3},          {12, false, "Parking", 90, -2, 5},    {13, false, "Excavation", 90, -2, -1},
    {14, false, "RebelHQ", 100, -2, -1},
};

int littleEndian32(const std::string& bytes, std::size_t at)
{
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(k)));
    return static_cast<int>(v);
}

// Checks a written campaign as the game reads it.
void crossCheck(const std::filesystem::path& atlas, const GoldenCampaign& settings)
{
    const IniFile start = IniFile::parse(test::readFile(atlas / "start.ini"));
    const int count = start.readInteger("General", "Number of cities", -1);
    ASSERT_GE(count, 31);
    std::map<std::string, int> indexOf;
    std::map<std::string, IniFile> cityFiles;
    std::set<int> claimed;
    for (int i = 1; i <= count; ++i) {
        const std::string s = std::to_string(i);
        const std::string name = start.readString(s, "Name", "");
        SCOPED_TRACE("city " + s + " " + name);
        ASSERT_FALSE(name.empty());
        ASSERT_TRUE(indexOf.emplace(name, i).second) << "names are unique";
        const IniFile city = IniFile::load(atlas / (name + ".ini"));
        cityFiles.emplace(name, city);
        const int sizeChoice = start.readInteger(s, "Size", -1);
        ASSERT_GE(sizeChoice, 0);
        ASSERT_LE(sizeChoice, 3);
        const int last = kSizeByChoice[static_cast<std::size_t>(sizeChoice)];
        EXPECT_EQ(city.readInteger("General", "Size", -1), last);
        EXPECT_EQ(city.readInteger("General", "Rebels", -1), start.readInteger(s, "Rebels", -2));
        const std::string landmark = start.readString(s, "Landmark", "");
        if (landmark == "None") {
            EXPECT_EQ(city.readInteger("General", "Landmark", -1), 0);
        } else {
            EXPECT_EQ(city.readInteger("General", "Landmark", -1), 1);
            EXPECT_EQ(city.readString("General", "Landmark name", ""), landmark);
        }

        // Sizes: the mission layouts have their own, every other city is
        // drawn Medium or Large, and Large only when large cities are on.
        static const std::map<std::string, int> kLayoutSizes{
            {"Fort", 3}, {"Excavation", 3}, {"RebelHQ", 3}, {"Lab", 2}, {"Parking", 0}};
        if (const auto layout = kLayoutSizes.find(landmark); layout != kLayoutSizes.end()) {
            EXPECT_EQ(sizeChoice, layout->second);
        } else if (landmark == "Spaceport") {
            EXPECT_EQ(sizeChoice, settings.largeCities ? 3 : 2);
        } else {
            EXPECT_TRUE(sizeChoice == 2 || (sizeChoice == 3 && settings.largeCities)) << sizeChoice;
        }

        // Pictures of the size the description file gives.
        for (const auto& [suffix, pixelsPerCell] : {std::pair{"PLAN.bmp", 10}, {"GROUND.bmp", 32}, {"HIGHT.bmp", 2}}) {
            const std::string bmp = test::readFile(atlas / (name + suffix));
            ASSERT_GT(bmp.size(), 26u) << suffix;
            EXPECT_EQ(littleEndian32(bmp, 18), (last + 1) * pixelsPerCell) << suffix;
            EXPECT_EQ(std::abs(littleEndian32(bmp, 22)), (last + 1) * pixelsPerCell) << suffix;
        }

        // Links: symmetric, inside 1..N, and a terminal in the corner each leaves from.
        const auto structureAt = [&city, last](const Corner& c) {
            return city.readString(std::to_string(c.i * last) + "x" + std::to_string(c.j * last), "Structure", "");
        };
        for (const Corner& c : kCorners) {
            const int neighbour = start.readInteger(s, c.neighbourKey, -2);
            ASSERT_TRUE(neighbour == -1 || (neighbour >= 1 && neighbour < count)) << c.neighbourKey << neighbour;
            if (neighbour > 0) {
                EXPECT_EQ(start.readInteger(std::to_string(neighbour), c.backKey, -2), i) << c.neighbourKey;
            }
            EXPECT_EQ(city.readInteger("General", c.hangarKey, -1), neighbour > 0 ? 1 : 0) << c.hangarKey;
            // A road square broken at a corner may put a building on its terminal; nothing else may stand there.
            const std::string structure = structureAt(c);
            if (neighbour > 0) {
                EXPECT_TRUE(structure == "Hangar" || structure.starts_with("House") || structure.starts_with("City"))
                    << c.hangarKey << " holds " << structure;
            } else {
                EXPECT_NE(structure, "Hangar") << c.hangarKey;
            }
        }
    }
    EXPECT_EQ(start.readString(std::to_string(count), "Name", ""), "Rebel Headquarters");

    // Objectives: each sends the player to a city that has what it needs.
    for (const Need& need : kNeeds) {
        const std::string task = "Task" + std::to_string(need.task);
        SCOPED_TRACE(task);
        const std::string name = start.readString(task, need.atDestination ? "Destination" : "StartCity", "");
        ASSERT_EQ(indexOf.count(name), 1u) << "names a city of the campaign: " << name;
        const int index = indexOf[name];
        const IniFile& city = cityFiles.at(name);
        const std::string section = std::to_string(index);
        if (need.landmark != nullptr) {
            EXPECT_EQ(start.readString(section, "Landmark", ""), need.landmark) << name;
        }
        EXPECT_EQ(start.readInteger(section, "Rebels", -1), need.rebels) << name;
        if (need.gun != -2) {
            EXPECT_EQ(city.readInteger("General", "Fakegunindex", -3), need.gun) << name;
            EXPECT_EQ(start.readInteger(task, "GunToBuy", -3), need.gun);
        }
        if (need.car != -2) {
            EXPECT_EQ(city.readString("General", "Fakecarname", ""), CityDescriptionFile::carName(need.car)) << name;
            EXPECT_EQ(start.readInteger(task, "CarToBuy", -3), need.car);
        }
        if (need.task >= 3) {
            EXPECT_TRUE(claimed.insert(index).second || need.task == 5) << "no two objectives shape one city";
        }
    }
    // Cities no objective shapes keep the layout's rebel levels, 30..79.
    for (int i = 2; i < count; ++i) {
        if (claimed.count(i) != 0)
            continue;
        const int rebels = start.readInteger(std::to_string(i), "Rebels", -1);
        EXPECT_GE(rebels, 30) << "city " << i;
        EXPECT_LE(rebels, 79) << "city " << i;
    }
}

void PrintTo(const GoldenCampaign& golden, std::ostream* out)
{
    *out << golden.name;
}

class GoldenCampaigns : public testing::TestWithParam<GoldenCampaign> {};

TEST_P(GoldenCampaigns, StartIniBytesAndFileHashes)
{
    const GoldenCampaign& golden = GetParam();
    test::TempDir root;
    test::linkData(root.path());
    if (*golden.configIni != '\0')
        test::writeFile(root.path() / "config.ini", golden.configIni);
    std::vector<std::string> args{"campaign", "--root", root.path().string()};
    args.insert(args.end(), golden.options.begin(), golden.options.end());
    const test::ProcessResult r = test::runCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.output;

    const std::filesystem::path atlas = root.path() / "atlas";
    test::HashManifest files;
    for (const auto& entry : std::filesystem::directory_iterator(atlas)) {
        const std::string file = entry.path().filename().string();
        if (file != "start.ini" && !file.starts_with(".") && entry.is_regular_file())
            files[file] = test::hashLine(test::readFile(entry.path()));
    }
    EXPECT_EQ(files.size(), 4u * 31 + 1) << "moon.bmp and four files for each of 31 cities";
    const std::string folder = std::string(golden.name) + "/";
    const std::string startDiff = test::compareWithGolden(folder + "start.ini", test::readFile(atlas / "start.ini"));
    EXPECT_TRUE(startDiff.empty()) << startDiff;
    const std::string filesDiff = test::compareWithGolden(folder + "files.txt", test::formatManifest(files));
    EXPECT_TRUE(filesDiff.empty()) << filesDiff;

    crossCheck(atlas, golden);
}

INSTANTIATE_TEST_SUITE_P(GoldenFiles, GoldenCampaigns, testing::ValuesIn(kGoldenCampaigns),
                         [](const testing::TestParamInfo<GoldenCampaign>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
} // namespace vantor
