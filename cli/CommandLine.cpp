#include "cli/CommandLine.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>
#include <utility>

namespace vantor::cli {

const char* const kHelpText =
    "Usage: vantor-cli <command> [options]\n"
    "\n"
    "Vantor generates maps for Korvane into the atlas directory.\n"
    "\n"
    "Commands:\n"
    "  city      generate a single mission and save it as atlas/SingleCity\n"
    "\n"
    "Run 'vantor-cli city --help' for the options of a command.\n";

const char* const kCityHelpText =
    "Usage: vantor-cli city [options]\n"
    "\n"
    "Generates one single-mission city with the city editor's settings and saves\n"
    "it as atlas/SingleCity.ini in the program directory. Options not given keep\n"
    "the editor's defaults.\n"
    "\n"
    "  --root DIR              program directory: config.ini and data/ are read\n"
    "                          from it, atlas/ is written in it (default: the\n"
    "                          directory of vantor-cli)\n"
    "  --seed N                random seed 0..4294967295 (default: the time of\n"
    "                          day; the seed used is printed)\n"
    "  --size S                very-small | small | medium | large (default large)\n"
    "  --lamps L               none | many | medium | few (default many)\n"
    "  --walls on|off          city walls (default on)\n"
    "  --wall-north on|off     wall from the inner wall to the north edge (default on)\n"
    "  --wall-east on|off      ... to the east edge (default on)\n"
    "  --wall-south on|off     ... to the south edge (default on)\n"
    "  --wall-west on|off      ... to the west edge (default on)\n"
    "  --highway on|off        elevated highway, Medium and Large only (default on)\n"
    "  --downtown on|off       downtown buildings (default on)\n"
    "  --industrial on|off     industrial buildings (default on)\n"
    "  --landmark K            none | spaceport | garage | carshop | gunshop | fort |\n"
    "                          lab | parking | excavation | rebelhq (default\n"
    "                          spaceport); fort and the kinds after it need\n"
    "                          CC=1 in config.ini (a completed campaign)\n"
    "  --road-density N        0..100 (default 40)\n"
    "  --house-density N       0..100 (default 50)\n"
    "  --hill-height N         0..100 (default 50)\n"
    "  --rebels N              0..100 (default 50)\n"
    "  --help                  show this text\n"
    "\n"
    "Exit status: 0 done, 1 input/output error, 2 bad arguments.\n";

namespace {

constexpr std::array<std::string_view, 17> kCityOptionNames{
    "--root", "--seed", "--size", "--lamps", "--walls", "--wall-north", "--wall-east", "--wall-south",
    "--wall-west", "--highway", "--downtown", "--industrial", "--landmark", "--road-density",
    "--house-density", "--hill-height", "--rebels"};

template <typename T, std::size_t N>
T pickWord(std::string_view option, std::string_view value, const std::array<std::pair<std::string_view, T>, N>& words)
{
    for (const auto& [word, result] : words)
        if (word == value)
            return result;
    std::string accepted;
    for (const auto& entry : words)
        accepted += (accepted.empty() ? "" : ", ") + std::string(entry.first);
    throw UsageError(std::string(option) + ": expected one of " + accepted + ", not '" + std::string(value) + "'");
}

bool parseSwitch(std::string_view option, std::string_view value)
{
    return pickWord<bool, 2>(option, value, {{{"on", true}, {"off", false}}});
}

long long parseNumber(std::string_view option, std::string_view value, long long low, long long high)
{
    long long n = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (value.empty() || ec != std::errc{} || end != value.data() + value.size() || n < low || n > high)
        throw UsageError(std::string(option) + ": expected a whole number " + std::to_string(low) + ".." +
                         std::to_string(high) + ", not '" + std::string(value) + "'");
    return n;
}

int parsePosition(std::string_view option, std::string_view value)
{
    return static_cast<int>(parseNumber(option, value, 0, 100));
}

void parseCityOption(CityOptions& o, std::string_view option, std::string_view value)
{
    if (option == "--root") {
        if (value.empty())
            throw UsageError("--root: expected a directory");
        o.root = std::filesystem::path(value);
    } else if (option == "--seed") {
        o.seed = static_cast<std::uint32_t>(parseNumber(option, value, 0, 4294967295LL));
    } else if (option == "--size") {
        o.sizeChoice = pickWord<int, 4>(option, value, {{{"very-small", 0}, {"small", 1}, {"medium", 2}, {"large", 3}}});
    } else if (option == "--lamps") {
        o.lampChoice = pickWord<int, 4>(option, value, {{{"none", 0}, {"many", 1}, {"medium", 2}, {"few", 3}}});
    } else if (option == "--walls") {
        o.walls = parseSwitch(option, value);
    } else if (option == "--wall-north") {
        o.wallN = parseSwitch(option, value);
    } else if (option == "--wall-east") {
        o.wallE = parseSwitch(option, value);
    } else if (option == "--wall-south") {
        o.wallS = parseSwitch(option, value);
    } else if (option == "--wall-west") {
        o.wallW = parseSwitch(option, value);
    } else if (option == "--highway") {
        o.highway = parseSwitch(option, value);
    } else if (option == "--downtown") {
        o.downtown = parseSwitch(option, value);
    } else if (option == "--industrial") {
        o.industrial = parseSwitch(option, value);
    } else if (option == "--landmark") {
        const int kind = pickWord<int, 10>(option, value,
                                           {{{"none", -1}, {"spaceport", 0}, {"garage", 1}, {"carshop", 2},
                                             {"gunshop", 3}, {"fort", 4}, {"lab", 5}, {"parking", 6},
                                             {"excavation", 7}, {"rebelhq", 8}}});
        o.landmark = kind >= 0;
        if (kind >= 0)
            o.landmarkKind = static_cast<LandmarkKind>(kind);
    } else if (option == "--road-density") {
        o.roadDensity = parsePosition(option, value);
    } else if (option == "--house-density") {
        o.houseDensity = parsePosition(option, value);
    } else if (option == "--hill-height") {
        o.hillness = parsePosition(option, value);
    } else if (option == "--rebels") {
        o.rebels = parsePosition(option, value);
    } else {
        throw UsageError(std::string(option) + ": unknown option (see 'vantor-cli city --help')");
    }
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args)
{
    ParsedCommandLine parsed;
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help")
        return parsed;
    if (args[0] != "city")
        throw UsageError(args[0] + ": unknown command (expected 'city'; see 'vantor-cli --help')");
    parsed.command = Command::City;
    for (std::size_t k = 1; k < args.size(); ++k) {
        std::string_view option = args[k];
        if (option == "--help" || option == "-h") {
            parsed.command = Command::CityHelp;
            return parsed;
        }
        std::string_view value;
        bool inlineValue = false;
        if (const std::size_t eq = option.find('='); option.starts_with("--") && eq != std::string_view::npos) {
            value = option.substr(eq + 1);
            option = option.substr(0, eq);
            inlineValue = true;
        }
        if (!option.starts_with("--"))
            throw UsageError(std::string(option) + ": unexpected argument (options start with --)");
        if (std::find(kCityOptionNames.begin(), kCityOptionNames.end(), option) == kCityOptionNames.end())
            throw UsageError(std::string(option) + ": unknown option (see 'vantor-cli city --help')");
        if (!inlineValue) {
            if (k + 1 >= args.size())
                throw UsageError(std::string(option) + ": missing value (see 'vantor-cli city --help')");
            value = args[++k];
        }
        parseCityOption(parsed.city, option, value);
    }
    return parsed;
}

} // namespace vantor::cli
