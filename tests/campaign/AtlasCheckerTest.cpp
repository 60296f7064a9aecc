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
#include <sys/stat.h>

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
    for (const char* name : {"cs_CZ.UTF-8", "cs_CZ.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"})
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

// "{k}" in an expected text stands for the name of city k.
std::string expand(std::string text)
{
    for (int k = 31; k >= 1; --k)
        text = replaceAll(text, "{" + std::to_string(k) + "}", Pristine::get().name(k));
    return text;
}

struct DamageCase {
    const char* name;
    std::function<void(const Damaged&)> damage;
    const char* expected; // a substring of one finding
};

const std::vector<DamageCase>& damageCases()
{
    using D = const Damaged&;
    static const std::vector<DamageCase> cases{
        // start.ini: sections and keys
        {"general key missing", [](D d) { d.setLine(d.startIni(), "General", "Cash", ""); },
         "atlas/start.ini:1: section [General] has no key Cash"},
        {"key repeated", [](D d) { d.setLine(d.startIni(), "General", "Cash", "Cash=100\r\nCash=5"); },
         "atlas/start.ini:7: key Cash appears again in section [General] (first at line 6)"},
        {"not a whole number", [](D d) { d.setKey(d.startIni(), "General", "Cash", "lots"); },
         "atlas/start.ini:6: Cash=lots is not a whole number"},
        {"city count out of range", [](D d) { d.setKey(d.startIni(), "General", "Number of cities", "200"); },
         "atlas/start.ini:2: Number of cities=200 is out of range (31..76)"},
        {"task count", [](D d) { d.setKey(d.startIni(), "General", "NumTasks", "15"); },
         "atlas/start.ini:12: NumTasks=15 is out of range (14..14)"},
        {"unknown key", [](D d) { d.setLine(d.startIni(), "5", "Name", "Nmae=" + Pristine::get().name(5)); },
         "atlas/start.ini:68: unknown key Nmae in section [5]"},
        {"city key missing", [](D d) { d.setLine(d.startIni(), "5", "Name", ""); },
         "atlas/start.ini:67: section [5] has no key Name"},
        {"garbage line", [](D d) { d.setLine(d.startIni(), "General", "Cash", "Cash=100\r\ngarbage"); },
         "atlas/start.ini:7: neither a section, a key nor a comment: \"garbage\""},
        {"task section missing", [](D d) { d.swap(d.startIni(), "[Task5]\r\n", "[Task55]\r\n"); },
         "atlas/start.ini: section [Task5] is missing"},
        {"unknown section", [](D d) { d.swap(d.startIni(), "[Task5]\r\n", "[Task55]\r\n"); },
         "atlas/start.ini:443: unknown section [Task55]"},
        {"city section repeated", [](D d) { d.swap(d.startIni(), "[3]\r\n", "[2]\r\n"); },
         "atlas/start.ini:43: section [2] appears again (first at line 31)"},
        {"city section missing", [](D d) { d.swap(d.startIni(), "[31]\r\n", "[32]\r\n"); },
         "atlas/start.ini: section [31] is missing (city 31 of 31)"},
        {"city section beyond the count", [](D d) { d.swap(d.startIni(), "[31]\r\n", "[32]\r\n"); },
         "atlas/start.ini:379: section [32] lies beyond the 31 cities"},
        {"size index out of range", [](D d) { d.setKey(d.startIni(), "4", "Size", "7"); },
         "atlas/start.ini:59: Size=7 is out of range (0..3)"},
        {"rebels out of range", [](D d) { d.setKey(d.startIni(), "2", "Rebels", "150"); },
         "atlas/start.ini:38: Rebels=150 is out of range (0..100)"},
        {"unknown landmark", [](D d) { d.setKey(d.startIni(), "4", "Landmark", "Castle"); },
         "atlas/start.ini:60: Landmark=Castle is not one of None, Spaceport"},
        {"flag not 0 or 1", [](D d) { d.setKey(d.startIni(), "4", "Explored", "yes"); },
         "atlas/start.ini:61: Explored=yes is not 0 or 1"},
        // reals
        {"decimal comma", [](D d) { d.setKey(d.startIni(), "1", "MoonX", "0,03"); },
         "atlas/start.ini:21: MoonX=0,03 uses a decimal comma"},
        {"decimal comma in health", [](D d) { d.setKey(d.startIni(), "Healthes", "0", "100,5"); },
         "atlas/start.ini:14: 0=100,5 uses a decimal comma"},
        {"real out of range", [](D d) { d.setKey(d.startIni(), "1", "MoonX", "1.5"); },
         "atlas/start.ini:21: MoonX=1.5 is out of range (0 <= MoonX < 1)"},
        {"real not a number", [](D d) { d.setKey(d.startIni(), "General", "HealthBody", "full"); },
         "atlas/start.ini:7: HealthBody=full is not a number"},
        // links
        {"link not answered", [](D d) { d.setKey(d.startIni(), "1", "Neighbour SE", "4"); },
         "atlas/start.ini:30: Neighbour SE=4 of city 1 is not answered: city 4 has Neighbour NW=3"},
        {"link outside the cities", [](D d) { d.setKey(d.startIni(), "1", "Neighbour SE", "99"); },
         "atlas/start.ini:30: Neighbour SE=99 of city 1 points outside 1..31"},
        {"link to city 0", [](D d) { d.setKey(d.startIni(), "1", "Neighbour SE", "0"); },
         "atlas/start.ini:30: Neighbour SE=0 of city 1 points outside 1..31"},
        {"link to itself", [](D d) { d.setKey(d.startIni(), "2", "Neighbour NE", "2"); },
         "atlas/start.ini:40: Neighbour NE=2 links city 2 to itself"},
        // objectives
        {"objective start city unknown", [](D d) { d.setKey(d.startIni(), "Task2", "StartCity", "Nowhere"); },
         "atlas/start.ini:410: StartCity=Nowhere names no city of start.ini"},
        {"objective destination unknown", [](D d) { d.setKey(d.startIni(), "Task2", "Destination", "Atlantis"); },
         "atlas/start.ini:409: Destination=Atlantis names no city of start.ini"},
        {"objective value out of range", [](D d) { d.setKey(d.startIni(), "Task8", "CarToBuy", "9"); },
         "atlas/start.ini:493: CarToBuy=9 is out of range (-1..5)"},
        {"objective key missing", [](D d) { d.setLine(d.startIni(), "Task3", "Reward", ""); },
         "atlas/start.ini:417: section [Task3] has no key Reward"},
        // names
        {"name used twice", [](D d) { d.setKey(d.startIni(), "5", "Name", Pristine::get().name(4)); },
         "atlas/start.ini:68: city 5: the name \"{4}\" is already city 4's"},
        {"name used twice in other letter case",
         [](D d) {
             std::string upper = Pristine::get().name(4);
             for (char& c : upper)
                 c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
             d.setKey(d.startIni(), "5", "Name", upper);
         },
         "atlas/start.ini:68: city 5: the name"},
        {"unsafe name", [](D d) { d.setKey(d.startIni(), "5", "Name", "../evil"); },
         "atlas/start.ini:68: city 5: City name \"../evil\" cannot be used"},
        {"name with a control character shown escaped", [](D d) { d.setKey(d.startIni(), "5", "Name", "Bad\x1b[31m"); },
         "atlas/start.ini:68: city 5: City name \"Bad\\x1b[31m\" cannot be used"},
        {"reserved name SingleCity", [](D d) { d.setKey(d.startIni(), "5", "Name", "singlecity"); },
         "atlas/start.ini:68: city 5: City name \"singlecity\" cannot be used"},
        {"reserved name start", [](D d) { d.setKey(d.startIni(), "5", "Name", "Start"); },
         "atlas/start.ini:68: city 5: City name \"Start\" cannot be used"},
        {"reserved name moon", [](D d) { d.setKey(d.startIni(), "5", "Name", "moon"); },
         "atlas/start.ini:68: city 5: City name \"moon\" cannot be used"},
        {"empty name", [](D d) { d.setKey(d.startIni(), "5", "Name", ""); },
         "atlas/start.ini:68: city 5: City name \"\" cannot be used: it is empty"},
        // start.ini as a file
        {"LF line ends", [](D d) { d.edit(d.startIni(), [](std::string& t) { t = replaceAll(t, "\r\n", "\n"); }); },
         "atlas/start.ini:1: line ends with LF instead of CR LF ("},
        {"one LF line end", [](D d) { d.swap(d.startIni(), "Cash=100\r\n", "Cash=100\n"); },
         "atlas/start.ini:6: line ends with LF instead of CR LF"},
        {"no last line end", [](D d) { d.edit(d.startIni(), [](std::string& t) { t.resize(t.size() - 2); }); },
         "the last line has no line end (CR LF)"},
        {"byte-order mark", [](D d) { d.edit(d.startIni(), [](std::string& t) { t = "\xEF\xBB\xBF" + t; }); },
         "atlas/start.ini:1: starts with a UTF-8 byte-order mark"},
        {"start.ini too large", [](D d) { d.replace(d.startIni(), std::string(2 << 20, ';')); },
         "atlas/start.ini: 2097152 bytes, larger than the 1048576 a description file can be; not read"},
        {"start.ini a directory", [](D d) { fs::remove(d.startIni()); fs::create_directory(d.startIni()); },
         "atlas/start.ini: is not a regular file"},
        {"start.ini missing", [](D d) { fs::remove(d.startIni()); },
         "atlas/start.ini: missing, but moon.bmp is there"},
        {"start.ini binary", [](D d) { d.replace(d.startIni(), std::string("[General]\r\n\0\0\0", 14)); },
         "atlas/start.ini: holds NUL bytes"},
        // moon.bmp
        {"moon.bmp missing", [](D d) { fs::remove(d.atlas() / "moon.bmp"); },
         "atlas/moon.bmp: missing (the campaign's Moon map)"},
        {"moon.bmp size", [](D d) { d.replace(d.atlas() / "moon.bmp", picture(256, 256)); },
         "atlas/moon.bmp: is 256 x 256 pixels; the Moon map is 512 x 256"},
        // a campaign city's files
        {"description missing", [](D d) { fs::remove(d.city(3, ".ini")); },
         "atlas/{3}.ini: missing (the description of city 3 of start.ini)"},
        {"picture missing", [](D d) { fs::remove(d.city(3, "HIGHT.bmp")); },
         "atlas/{3}HIGHT.bmp: missing (a picture of city 3 of start.ini)"},
        {"picture size", [](D d) { d.replace(d.city(3, "PLAN.bmp"), picture(7, 7)); },
         "atlas/{3}PLAN.bmp: is 7 x 7 pixels; a city of Size="},
        {"picture cut short", [](D d) { d.edit(d.city(3, "GROUND.bmp"), [](std::string& t) { t.resize(5000); }); },
         "atlas/{3}GROUND.bmp: is cut short: 5000 bytes"},
        {"picture huge", [](D d) { d.replace(d.city(3, "GROUND.bmp"), headerOnly(30000, 30000)); },
         "atlas/{3}GROUND.bmp: 30000 x 30000 pixels: out of range (1..4096 a side)"},
        {"picture negative width", [](D d) { d.replace(d.city(3, "GROUND.bmp"), headerOnly(-5, 5)); },
         "atlas/{3}GROUND.bmp: -5 x 5 pixels: out of range"},
        {"picture not a BMP", [](D d) { d.replace(d.city(3, "PLAN.bmp"), "this is no picture at all, just text"); },
         "atlas/{3}PLAN.bmp: is not a BMP picture"},
        {"picture empty", [](D d) { d.replace(d.city(3, "PLAN.bmp"), ""); }, "atlas/{3}PLAN.bmp: is not a BMP picture"},
        {"picture run-length coded", [](D d) { d.replace(d.city(3, "PLAN.bmp"), headerOnly(40, 40, 8, 1)); },
         "atlas/{3}PLAN.bmp: 8 bits per pixel with compression 1: not a kind of BMP picture the game reads"},
        {"picture header unknown", [](D d) { d.edit(d.city(3, "PLAN.bmp"), [](std::string& t) { t[14] = 64; }); },
         "atlas/{3}PLAN.bmp: has a BMP header of 64 bytes"},
        {"size differs from start.ini", [](D d) { d.setKey(d.startIni(), "3", "Size", "0"); },
         "atlas/{3}.ini:2: Size="},
        {"description size invalid", [](D d) { d.setKey(d.city(3, ".ini"), "General", "Size", "8"); },
         "atlas/{3}.ini:2: Size=8 is not a city size (3, 7, 15 or 31)"},
        {"cell record missing",
         [](D d) {
             d.edit(d.city(3, ".ini"), [](std::string& t) { t.resize(t.rfind("\r\n[") + 2); });
         },
         "atlas/{3}.ini: 1 of the"},
        {"cell record outside the city",
         [](D d) {
             d.edit(d.city(3, ".ini"), [](std::string& t) { t += "[99x0]\r\nStructure=None\r\nOrientation=-1\r\nRoad=0\r\n"; });
         },
         "] lies outside the city (0.."},
        {"not a cell record", [](D d) { d.swap(d.city(3, ".ini"), "[0x0]\r\n", "[zero]\r\n"); },
         "atlas/{3}.ini:15: [zero] is not a cell record"},
        {"orientation", [](D d) { d.setFirst(d.city(3, ".ini"), "Orientation", "45"); },
         "atlas/{3}.ini:17: Orientation=45 is not -1, 0, 90, 180 or 270"},
        {"fake car", [](D d) { d.setFirst(d.city(3, ".ini"), "Fakecarname", "tank"); },
         "atlas/{3}.ini:9: Fakecarname=tank is not one of none, buggy"},
        {"terminal without a link", [](D d) { d.setKey(d.city(1, ".ini"), "General", "Hangar NW", "1"); },
         "atlas/{1}.ini:11: Hangar NW=1 but city 1 of start.ini has no NW neighbour"},
        {"link without a terminal", [](D d) { d.setKey(d.city(1, ".ini"), "General", "Hangar SE", "0"); },
         "atlas/{1}.ini:13: Hangar SE=0 but city 1 of start.ini has a SE neighbour"},
        {"description LF line ends",
         [](D d) { d.edit(d.city(3, ".ini"), [](std::string& t) { t = replaceAll(t, "\r\n", "\n"); }); },
         "atlas/{3}.ini:1: line ends with LF instead of CR LF"},
        {"description too large",
         [](D d) { d.edit(d.city(3, ".ini"), [](std::string& t) { t += std::string(3 << 20, ';'); }); },
         "a description file can be; not read"},
        {"description a FIFO", [](D d) { fs::remove(d.city(3, ".ini")); ASSERT_EQ(::mkfifo(d.city(3, ".ini").c_str(), 0600), 0); },
         "atlas/{3}.ini: is not a regular file"},
        // the single mission
        {"single mission picture missing", [](D d) { fs::remove(d.atlas() / "SingleCityGROUND.bmp"); },
         "atlas/SingleCityGROUND.bmp: missing (a picture of the single mission)"},
        {"single mission description missing", [](D d) { fs::remove(d.atlas() / "SingleCity.ini"); },
         "atlas/SingleCity.ini: missing (the description of the single mission)"},
        {"single mission picture size", [](D d) { d.replace(d.atlas() / "SingleCityHIGHT.bmp", picture(16, 16)); },
         "atlas/SingleCityHIGHT.bmp: is 16 x 16 pixels; a city of Size=3 needs 8 x 8 (2 pixels a cell)"},
        {"single mission description broken", [](D d) { d.setKey(d.atlas() / "SingleCity.ini", "General", "Rebels", "-4"); },
         "atlas/SingleCity.ini:4: Rebels=-4 is out of range (0..100)"},
    };
    return cases;
}

