// The atlas check: a campaign and single mission just written are sound for
// every seed and setting tried; each kind of damage a hand edit or a broken
// copy can do is found, named with its file and line.

#include "campaign/AtlasChecker.hpp"
#include "campaign/CampaignWriter.hpp"
#include "campaign/MoonMap.hpp"
#include "shell/BmpFile.hpp"
#include "shell/IniFile.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <functional>

namespace vantor {
namespace {

namespace fs = std::filesystem;

using QuietProgress = test::QuietCampaignProgress;

void writeCampaign(const fs::path& root, std::uint32_t seed, int cities, int districts, const CampaignSettings& settings)
{
    RandomSource random(seed);
    const Campaign campaign = test::laidOutCampaign(random, cities, districts);
    CityEditorModel editor;
    test::attachData(editor);
    QuietProgress progress;
    ASSERT_EQ(CampaignWriter::write(campaign, settings, editor, root, random, progress, [] { return true; }),
              CampaignOutcome::Completed);
}

void writeSingleMission(const fs::path& root, std::uint32_t seed, int sizeChoice)
{
    CityEditorModel editor;
    test::attachData(editor);
    editor.setSizeChoice(sizeChoice);
    RandomSource random(seed);
    QuietProgress progress;
    editor.generate(random, progress);
    editor.save(root, progress);
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

// ---- Fresh files are sound ---------------------------------------------------

struct FreshCase {
    std::uint32_t seed;
    int cities;
    int districts;
    CampaignSettings settings;
    int singleMissionSize; // size choice 0..3, -1 for none
    const char* summary;
};

TEST(AtlasChecker, FreshCampaignsAndSingleMissionsAreSound)
{
    const FreshCase cases[] = {
        {1, 30, 6, {70, false, false}, 0, "atlas/ is sound: 31 cities, start.ini, moon.bmp, single mission"},
        {2, 30, 6, {25, false, true}, -1, "atlas/ is sound: 31 cities, start.ini, moon.bmp, no single mission"},
        {3, 31, 6, {100, true, false}, 1, "atlas/ is sound: 32 cities, start.ini, moon.bmp, single mission"},
        {4, 36, 7, {70, false, true}, 2, "atlas/ is sound: 37 cities, start.ini, moon.bmp, single mission"},
        {5, 55, 15, {40, false, false}, 3, "atlas/ is sound: 76 cities, start.ini, moon.bmp, single mission"},
    };
    for (const FreshCase& c : cases) {
        SCOPED_TRACE("seed " + std::to_string(c.seed));
        test::TempDir root;
        if (c.singleMissionSize >= 0)
            writeSingleMission(root.path(), c.seed, c.singleMissionSize);
        writeCampaign(root.path(), c.seed, c.cities, c.districts, c.settings);
        const AtlasReport report = AtlasChecker::check(root.path());
        EXPECT_TRUE(report.sound()) << joined(report.findings);
        EXPECT_EQ(report.summary(), c.summary);
    }
}

TEST(AtlasChecker, NoCampaignNoSingleMissionNoAtlas)
{
    test::TempDir root;
    AtlasReport report = AtlasChecker::check(root.path());
    EXPECT_EQ(joined(report.findings), "atlas: no such directory: the game has nothing to play\n");
    EXPECT_EQ(report.summary(), "atlas/ has 1 problem");

    fs::create_directory(root.path() / "atlas");
    report = AtlasChecker::check(root.path());
    EXPECT_EQ(joined(report.findings),
              "atlas: holds neither a campaign (start.ini) nor a single mission (SingleCity.ini)\n");

    // A single mission alone is what the game needs to play it: sound.
    writeSingleMission(root.path(), 11, 3);
    report = AtlasChecker::check(root.path());
    EXPECT_TRUE(report.sound()) << joined(report.findings);
    EXPECT_EQ(report.summary(), "atlas/ is sound: no campaign, single mission");

    const test::TempDir other;
    test::writeFile(other.path() / "atlas", "a file");
    EXPECT_EQ(joined(AtlasChecker::check(other.path()).findings), "atlas: is not a directory\n");
}

// Reals are read with from_chars: a decimal-comma locale changes nothing.
TEST(AtlasChecker, DecimalCommaLocaleChangesNothing)
{
    test::TempDir root;
    writeCampaign(root.path(), 21, 30, 6, {70, false, false});
    const char* found = nullptr;
    for (const char* name : test::decimalCommaLocales())
        if (std::setlocale(LC_ALL, name)) {
            found = name;
            break;
        }
    if (!found)
        GTEST_SKIP() << "no decimal-comma locale installed";
    const AtlasReport report = AtlasChecker::check(root.path());
    std::setlocale(LC_ALL, "C");
    EXPECT_TRUE(report.sound()) << found << "\n" << joined(report.findings);
}

// ---- Damage ----------------------------------------------------------------

// A campaign (seed 7, no large cities) and a Very small single mission,
// written once; every case damages a copy made of hard links, so a damage
// replaces a file (remove, then write) rather than writing into it.
//
// start.ini's layout: [General] on line 1 with 11 keys, [Healthes] on 13,
// city k's section on 19 + 12 (k - 1) (Name +1, MoonX +2, MoonY +3, Size +4,
// Landmark +5, Explored +6, Rebels +7, Neighbour NW +8, NE +9, SW +10,
// SE +11), then [Taskk] on 391 + 13 (k - 1) (Found +1, Completed +2,
// Heading +3, Text +4, Destination +5, StartCity +6, Reward +7, CarsToKill
// +8, CarsTypeToKill +9, GunToBuy +10, CarToBuy +11, NeedLandmark +12).
class Pristine {
public:
    static const Pristine& get()
    {
        static const Pristine pristine;
        return pristine;
    }
    fs::path atlas() const { return dir_.path() / "atlas"; }
    const std::string& name(int city) const { return names_.at(static_cast<std::size_t>(city)); }

private:
    Pristine()
    {
        writeSingleMission(dir_.path(), 3, 0);
        writeCampaign(dir_.path(), 7, 30, 6, {70, false, false});
        const IniFile ini = IniFile::load(atlas() / "start.ini");
        names_.resize(32);
        for (int k = 1; k <= 31; ++k)
            names_[static_cast<std::size_t>(k)] = ini.readString(std::to_string(k), "Name", "");
    }
    test::TempDir dir_;
    std::vector<std::string> names_;
};

// One damaged copy of the pristine atlas.
class Damaged {
public:
    Damaged()
    {
        fs::create_directory(root_.path() / "atlas");
        for (const auto& entry : fs::directory_iterator(Pristine::get().atlas()))
            fs::create_hard_link(entry.path(), atlas() / entry.path().filename());
    }
    fs::path root() const { return root_.path(); }
    fs::path atlas() const { return root_.path() / "atlas"; }
    fs::path city(int k, std::string_view suffix) const
    {
        return atlas() / (Pristine::get().name(k) + std::string(suffix));
    }

    std::string read(const fs::path& file) const { return test::readFile(file); }
    // Replaces the file: the pristine copy it was linked to stays as it was.
    void replace(const fs::path& file, std::string_view bytes) const
    {
        fs::remove(file);
        test::writeFile(file, bytes);
    }
    void edit(const fs::path& file, const std::function<void(std::string&)>& change) const
    {
        std::string text = read(file);
        change(text);
        replace(file, text);
    }
    // Replaces the first "from" in the file with "to".
    void swap(const fs::path& file, std::string_view from, std::string_view to) const
    {
        edit(file, [&](std::string& text) {
            const std::size_t at = text.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            text.replace(at, from.size(), to);
        });
    }
    // Replaces the whole line "key=..." of a section ("" deletes the line).
    void setLine(const fs::path& file, std::string_view section, std::string_view key, std::string_view line) const
    {
        edit(file, [&](std::string& text) {
            const std::size_t start = text.find("[" + std::string(section) + "]\r\n");
            ASSERT_NE(start, std::string::npos) << section;
            const std::size_t at = text.find("\r\n" + std::string(key) + "=", start);
            ASSERT_NE(at, std::string::npos) << key;
            const std::size_t end = text.find("\r\n", at + 2);
            text.replace(at + 2, end + 2 - (at + 2), line.empty() ? std::string() : std::string(line) + "\r\n");
        });
    }
    void setKey(const fs::path& file, std::string_view section, std::string_view key, std::string_view value) const
    {
        setLine(file, section, key, std::string(key) + "=" + std::string(value));
    }
    // Sets the value of the first line "key=..." in the file.
    void setFirst(const fs::path& file, std::string_view key, std::string_view value) const
    {
        edit(file, [&](std::string& text) {
            const std::size_t at = text.find("\r\n" + std::string(key) + "=");
            ASSERT_NE(at, std::string::npos) << key;
            const std::size_t from = at + 3 + key.size();
            text.replace(from, text.find("\r\n", from) - from, value);
        });
    }
    fs::path startIni() const { return atlas() / "start.ini"; }

private:
    test::TempDir root_;
};

std::string picture(int width, int height)
{
    const std::vector<std::uint8_t> bytes = BmpFile::encode(Image(width, height, {10, 20, 30}));
    return {bytes.begin(), bytes.end()};
}

// A 24-bit picture header claiming a size, with no pixels behind it.
std::string headerOnly(std::int32_t width, std::int32_t height, std::uint16_t bits = 24, std::uint32_t compression = 0)
{
    std::string h = picture(1, 1).substr(0, 54);
    const auto put = [&h](std::size_t at, std::uint32_t v, int bytes) {
        for (int b = 0; b < bytes; ++b)
            h[at + static_cast<std::size_t>(b)] = static_cast<char>(v >> (8 * b));
    };
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(28, bits, 2);
    put(30, compression, 4);
    return h;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(from, start)) != std::string_view::npos; start = at + from.size())
        out.append(text.substr(start, at - start)).append(to);
    return out.append(text.substr(start));
}

// "{k}" in an expected text stands for the name of city k, "{kupper}" for it in capitals.
std::string expand(std::string text)
{
    for (int k = 31; k >= 1; --k) {
        std::string upper = Pristine::get().name(k);
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        text = replaceAll(text, "{" + std::to_string(k) + "upper}", upper);
        text = replaceAll(text, "{" + std::to_string(k) + "}", Pristine::get().name(k));
    }
    return text;
}

// Appends lines at the end of a section (before the next section's line).
void addLines(const Damaged& d, const fs::path& file, std::string_view section, std::string_view lines)
{
    d.edit(file, [&](std::string& text) {
        const std::size_t start = text.find("[" + std::string(section) + "]\r\n");
        ASSERT_NE(start, std::string::npos) << section;
        std::size_t end = text.find("\r\n[", start);
        end = end == std::string::npos ? text.size() : end + 2;
        text.insert(end, lines);
    });
}

// Sets "Road=" of the first `count` cell records to 7, one finding each.
void breakRoads(const Damaged& d, const fs::path& file, int count)
{
    d.edit(file, [count](std::string& text) {
        std::size_t at = 0;
        for (int k = 0; k < count; ++k) {
            at = text.find("\r\nRoad=", at);
            ASSERT_NE(at, std::string::npos);
            at += 7;
            text.replace(at, 1, "7");
        }
    });
}

struct DamageCase {
    const char* name;
    std::function<void(const Damaged&)> damage;
    // Every finding, whole lines in the order found; none: the atlas is still sound.
    std::vector<const char*> findings;
};

// The damage table: each rule's value at its limit (no finding) and one past
// it (a finding), every other kind of damage with all it makes the check say.
const std::vector<DamageCase>& damageCases()
{
    using D = const Damaged&;
    const auto set = [](const char* section, const char* key, const char* value) {
        return [=](D d) { d.setKey(d.startIni(), section, key, expand(value)); };
    };
    const auto single = [](const char* key, const char* value) {
        return [=](D d) { d.setKey(d.atlas() / "SingleCity.ini", "General", key, value); };
    };
    const auto singlePicture = [](const char* suffix, std::string bytes) {
        return [=](D d) { d.replace(d.atlas() / ("SingleCity" + std::string(suffix)), bytes); };
    };
    static const std::vector<DamageCase> cases{
        // ---- start.ini [General] and [Healthes]: each range at both ends ----
        {"city count below", set("General", "Number of cities", "30"),
         {"atlas/start.ini:2: Number of cities=30 is out of range (31..76)"}},
        {"city count above", set("General", "Number of cities", "77"),
         {"atlas/start.ini:2: Number of cities=77 is out of range (31..76)"}},
        {"location from 0", set("General", "Location from", "0"), {"atlas/start.ini:3: Location from=0 is out of range (1..31)"}},
        {"location from the last city", set("General", "Location from", "31"), {}},
        {"location from past the last city", set("General", "Location from", "32"),
         {"atlas/start.ini:3: Location from=32 is out of range (1..31)"}},
        {"location to below", set("General", "Location to", "-3"), {"atlas/start.ini:4: Location to=-3 is out of range (-2..31)"}},
        {"location to the last city", set("General", "Location to", "31"), {}},
        {"location to past the last city", set("General", "Location to", "32"),
         {"atlas/start.ini:4: Location to=32 is out of range (-2..31)"}},
        {"cash 0", set("General", "Cash", "0"), {}},
        {"cash below 0", set("General", "Cash", "-1"), {"atlas/start.ini:6: Cash=-1 is out of range (0..2147483647)"}},
        {"cash at the 32-bit limit", set("General", "Cash", "2147483647"), {}},
        {"cash past the 32-bit limit", set("General", "Cash", "2147483648"),
         {"atlas/start.ini:6: Cash=2147483648 is out of range (0..2147483647)"}},
        {"health 0", set("General", "HealthBody", "0"), {}},
        {"health below 0", set("General", "HealthBody", "-0.5"), {"atlas/start.ini:7: HealthBody=-0.5 is out of range (0..100)"}},
        {"health above 100", set("General", "HealthBody", "100.5"),
         {"atlas/start.ini:7: HealthBody=100.5 is out of range (0..100)"}},
        {"wheel 100", set("General", "HealthWheelBR", "100"), {}},
        {"wheel above 100", set("General", "HealthWheelBR", "101"),
         {"atlas/start.ini:11: HealthWheelBR=101 is out of range (0..100)"}},
        {"task count below", set("General", "NumTasks", "13"), {"atlas/start.ini:12: NumTasks=13 is out of range (14..14)"}},
        {"task count above", set("General", "NumTasks", "15"), {"atlas/start.ini:12: NumTasks=15 is out of range (14..14)"}},
        {"stored health 0", set("Healthes", "4", "0"), {}},
        {"stored health above 100", set("Healthes", "4", "100.001"),
         {"atlas/start.ini:18: 4=100.001 is out of range (0..100)"}},
        {"unknown key in [General]", [](D d) { addLines(d, d.startIni(), "General", "Difficulty=3\r\n"); },
         {"atlas/start.ini:13: unknown key Difficulty in section [General]"}},
        {"unknown key in [Healthes]", [](D d) { addLines(d, d.startIni(), "Healthes", "5=20\r\n"); },
         {"atlas/start.ini:19: unknown key 5 in section [Healthes]"}},
        {"general key missing", [](D d) { d.setLine(d.startIni(), "General", "Cash", ""); },
         {"atlas/start.ini:1: section [General] has no key Cash"}},
        {"key repeated", [](D d) { d.setLine(d.startIni(), "General", "Cash", "Cash=100\r\nCash=5"); },
         {"atlas/start.ini:7: key Cash appears again in section [General] (first at line 6)"}},
        {"not a whole number", set("General", "Cash", "lots"), {"atlas/start.ini:6: Cash=lots is not a whole number"}},
        {"garbage line", [](D d) { d.setLine(d.startIni(), "General", "Cash", "Cash=100\r\ngarbage"); },
         {"atlas/start.ini:7: neither a section, a key nor a comment: \"garbage\""}},
        {"decimal comma in health", set("Healthes", "0", "100,5"),
         {"atlas/start.ini:14: 0=100,5 uses a decimal comma; the game reads reals with a point (such as 0.5)"}},
        {"real not a number", set("General", "HealthBody", "full"), {"atlas/start.ini:7: HealthBody=full is not a number"}},
        // ---- start.ini sections ----
        {"task section missing", [](D d) { d.swap(d.startIni(), "[Task5]\r\n", "[Task55]\r\n"); },
         {"atlas/start.ini:443: unknown section [Task55]", "atlas/start.ini: section [Task5] is missing"}},
        {"city section repeated", [](D d) { d.swap(d.startIni(), "[3]\r\n", "[2]\r\n"); },
         {"atlas/start.ini:43: section [2] appears again (first at line 31)",
          "atlas/start.ini: section [3] is missing (city 3 of 31)",
          "atlas/start.ini:436: StartCity={3} names no city of start.ini"}},
        {"city section beyond the count", [](D d) { d.swap(d.startIni(), "[31]\r\n", "[32]\r\n"); },
         {"atlas/start.ini:379: section [32] lies beyond the 31 cities",
          "atlas/start.ini: section [31] is missing (city 31 of 31)",
          "atlas/start.ini:566: StartCity=Rebel Headquarters names no city of start.ini"}},
        // ---- a city's section ----
        {"unknown key in a city", [](D d) { d.setLine(d.startIni(), "5", "Name", "Nmae=" + Pristine::get().name(5)); },
         {"atlas/start.ini:67: section [5] has no key Name", "atlas/start.ini:68: unknown key Nmae in section [5]",
          "atlas/start.ini:449: StartCity={5} names no city of start.ini"}},
        {"moon x 0", set("2", "MoonX", "0"), {}},
        {"moon x just below 1", set("2", "MoonX", "0.9999"), {}},
        {"moon x 1", set("2", "MoonX", "1"), {"atlas/start.ini:33: MoonX=1 is out of range (0 <= MoonX < 1)"}},
        {"moon x below 0", set("2", "MoonX", "-0.0001"), {"atlas/start.ini:33: MoonX=-0.0001 is out of range (0 <= MoonX < 1)"}},
        {"moon y -0.5", set("2", "MoonY", "-0.5"), {}},
        {"moon y 0.5", set("2", "MoonY", "0.5"), {}},
        {"moon y above 0.5", set("2", "MoonY", "0.5001"), {"atlas/start.ini:34: MoonY=0.5001 is out of range (-0.5..0.5)"}},
        {"moon y below -0.5", set("2", "MoonY", "-0.5001"), {"atlas/start.ini:34: MoonY=-0.5001 is out of range (-0.5..0.5)"}},
        {"decimal comma", set("1", "MoonX", "0,03"),
         {"atlas/start.ini:21: MoonX=0,03 uses a decimal comma; the game reads reals with a point (such as 0.5)"}},
        {"size index below", set("4", "Size", "-1"), {"atlas/start.ini:59: Size=-1 is out of range (0..3)"}},
        {"size index above", set("4", "Size", "4"), {"atlas/start.ini:59: Size=4 is out of range (0..3)"}},
        {"rebels 0", set("2", "Rebels", "0"), {}},
        {"rebels 100", set("2", "Rebels", "100"), {}},
        {"rebels below 0", set("2", "Rebels", "-1"), {"atlas/start.ini:38: Rebels=-1 is out of range (0..100)"}},
        {"rebels above 100", set("2", "Rebels", "101"), {"atlas/start.ini:38: Rebels=101 is out of range (0..100)"}},
        {"unknown landmark", set("4", "Landmark", "Castle"),
         {"atlas/start.ini:60: Landmark=Castle is not one of None, Spaceport, Garage, Carshop, Gunshop, Fort, Lab, "
          "Parking, Excavation, RebelHQ"}},
        {"flag not 0 or 1", set("4", "Explored", "yes"), {"atlas/start.ini:61: Explored=yes is not 0 or 1"}},
        // ---- links: the last city and one past it, none, and below ----
        {"link to the last city", set("1", "Neighbour SE", "31"),
         {"atlas/start.ini:30: Neighbour SE=31 of city 1 is not answered: city 31 has Neighbour NW=-1",
          "atlas/start.ini:39: Neighbour NW=1 of city 2 is not answered: city 1 has Neighbour SE=31"}},
        {"link past the last city", set("1", "Neighbour SE", "32"),
         {"atlas/start.ini:30: Neighbour SE=32 of city 1 points outside 1..31 (-1 for none)"}},
        {"link to city 0", set("1", "Neighbour SE", "0"),
         {"atlas/start.ini:30: Neighbour SE=0 of city 1 points outside 1..31 (-1 for none)"}},
        {"link below none", set("1", "Neighbour SE", "-2"),
         {"atlas/start.ini:30: Neighbour SE=-2 of city 1 points outside 1..31 (-1 for none)"}},
        {"link not answered", set("1", "Neighbour SE", "4"),
         {"atlas/start.ini:30: Neighbour SE=4 of city 1 is not answered: city 4 has Neighbour NW=3",
          "atlas/start.ini:39: Neighbour NW=1 of city 2 is not answered: city 1 has Neighbour SE=4"}},
        {"link to itself", set("2", "Neighbour NE", "2"), {"atlas/start.ini:40: Neighbour NE=2 links city 2 to itself"}},
        // ---- objectives: each range at both ends ----
        {"reward 0", set("Task2", "Reward", "0"), {}},
        {"reward below 0", set("Task2", "Reward", "-1"), {"atlas/start.ini:411: Reward=-1 is out of range (0..2147483647)"}},
        {"kills at the 8-bit limit", set("Task2", "CarsToKill", "127"), {}},
        {"kills past the 8-bit limit", set("Task2", "CarsToKill", "128"),
         {"atlas/start.ini:412: CarsToKill=128 is out of range (-1..127)"}},
        {"kills below none", set("Task2", "CarsToKill", "-2"), {"atlas/start.ini:412: CarsToKill=-2 is out of range (-1..127)"}},
        {"kill type past the 8-bit limit", set("Task2", "CarsTypeToKill", "128"),
         {"atlas/start.ini:413: CarsTypeToKill=128 is out of range (-1..127)"}},
        {"gun at the 8-bit limit", set("Task2", "GunToBuy", "127"), {}},
        {"gun past the 8-bit limit", set("Task2", "GunToBuy", "128"),
         {"atlas/start.ini:414: GunToBuy=128 is out of range (-1..127)"}},
        {"car 5", set("Task2", "CarToBuy", "5"), {}},
        {"car past 5", set("Task2", "CarToBuy", "6"), {"atlas/start.ini:415: CarToBuy=6 is out of range (-1..5)"}},
        {"car below none", set("Task2", "CarToBuy", "-2"), {"atlas/start.ini:415: CarToBuy=-2 is out of range (-1..5)"}},
        {"unknown key in a task", [](D d) { addLines(d, d.startIni(), "Task3", "Bonus=1\r\n"); },
         {"atlas/start.ini:430: unknown key Bonus in section [Task3]"}},
        {"objective start city unknown", set("Task2", "StartCity", "Nowhere"),
         {"atlas/start.ini:410: StartCity=Nowhere names no city of start.ini"}},
        {"objective destination unknown", set("Task2", "Destination", "Atlantis"),
         {"atlas/start.ini:409: Destination=Atlantis names no city of start.ini (nor is it \"none\")"}},
        {"objective key missing", [](D d) { d.setLine(d.startIni(), "Task3", "Reward", ""); },
         {"atlas/start.ini:417: section [Task3] has no key Reward"}},
        // ---- names ----
        {"name used twice", set("5", "Name", "{4}"),
         {"atlas/start.ini:68: city 5: the name \"{4}\" is already city 4's (file names do not tell letter case apart)",
          "atlas/start.ini:449: StartCity={5} names no city of start.ini"}},
        {"name used twice in other letter case", set("5", "Name", "{4upper}"),
         {"atlas/start.ini:68: city 5: the name \"{4upper}\" is already city 4's (file names do not tell letter case "
          "apart)",
          "atlas/start.ini:449: StartCity={5} names no city of start.ini"}},
        {"unsafe name", set("5", "Name", "../evil"),
         {"atlas/start.ini:68: city 5: City name \"../evil\" cannot be used: it contains \"..\"", "atlas/start.ini:449: StartCity={5} names no city of start.ini"}},
        {"name with a control character shown escaped", set("5", "Name", "Bad\x1b[31m"),
         {"atlas/start.ini:68: city 5: City name \"Bad\\x1b[31m\" cannot be used: it contains a control character", "atlas/start.ini:449: StartCity={5} names no city of start.ini"}},
        {"reserved name SingleCity", set("5", "Name", "singlecity"),
         {"atlas/start.ini:68: city 5: City name \"singlecity\" cannot be used: it is reserved for the single mission "
          "and the campaign's own files",
          "atlas/start.ini:449: StartCity={5} names no city of start.ini"}},
        {"reserved name start", set("5", "Name", "Start"),
         {"atlas/start.ini:68: city 5: City name \"Start\" cannot be used: it is the name of a campaign file", "atlas/start.ini:449: StartCity={5} names no city of start.ini"}},
        {"reserved name moon", set("5", "Name", "moon"),
         {"atlas/start.ini:68: city 5: City name \"moon\" cannot be used: it is the name of a campaign file", "atlas/start.ini:449: StartCity={5} names no city of start.ini"}},
        {"empty name", set("5", "Name", ""), {"atlas/start.ini:68: city 5: City name \"\" cannot be used: it is empty", "atlas/start.ini:449: StartCity={5} names no city of start.ini"}},
        // ---- start.ini as a file: its size at the limit and one past ----
        {"start.ini at the size limit",
         [](D d) {
             d.edit(d.startIni(), [](std::string& t) {
                 while (t.size() < AtlasChecker::kMaxTextBytes) {
                     const std::size_t room = AtlasChecker::kMaxTextBytes - t.size();
                     t += room >= 1002 ? ";" + std::string(999, '-') + "\r\n" : ";" + std::string(room - 3, '-') + "\r\n";
                 }
             });
         },
         {}},
        {"start.ini one byte past the size limit",
         [](D d) { d.replace(d.startIni(), std::string(AtlasChecker::kMaxTextBytes + 1, ';')); },
         {"atlas/start.ini: 1048577 bytes, larger than the 1048576 a description file can be; not read"}},
        {"LF line ends", [](D d) { d.edit(d.startIni(), [](std::string& t) { t = replaceAll(t, "\r\n", "\n"); }); },
         {"atlas/start.ini:1: line ends with LF instead of CR LF (572 lines in all)"}},
        {"one LF line end", [](D d) { d.swap(d.startIni(), "Cash=100\r\n", "Cash=100\n"); },
         {"atlas/start.ini:6: line ends with LF instead of CR LF"}},
        {"no last line end", [](D d) { d.edit(d.startIni(), [](std::string& t) { t.resize(t.size() - 2); }); },
         {"atlas/start.ini:572: the last line has no line end (CR LF)"}},
        {"byte-order mark", [](D d) { d.edit(d.startIni(), [](std::string& t) { t = "\xEF\xBB\xBF" + t; }); },
         // The game reads the mark as part of "[General]": the section is lost.
         {"atlas/start.ini:1: starts with a UTF-8 byte-order mark, which the game takes as part of the first line",
          "atlas/start.ini:1: neither a section, a key nor a comment: \"\xEF\xBB\xBF[General]\"",
          "atlas/start.ini:2: a key before the first section", "atlas/start.ini:3: a key before the first section",
          "atlas/start.ini:4: a key before the first section", "atlas/start.ini:5: a key before the first section",
          "atlas/start.ini:6: a key before the first section", "atlas/start.ini:7: a key before the first section",
          "atlas/start.ini:8: a key before the first section", "atlas/start.ini:9: a key before the first section",
          "atlas/start.ini:10: a key before the first section", "atlas/start.ini:11: a key before the first section",
          "atlas/start.ini:12: a key before the first section", "atlas/start.ini: section [General] is missing"}},
        {"start.ini a directory", [](D d) { fs::remove(d.startIni()); fs::create_directory(d.startIni()); },
         {"atlas/start.ini: is not a regular file"}},
        {"start.ini missing", [](D d) { fs::remove(d.startIni()); },
         {"atlas/start.ini: missing, but moon.bmp is there: a campaign without its description"}},
        {"start.ini binary", [](D d) { d.replace(d.startIni(), std::string("[General]\r\n\0\0\0", 14)); },
         {"atlas/start.ini: holds NUL bytes: not a text file", "atlas/start.ini: section [General] is missing",
          "atlas/start.ini: section [Task1] is missing", "atlas/start.ini: section [Task2] is missing",
          "atlas/start.ini: section [Task3] is missing", "atlas/start.ini: section [Task4] is missing",
          "atlas/start.ini: section [Task5] is missing", "atlas/start.ini: section [Task6] is missing",
          "atlas/start.ini: section [Task7] is missing", "atlas/start.ini: section [Task8] is missing",
          "atlas/start.ini: section [Task9] is missing", "atlas/start.ini: section [Task10] is missing",
          "atlas/start.ini: section [Task11] is missing", "atlas/start.ini: section [Task12] is missing",
          "atlas/start.ini: section [Task13] is missing", "atlas/start.ini: section [Task14] is missing"}},
        // ---- moon.bmp ----
        {"moon.bmp missing", [](D d) { fs::remove(d.atlas() / "moon.bmp"); }, {"atlas/moon.bmp: missing (the campaign's Moon map)"}},
        {"moon.bmp size", [](D d) { d.replace(d.atlas() / "moon.bmp", picture(512, 255)); },
         {"atlas/moon.bmp: is 512 x 255 pixels; the Moon map is 512 x 256"}},
        // ---- pictures: sides at 1 and at the largest accepted, and one past; the file one byte short ----
        {"picture one pixel narrower", singlePicture("PLAN.bmp", picture(39, 40)),
         {"atlas/SingleCityPLAN.bmp: is 39 x 40 pixels; a city of Size=3 needs 40 x 40 (10 pixels a cell)"}},
        {"picture one pixel taller", singlePicture("HIGHT.bmp", picture(8, 9)),
         {"atlas/SingleCityHIGHT.bmp: is 8 x 9 pixels; a city of Size=3 needs 8 x 8 (2 pixels a cell)"}},
        {"picture at the largest width", singlePicture("GROUND.bmp", picture(4096, 1)),
         {"atlas/SingleCityGROUND.bmp: is 4096 x 1 pixels; a city of Size=3 needs 128 x 128 (32 pixels a cell)"}},
        {"picture past the largest width", singlePicture("GROUND.bmp", headerOnly(4097, 1)),
         {"atlas/SingleCityGROUND.bmp: 4097 x 1 pixels: out of range (1..4096 a side)"}},
        {"picture at the largest height", singlePicture("GROUND.bmp", picture(1, 4096)),
         {"atlas/SingleCityGROUND.bmp: is 1 x 4096 pixels; a city of Size=3 needs 128 x 128 (32 pixels a cell)"}},
        {"picture header at the largest side, no pixels", singlePicture("GROUND.bmp", headerOnly(4096, 4096)),
         {"atlas/SingleCityGROUND.bmp: is cut short: 54 bytes, its 4096 x 4096 pixels need 50331702"}},
        {"picture past the largest height", singlePicture("GROUND.bmp", headerOnly(1, -4097)),
         {"atlas/SingleCityGROUND.bmp: 1 x 4097 pixels: out of range (1..4096 a side)"}},
        {"picture width 0", singlePicture("GROUND.bmp", headerOnly(0, 5)),
         {"atlas/SingleCityGROUND.bmp: 0 x 5 pixels: out of range (1..4096 a side)"}},
        {"picture negative width", singlePicture("GROUND.bmp", headerOnly(-5, 5)),
         {"atlas/SingleCityGROUND.bmp: -5 x 5 pixels: out of range (1..4096 a side)"}},
        {"picture stored top-down",
         [](D d) {
             d.edit(d.atlas() / "SingleCityHIGHT.bmp", [](std::string& t) { t.replace(22, 4, std::string("\xF8\xFF\xFF\xFF", 4)); });
         },
         {}},
        {"picture one byte short",
         [](D d) { d.edit(d.atlas() / "SingleCityGROUND.bmp", [](std::string& t) { t.pop_back(); }); },
         {"atlas/SingleCityGROUND.bmp: is cut short: 49205 bytes, its 128 x 128 pixels need 49206"}},
        {"picture missing", [](D d) { fs::remove(d.city(3, "HIGHT.bmp")); },
         {"atlas/{3}HIGHT.bmp: missing (a picture of city 3 of start.ini)"}},
        {"picture not a BMP", [](D d) { d.replace(d.city(3, "PLAN.bmp"), "this is no picture at all, just text"); },
         {"atlas/{3}PLAN.bmp: is not a BMP picture"}},
        {"picture empty", [](D d) { d.replace(d.city(3, "PLAN.bmp"), ""); }, {"atlas/{3}PLAN.bmp: is not a BMP picture"}},
        {"picture run-length coded", [](D d) { d.replace(d.city(3, "PLAN.bmp"), headerOnly(40, 40, 8, 1)); },
         {"atlas/{3}PLAN.bmp: 8 bits per pixel with compression 1: not a kind of BMP picture the game reads"}},
        {"picture header unknown", [](D d) { d.edit(d.city(3, "PLAN.bmp"), [](std::string& t) { t[14] = 64; }); },
         {"atlas/{3}PLAN.bmp: has a BMP header of 64 bytes, which is not a known kind"}},
        // ---- a description file: each range at both ends ----
        {"description size differs from start.ini", set("3", "Size", "0"),
         {"atlas/{3}.ini:2: Size=15 does not match city 3 of start.ini: Size=0 there is a Very small city, Size=3 here",
          "atlas/{3}PLAN.bmp: is 160 x 160 pixels; a city of Size=3 needs 40 x 40 (10 pixels a cell)",
          "atlas/{3}GROUND.bmp: is 512 x 512 pixels; a city of Size=3 needs 128 x 128 (32 pixels a cell)",
          "atlas/{3}HIGHT.bmp: is 32 x 32 pixels; a city of Size=3 needs 8 x 8 (2 pixels a cell)"}},
        {"description size invalid", [](D d) { d.setKey(d.city(3, ".ini"), "General", "Size", "8"); },
         {"atlas/{3}.ini:2: Size=8 is not a city size (3, 7, 15 or 31)"}},
        {"hillness 100", single("Hillness", "100"), {}},
        {"hillness above 100", single("Hillness", "101"), {"atlas/SingleCity.ini:3: Hillness=101 is out of range (0..100)"}},
        {"rebels below 0 in a description", single("Rebels", "-1"),
         {"atlas/SingleCity.ini:4: Rebels=-1 is out of range (0..100)"}},
        {"landmark on the last column", single("Landmark X", "3"), {}},
        {"landmark past the last column", single("Landmark X", "4"),
         {"atlas/SingleCity.ini:7: Landmark X=4 is out of range (-1..3)"}},
        {"no landmark row", single("Landmark Y", "-1"), {}},
        {"landmark row below none", single("Landmark Y", "-2"),
         {"atlas/SingleCity.ini:8: Landmark Y=-2 is out of range (-1..3)"}},
        {"fake gun at the 8-bit limit", single("Fakegunindex", "127"), {}},
        {"fake gun past the 8-bit limit", single("Fakegunindex", "128"),
         {"atlas/SingleCity.ini:10: Fakegunindex=128 is out of range (-1..127)"}},
        {"fake car", [](D d) { d.setFirst(d.city(3, ".ini"), "Fakecarname", "tank"); },
         {"atlas/{3}.ini:9: Fakecarname=tank is not one of none, buggy, rapid, tractor, lunochod, patrol, police"}},
        {"unknown key in a description", [](D d) { addLines(d, d.atlas() / "SingleCity.ini", "General", "Weather=1\r\n"); },
         {"atlas/SingleCity.ini:15: unknown key Weather in section [General]"}},
        {"terminal without a link", [](D d) { d.setKey(d.city(1, ".ini"), "General", "Hangar NW", "1"); },
         {"atlas/{1}.ini:11: Hangar NW=1 but city 1 of start.ini has no NW neighbour"}},
        {"link without a terminal", [](D d) { d.setKey(d.city(1, ".ini"), "General", "Hangar SE", "0"); },
         {"atlas/{1}.ini:13: Hangar SE=0 but city 1 of start.ini has a SE neighbour"}},
        // ---- cell records: the last cell and one past it ----
        {"cell record of the last column",
         [](D d) { d.edit(d.atlas() / "SingleCity.ini", [](std::string& t) { t.resize(t.rfind("\r\n[") + 2); }); },
         {"atlas/SingleCity.ini: 1 of the 16 cell records of a Size=3 city are missing (the first is [3x3])"}},
        {"cell record past the last column",
         [](D d) { addLines(d, d.atlas() / "SingleCity.ini", "3x3", "[4x0]\r\nStructure=None\r\nOrientation=-1\r\nRoad=0\r\n"); },
         {"atlas/SingleCity.ini:79: cell record [4x0] lies outside the city (0..3)"}},
        {"cell record past the last row",
         [](D d) { addLines(d, d.atlas() / "SingleCity.ini", "3x3", "[0x4]\r\nStructure=None\r\nOrientation=-1\r\nRoad=0\r\n"); },
         {"atlas/SingleCity.ini:79: cell record [0x4] lies outside the city (0..3)"}},
        {"not a cell record", [](D d) { d.swap(d.city(3, ".ini"), "[0x0]\r\n", "[zero]\r\n"); },
         {"atlas/{3}.ini:15: [zero] is not a cell record",
          "atlas/{3}.ini: 1 of the 256 cell records of a Size=15 city are missing (the first is [0x0])"}},
        {"orientation", [](D d) { d.setFirst(d.city(3, ".ini"), "Orientation", "45"); },
         {"atlas/{3}.ini:17: Orientation=45 is not -1, 0, 90, 180 or 270"}},
        {"description LF line ends",
         [](D d) { d.edit(d.city(3, ".ini"), [](std::string& t) { t = replaceAll(t, "\r\n", "\n"); }); },
         {"atlas/{3}.ini:1: line ends with LF instead of CR LF (1038 lines in all)"}},
        {"description too large",
         [](D d) { d.replace(d.city(3, ".ini"), std::string(3 << 20, ';')); },
         {"atlas/{3}.ini: 3145728 bytes, larger than the 1048576 a description file can be; not read"}},
        {"description a folder", [](D d) { fs::remove(d.city(3, ".ini")); fs::create_directory(d.city(3, ".ini")); },
         {"atlas/{3}.ini: is not a regular file"}},
#ifndef _WIN32
        // Named FIFOs exist only on POSIX systems; opening one must not block.
        {"description a FIFO", [](D d) { fs::remove(d.city(3, ".ini")); ASSERT_TRUE(test::makeFifo(d.city(3, ".ini"))); },
         {"atlas/{3}.ini: is not a regular file"}},
#endif
        {"description missing", [](D d) { fs::remove(d.city(3, ".ini")); },
         {"atlas/{3}.ini: missing (the description of city 3 of start.ini)"}},
        // ---- the single mission ----
        {"single mission picture missing", [](D d) { fs::remove(d.atlas() / "SingleCityGROUND.bmp"); },
         {"atlas/SingleCityGROUND.bmp: missing (a picture of the single mission)"}},
        {"single mission description missing", [](D d) { fs::remove(d.atlas() / "SingleCity.ini"); },
         {"atlas/SingleCity.ini: missing (the description of the single mission)"}},
    };
    return cases;
}

// The report of a damaged copy, as the C++ lines of its table row.
std::string asTableRow(const std::vector<std::string>& findings)
{
    std::string out = "{";
    for (const std::string& f : findings)
        out += (out.size() > 1 ? ", " : "") + ::testing::PrintToString(f);
    return out + "}";
}

TEST(AtlasChecker, EveryKindOfDamageIsFoundWithItsFileAndLine)
{
    for (const DamageCase& c : damageCases()) {
        SCOPED_TRACE(c.name);
        const Damaged copy;
        c.damage(copy);
        const AtlasReport report = AtlasChecker::check(copy.root());
        std::vector<std::string> expected;
        for (const char* line : c.findings)
            expected.push_back(expand(line));
        EXPECT_EQ(report.findings, expected) << "found: " << asTableRow(report.findings);
        EXPECT_EQ(report.sound(), expected.empty());
    }
    // The damage went to the copies only.
    const AtlasReport pristine = AtlasChecker::check(Pristine::get().atlas().parent_path());
    EXPECT_TRUE(pristine.sound()) << joined(pristine.findings);
}

// Random bytes changed, cut or added in start.ini, a description file and a
// picture: every round ends with a report, never an exception or a crash.
TEST(AtlasChecker, RandomDamageNeverThrows)
{
    const Damaged copy;
    const fs::path files[] = {copy.startIni(), copy.city(3, ".ini"), copy.city(3, "PLAN.bmp"), copy.city(1, "HIGHT.bmp")};
    std::vector<std::string> pristine;
    for (const fs::path& file : files)
        pristine.push_back(copy.read(file));
    RandomSource random(99);
    for (int round = 0; round < 60; ++round) {
        for (std::size_t f = 0; f < pristine.size(); ++f) {
            std::string bytes = pristine[f];
            const int changes = random.below(20);
            for (int k = 0; k < changes; ++k) {
                const auto at = static_cast<std::size_t>(random.below(static_cast<int>(bytes.size())));
                switch (random.below(3)) {
                case 0:
                    bytes[at] = static_cast<char>(random.below(256));
                    break;
                case 1:
                    bytes.erase(at, static_cast<std::size_t>(random.below(8)));
                    break;
                default:
                    bytes.insert(at, 1, "=[]x\r\n,-9"[random.below(9)]);
                    break;
                }
                if (bytes.empty())
                    bytes = "x";
            }
            if (random.below(10) == 0)
                bytes.resize(static_cast<std::size_t>(random.below(static_cast<int>(bytes.size()))));
            copy.replace(files[f], bytes);
        }
        EXPECT_NO_THROW(AtlasChecker::check(copy.root())) << "round " << round;
    }
}

// A file's findings are listed up to kMaxFindingsPerFile; past the cap one
// closing line counts the rest.
TEST(AtlasChecker, FindingsOfOneFileAreCapped)
{
    const std::string name = Pristine::get().name(3);
    const struct {
        int broken;
        long listed;
        const char* closing; // the last line, "" when it is a finding of its own
    } cases[] = {
        {AtlasChecker::kMaxFindingsPerFile - 1, AtlasChecker::kMaxFindingsPerFile - 1, ""},
        {AtlasChecker::kMaxFindingsPerFile, AtlasChecker::kMaxFindingsPerFile, ""},
        {AtlasChecker::kMaxFindingsPerFile + 1, AtlasChecker::kMaxFindingsPerFile, ": 1 more problems not listed"},
        {AtlasChecker::kMaxFindingsPerFile + 30, AtlasChecker::kMaxFindingsPerFile, ": 30 more problems not listed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.broken) + " records broken");
        const Damaged copy;
        breakRoads(copy, copy.city(3, ".ini"), c.broken);
        const AtlasReport report = AtlasChecker::check(copy.root());
        const std::string file = "atlas/" + name + ".ini";
        ASSERT_EQ(report.findings.size(), static_cast<std::size_t>(c.listed) + (*c.closing != '\0' ? 1 : 0))
            << joined(report.findings);
        for (long k = 0; k < c.listed; ++k)
            EXPECT_EQ(report.findings[static_cast<std::size_t>(k)],
                      file + ":" + std::to_string(18 + 4 * k) + ": Road=7 is not 0 or 1");
        if (*c.closing != '\0') {
            EXPECT_EQ(report.findings.back(), file + c.closing);
        }
    }
}

} // namespace
} // namespace vantor
