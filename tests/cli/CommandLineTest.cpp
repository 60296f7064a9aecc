// Every option of vantor-cli and its values, edges included: what the parser
// makes of them, what is refused, and (for `city`) what reaches the city
// editor: the file vantor-cli writes must be the one the editor writes
// with the control set by hand.

#include "cli/CommandLine.hpp"
#include "cityfiles/CityDescriptionFile.hpp"
#include "wizard/CityEditorModel.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <set>
#include <sstream>

namespace vantor {
namespace {

using cli::CampaignOptions;
using cli::CityOptions;
using cli::Command;
using cli::parseCommandLine;

template <typename T>
std::string show(const std::optional<T>& value)
{
    if (!value)
        return "-";
    std::ostringstream out;
    if constexpr (std::is_same_v<T, LandmarkKind>)
        out << static_cast<int>(*value);
    else if constexpr (std::is_same_v<T, std::filesystem::path>)
        out << value->string();
    else
        out << *value;
    return out.str();
}

// Every field, so a test sees any field an option should not have touched.
std::string describe(const CityOptions& o)
{
    std::ostringstream out;
    out << "root=" << show(o.root) << " seed=" << show(o.seed) << " size=" << show(o.sizeChoice)
        << " lamps=" << show(o.lampChoice) << " walls=" << show(o.walls) << " N=" << show(o.wallN)
        << " E=" << show(o.wallE) << " S=" << show(o.wallS) << " W=" << show(o.wallW)
        << " highway=" << show(o.highway) << " downtown=" << show(o.downtown)
        << " industrial=" << show(o.industrial) << " landmark=" << show(o.landmark)
        << " kind=" << show(o.landmarkKind) << " road=" << show(o.roadDensity) << " house=" << show(o.houseDensity)
        << " hill=" << show(o.hillness) << " rebels=" << show(o.rebels);
    return out.str();
}

std::string describe(const CampaignOptions& o)
{
    std::ostringstream out;
    out << "root=" << show(o.root) << " seed=" << show(o.seed) << " cities=" << o.cities
        << " districts=" << o.districts << " house=" << o.maxHouseDensity << " large=" << o.largeCities
        << " limited=" << o.limitedLights << " overwrite=" << o.overwrite;
    return out.str();
}

struct CityCase {
    std::vector<std::string> args; // after "city"
    std::function<void(CityOptions&)> expect;
};

TEST(CommandLine, EveryCityOptionAndValue)
{
    const CityCase cases[] = {
        {{}, [](CityOptions&) {}},
        {{"--root", "/some/dir"}, [](CityOptions& o) { o.root = "/some/dir"; }},
        {{"--seed", "0"}, [](CityOptions& o) { o.seed = 0u; }},
        {{"--seed", "4294967295"}, [](CityOptions& o) { o.seed = 4294967295u; }},
        {{"--size", "very-small"}, [](CityOptions& o) { o.sizeChoice = 0; }},
        {{"--size", "small"}, [](CityOptions& o) { o.sizeChoice = 1; }},
        {{"--size", "medium"}, [](CityOptions& o) { o.sizeChoice = 2; }},
        {{"--size", "large"}, [](CityOptions& o) { o.sizeChoice = 3; }},
        {{"--lamps", "none"}, [](CityOptions& o) { o.lampChoice = 0; }},
        {{"--lamps", "many"}, [](CityOptions& o) { o.lampChoice = 1; }},
        {{"--lamps", "medium"}, [](CityOptions& o) { o.lampChoice = 2; }},
        {{"--lamps", "few"}, [](CityOptions& o) { o.lampChoice = 3; }},
        {{"--walls", "off"}, [](CityOptions& o) { o.walls = false; }},
        {{"--walls", "on"}, [](CityOptions& o) { o.walls = true; }},
        {{"--wall-north", "off"}, [](CityOptions& o) { o.wallN = false; }},
        {{"--wall-east", "off"}, [](CityOptions& o) { o.wallE = false; }},
        {{"--wall-south", "off"}, [](CityOptions& o) { o.wallS = false; }},
        {{"--wall-west", "off"}, [](CityOptions& o) { o.wallW = false; }},
        {{"--wall-west", "on"}, [](CityOptions& o) { o.wallW = true; }},
        {{"--highway", "off"}, [](CityOptions& o) { o.highway = false; }},
        {{"--downtown", "off"}, [](CityOptions& o) { o.downtown = false; }},
        {{"--industrial", "off"}, [](CityOptions& o) { o.industrial = false; }},
        {{"--industrial", "on"}, [](CityOptions& o) { o.industrial = true; }},
        {{"--landmark", "none"}, [](CityOptions& o) { o.landmark = false; }},
        {{"--landmark", "spaceport"}, [](CityOptions& o) { o.landmark = true; o.landmarkKind = LandmarkKind::Spaceport; }},
        {{"--landmark", "garage"}, [](CityOptions& o) { o.landmark = true; o.landmarkKind = LandmarkKind::Garage; }},
        {{"--landmark", "carshop"}, [](CityOptions& o) { o.landmark = true; o.landmarkKind = LandmarkKind::Carshop; }},
        {{"--landmark", "gunshop"}, [](CityOptions& o) { o.landmark = true; o.landmarkKind = LandmarkKind::Gunshop; }},
        {{"--landmark", "fort"}, [](CityOptions& o) { o.landmark = true; o.landmarkKind = LandmarkKind::Fort; }},
        {{"--landmark", "lab"}, [](CityOptions& o) { o.landmark = true; o.landmarkKind = LandmarkKind::Lab; }},
        {{"--landmark", "parking"}, [](CityOptions& o) { o.landmark = true; o.landmarkKind = LandmarkKind::Parking; }},
        {{"--landmark", "excavation"},
         [](CityOptions& o) { o.landmark = true; o.landmarkKind = LandmarkKind::Excavation; }},
        {{"--landmark", "rebelhq"}, [](CityOptions& o) { o.landmark = true; o.landmarkKind = LandmarkKind::RebelHQ; }},
        {{"--road-density", "0"}, [](CityOptions& o) { o.roadDensity = 0; }},
        {{"--road-density", "100"}, [](CityOptions& o) { o.roadDensity = 100; }},
        {{"--house-density", "0"}, [](CityOptions& o) { o.houseDensity = 0; }},
        {{"--house-density", "100"}, [](CityOptions& o) { o.houseDensity = 100; }},
        {{"--hill-height", "0"}, [](CityOptions& o) { o.hillness = 0; }},
        {{"--hill-height", "100"}, [](CityOptions& o) { o.hillness = 100; }},
        {{"--rebels", "0"}, [](CityOptions& o) { o.rebels = 0; }},
        {{"--rebels", "100"}, [](CityOptions& o) { o.rebels = 100; }},
        {{"--rebels", "37"}, [](CityOptions& o) { o.rebels = 37; }},
        // Options combine.
        {{"--wall-east", "off", "--wall-west", "on", "--rebels", "5"},
         [](CityOptions& o) {
             o.wallE = false;
             o.wallW = true;
             o.rebels = 5;
         }},
    };
    for (const CityCase& c : cases) {
        std::vector<std::string> args{"city"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CityOptions expected;
        c.expect(expected);
        const cli::ParsedCommandLine parsed = parseCommandLine(args);
        EXPECT_EQ(parsed.command, Command::City);
        EXPECT_EQ(describe(parsed.city), describe(expected)) << testing::PrintToString(c.args);
    }
}

struct CampaignCase {
    std::vector<std::string> args; // after "campaign"
    std::function<void(CampaignOptions&)> expect;
};

TEST(CommandLine, EveryCampaignOptionAndValue)
{
    const CampaignCase cases[] = {
        {{}, [](CampaignOptions&) {}},
        {{"--root", "r"}, [](CampaignOptions& o) { o.root = "r"; }},
        {{"--seed", "0"}, [](CampaignOptions& o) { o.seed = 0u; }},
        {{"--seed", "4294967295"}, [](CampaignOptions& o) { o.seed = 4294967295u; }},
        {{"--cities", "1"}, [](CampaignOptions& o) { o.cities = 1; }},
        {{"--cities", "1000"}, [](CampaignOptions& o) { o.cities = 1000; }},
        {{"--districts", "1"}, [](CampaignOptions& o) { o.districts = 1; }},
        {{"--districts", "100"}, [](CampaignOptions& o) { o.districts = 100; }},
        {{"--max-house-density", "25"}, [](CampaignOptions& o) { o.maxHouseDensity = 25; }},
        {{"--max-house-density", "100"}, [](CampaignOptions& o) { o.maxHouseDensity = 100; }},
        {{"--large-cities", "off"}, [](CampaignOptions& o) { o.largeCities = false; }},
        {{"--large-cities", "on"}, [](CampaignOptions& o) { o.largeCities = true; }},
        {{"--limited-lights", "on"}, [](CampaignOptions& o) { o.limitedLights = true; }},
        {{"--limited-lights", "off"}, [](CampaignOptions& o) { o.limitedLights = false; }},
        {{"--overwrite"}, [](CampaignOptions& o) { o.overwrite = true; }},
        {{"--large-cities", "off", "--limited-lights", "on", "--cities", "44"},
         [](CampaignOptions& o) {
             o.largeCities = false;
             o.limitedLights = true;
             o.cities = 44;
         }},
    };
    for (const CampaignCase& c : cases) {
        std::vector<std::string> args{"campaign"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CampaignOptions expected;
        c.expect(expected);
        const cli::ParsedCommandLine parsed = parseCommandLine(args);
        EXPECT_EQ(parsed.command, Command::Campaign);
        EXPECT_EQ(describe(parsed.campaign), describe(expected)) << testing::PrintToString(c.args);
    }
}

TEST(CommandLine, ValuesJustOutsideTheirRangeAreRefusedNamingTheOption)
{
    const std::vector<std::vector<std::string>> refused{
        {"city", "--seed", "-1"},
        {"city", "--seed", "4294967296"},
        {"city", "--seed", ""},
        {"city", "--seed", "1.5"},
        {"city", "--road-density", "-1"},
        {"city", "--road-density", "101"},
        {"city", "--house-density", "101"},
        {"city", "--hill-height", "101"},
        {"city", "--rebels", "-1"},
        {"city", "--rebels", "101"},
        {"city", "--size", "Large"},
        {"city", "--size", "huge"},
        {"city", "--size", "small", "--size", "medium"}, // an option given twice
        {"city", "--overwrite"},
        {"city", "--lamps", "some"},
        {"city", "--walls", "yes"},
        {"city", "--wall-east", "1"},
        {"city", "--landmark", "castle"},
        {"city", "--cities", "30"},
        {"campaign", "--cities", "0"},
        {"campaign", "--cities", "1001"},
        {"campaign", "--districts", "0"},
        {"campaign", "--districts", "101"},
        {"campaign", "--max-house-density", "24"},
        {"campaign", "--max-house-density", "101"},
        {"campaign", "--large-cities", "yes"},
        {"campaign", "--limited-lights", "1"},
        {"campaign", "--seed", "4294967296"},
        {"campaign", "--size", "small"},
        {"campaign", "--cities"},
    };
    for (const auto& args : refused) {
        const std::string option = args[1];
        try {
            parseCommandLine(args);
            ADD_FAILURE() << testing::PrintToString(args) << " was accepted";
        } catch (const cli::UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(option), std::string::npos) << e.what();
        }
    }
}

// What vantor-cli writes for an option must be what the city editor writes
// with the matching control set. Each option's file must also differ from
// every other's, or the comparison could not tell two options apart.
TEST(CommandLine, EachCityOptionReachesTheEditor)
{
    struct Case {
        std::vector<std::string> args;
        std::function<void(CityEditorModel&)> control;
    };
    const Case cases[] = {
        {{}, [](CityEditorModel&) {}},
        {{"--size", "medium"}, [](CityEditorModel& e) { e.setSizeChoice(2); }},
        {{"--lamps", "none"}, [](CityEditorModel& e) { e.setLampChoice(0); }},
        {{"--lamps", "medium"}, [](CityEditorModel& e) { e.setLampChoice(2); }},
        {{"--lamps", "few"}, [](CityEditorModel& e) { e.setLampChoice(3); }},
        {{"--walls", "off"}, [](CityEditorModel& e) { e.params().walls = false; }},
        {{"--wall-north", "off"}, [](CityEditorModel& e) { e.params().wallN = false; }},
        {{"--wall-east", "off"}, [](CityEditorModel& e) { e.params().wallE = false; }},
        {{"--wall-south", "off"}, [](CityEditorModel& e) { e.params().wallS = false; }},
        {{"--wall-west", "off"}, [](CityEditorModel& e) { e.params().wallW = false; }},
        {{"--size", "medium", "--highway", "off"},
         [](CityEditorModel& e) {
             e.setSizeChoice(2);
             e.params().highway = false;
         }},
        {{"--downtown", "off"}, [](CityEditorModel& e) { e.params().downtown = false; }},
        {{"--industrial", "off"}, [](CityEditorModel& e) { e.params().industrial = false; }},
        {{"--landmark", "none"}, [](CityEditorModel& e) { e.setLandmarkEnabled(false); }},
        {{"--landmark", "gunshop"}, [](CityEditorModel& e) { e.setLandmarkKind(LandmarkKind::Gunshop); }},
        // Road density decides the downtown branches, which a Medium city is big enough to have.
        {{"--size", "medium", "--road-density", "0"},
         [](CityEditorModel& e) {
             e.setSizeChoice(2);
             e.setRoadDensityPosition(0);
         }},
        {{"--size", "medium", "--road-density", "100"},
         [](CityEditorModel& e) {
             e.setSizeChoice(2);
             e.setRoadDensityPosition(100);
         }},
        {{"--house-density", "100"}, [](CityEditorModel& e) { e.setHouseDensityPosition(100); }},
        {{"--hill-height", "10"}, [](CityEditorModel& e) { e.setHillnessPosition(10); }},
        {{"--rebels", "100"}, [](CityEditorModel& e) { e.setRebelsPosition(100); }},
        {{"--seed", "4294967295"}, [](CityEditorModel&) {}},
    };
    const char* const kSeed = "4"; // a seed where every case below writes a city of its own
    test::TempDir root;
    test::linkData(root.path());
    std::map<std::string, std::string> seen; // file -> the case that wrote it
    for (const Case& c : cases) {
        // A Small city unless the case says otherwise: quick, and big enough for walls and every building.
        // (an option the case gives itself is not given twice: that is refused).
        const auto gives = [&](const char* option) {
            return std::find(c.args.begin(), c.args.end(), option) != c.args.end();
        };
        std::vector<std::string> args{"city", "--root", root.path().string()};
        if (!gives("--seed"))
            args.insert(args.end(), {"--seed", kSeed});
        if (!gives("--size"))
            args.insert(args.end(), {"--size", "small"});
        args.insert(args.end(), c.args.begin(), c.args.end());
        const test::ProcessResult r = test::runCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        const std::string written = test::readFile(root.path() / "atlas" / "SingleCity.ini");

        CityEditorModel editor;
        test::attachData(editor);
        editor.setSizeChoice(1);
        c.control(editor);
        RandomSource random(c.args.size() == 2 && c.args[0] == "--seed" ? 4294967295u : std::stoul(kSeed));
        NullProgressSink progress;
        editor.generate(random, progress);
        EXPECT_EQ(written, CityDescriptionFile::format(editor.city())) << testing::PrintToString(c.args);
        const auto [other, fresh] = seen.emplace(written, testing::PrintToString(c.args));
        EXPECT_TRUE(fresh) << testing::PrintToString(c.args) << " writes the same city as " << other->second;
    }
}

} // namespace
} // namespace vantor