TEST(AtlasChecker, PristineCopyIsSound)
{
    const Damaged copy;
    const AtlasReport report = AtlasChecker::check(copy.root());
    EXPECT_TRUE(report.sound()) << joined(report.findings);
    EXPECT_EQ(report.summary(), "atlas/ is sound: 31 cities, start.ini, moon.bmp, single mission");
}

TEST(AtlasChecker, EveryKindOfDamageIsFoundWithItsFileAndLine)
{
    for (const DamageCase& c : damageCases()) {
        SCOPED_TRACE(c.name);
        const Damaged copy;
        c.damage(copy);
        const AtlasReport report = AtlasChecker::check(copy.root());
        const std::string expected = expand(c.expected);
        const bool found = std::any_of(report.findings.begin(), report.findings.end(),
                                       [&](const std::string& f) { return f.find(expected) != std::string::npos; });
        EXPECT_TRUE(found) << "expected: " << expected << "\nfound:\n" << joined(report.findings);
        EXPECT_FALSE(report.sound());
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

// A file broken everywhere gives kMaxFindingsPerFile lines and one that counts the rest.
TEST(AtlasChecker, FindingsOfOneFileAreCapped)
{
    const Damaged copy;
    copy.edit(copy.city(3, ".ini"), [](std::string& t) { t = replaceAll(t, "Road=", "Road=7"); });
    const AtlasReport report = AtlasChecker::check(copy.root());
    const std::string file = "atlas/" + Pristine::get().name(3) + ".ini:";
    const auto listed = std::count_if(report.findings.begin(), report.findings.end(),
                                      [&](const std::string& f) { return f.starts_with(file); });
    EXPECT_EQ(listed, AtlasChecker::kMaxFindingsPerFile + 1) << joined(report.findings); // and the count line
    ASSERT_FALSE(report.findings.empty());
    EXPECT_TRUE(report.findings.back().starts_with("atlas/" + Pristine::get().name(3) + ".ini: "));
    EXPECT_TRUE(report.findings.back().ends_with(" more problems not listed")) << report.findings.back();
}

} // namespace
} // namespace vantor
