#include "cli/CommandLine.hpp"

#include "platform/Platform.hpp"

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
    "  campaign  generate a whole campaign: atlas/start.ini, atlas/moon.bmp and\n"
    "            every campaign city\n"
    "  check     check atlas/ as the game reads it and list every problem\n"
    "  repair    put back the previous files of a save that was interrupted\n"
    "\n"
    "Run 'vantor-cli <command> --help' for the options of a command.\n"
    "\n"
    "Options:\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "The program directory (the game's folder: config.ini is read from it, atlas/\n"
    "is written in it) is --root DIR, else the environment variable VANTOR_ROOT,\n"
    "else the directory of vantor-cli when data/ is beside it, else\n"
    "$XDG_DATA_HOME/vantor (default ~/.local/share/vantor, created when missing).\n"
    "The pictures come from DIR/data when it holds every file, otherwise from the\n"
    "data installed with Vantor (<prefix>/share/vantor/data). The last lines of\n"
    "the output say which directory and which data were used.\n";

const char* const kCityHelpText =
    "Usage: vantor-cli city [options]\n"
    "\n"
    "Generates one single-mission city with the city editor's settings and saves\n"
    "it as atlas/SingleCity.ini in the program directory. Options not given keep\n"
    "the editor's defaults.\n"
    "\n"
    "  --root DIR              program directory: config.ini and data/ are read\n"
    "                          from it, atlas/ is written in it (default:\n"
    "                          VANTOR_ROOT, else see 'vantor-cli --help')\n"
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

const char* const kCampaignHelpText =
    "Usage: vantor-cli campaign [options]\n"
    "\n"
    "Lays out a campaign on the Moon map and writes it into the atlas directory of\n"
    "the program directory: atlas/start.ini, atlas/moon.bmp and the four files of\n"
    "every campaign city. The single mission's SingleCity files are kept.\n"
    "\n"
    "  --root DIR                  program directory (default: VANTOR_ROOT, else\n"
    "                              see 'vantor-cli --help')\n"
    "  --seed N                    random seed 0..4294967295 (default: the time of\n"
    "                              day; the seed used is printed)\n"
    "  --cities N                  number of cities 1..1000 (default 30); kept in\n"
    "                              30..55 and raised until every district has five\n"
    "  --districts D               number of districts 1..100 (default 6), kept in\n"
    "                              6..15; other than 6 needs CC=1 in config.ini\n"
    "  --max-house-density N       25..100 (default 70)\n"
    "  --large-cities on|off       large cities (default on)\n"
    "  --limited-lights on|off     fewer street lamps (default off)\n"
    "  --overwrite                 replace an existing campaign (without it an\n"
    "                              existing campaign is left alone, exit status 3)\n"
    "  --help                      show this text\n"
    "\n"
    "Progress goes to standard error. The campaign is written into a staging folder\n"
    "and moved into place only when complete: Ctrl-C (or SIGTERM, SIGHUP) or an\n"
    "error keeps the previous campaign unchanged.\n"
    "Exit status: 0 done, 1 input/output error or another Vantor writing atlas/,\n"
    "2 bad arguments, 3 campaign exists, 130/143/129 stopped by SIGINT/SIGTERM/SIGHUP.\n";

const char* const kCheckHelpText =
    "Usage: vantor-cli check [options]\n"
    "\n"
    "Reads the atlas directory of the program directory as the game does and\n"
    "lists every problem, one a line, with the file and line where there is one:\n"
    "start.ini's sections and keys (missing, repeated, out of range, a decimal\n"
    "comma), city names, links and objectives, each city's four files and their\n"
    "picture sizes, moon.bmp, the single mission's four files, and CR LF line\n"
    "ends. Nothing is written. A single mission without a campaign is sound\n"
    "(\"no campaign\"); a missing or empty atlas directory is a problem. A save\n"
    "that was interrupted (a journal left in atlas/) is a problem that\n"
    "'vantor-cli repair' (or the next save) mends.\n"
    "\n"
    "  --root DIR    program directory (default: VANTOR_ROOT, else see\n"
    "                'vantor-cli --help')\n"
    "  --help        show this text\n"
    "\n"
    "Exit status: 0 sound (one summary line), 1 problems found (listed, then a\n"
    "summary line), 2 bad arguments.\n";

const char* const kRepairHelpText =
    "Usage: vantor-cli repair [options]\n"
    "\n"
    "Takes the atlas directory's writer lock as every save does, puts back the\n"
    "previous files of a save that a crash, a kill or a power cut interrupted,\n"
    "and removes what such a save left behind. Nothing else is changed; every\n"
    "save does the same before it writes.\n"
    "\n"
    "  --root DIR    program directory (default: VANTOR_ROOT, else see\n"
    "                'vantor-cli --help')\n"
    "  --help        show this text\n"
    "\n"
    "Exit status: 0 done (nothing to repair, or repaired), 1 input/output error\n"
    "or another Vantor writing atlas/, 2 bad arguments.\n";

namespace {

// An argument "--option=value" split into its option and value; any other
// argument is an option alone (its value, if any, is the next argument).
struct SplitArgument {
    std::string_view option;
    std::string_view value;
    bool inlineValue = false;
};

SplitArgument splitArgument(std::string_view argument)
{
    if (const std::size_t eq = argument.find('='); argument.starts_with("--") && eq != std::string_view::npos)
        return {argument.substr(0, eq), argument.substr(eq + 1), true};
    return {argument, {}, false};
}

// `vantor-cli check|repair [--root DIR]`: the arguments after the command word.
void parseRootOnlyArguments(const std::vector<std::string>& args, ParsedCommandLine& parsed)
{
    const bool repair = args[0] == "repair";
    const std::string hint = repair ? " (see 'vantor-cli repair --help')" : " (see 'vantor-cli check --help')";
    parsed.command = repair ? Command::Repair : Command::Check;
    for (std::size_t k = 1; k < args.size(); ++k) {
        if (args[k] == "--help" || args[k] == "-h") {
            parsed.command = repair ? Command::RepairHelp : Command::CheckHelp;
            return;
        }
        const SplitArgument split = splitArgument(args[k]);
        std::string_view value = split.value;
        if (split.option != "--root")
            throw UsageError(std::string(split.option) + ": unknown option" + hint);
        if (parsed.check.root)
            throw UsageError("--root: given twice");
        if (!split.inlineValue) {
            if (k + 1 >= args.size())
                throw UsageError("--root: missing value" + hint);
            value = args[++k];
        }
        if (value.empty())
            throw UsageError("--root: expected a directory");
        parsed.check.root = platform::pathFromUtf8(value);
    }
}

constexpr std::array<std::string_view, 8> kCampaignOptionNames{
    "--root", "--seed", "--cities", "--districts", "--max-house-density", "--large-cities", "--limited-lights",
    "--overwrite"};

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

// --root and --seed, which every command takes; false for other options.
bool parseCommonOption(std::optional<std::filesystem::path>& root, std::optional<std::uint32_t>& seed,
                       std::string_view option, std::string_view value)
{
    if (option == "--root") {
        if (value.empty())
            throw UsageError("--root: expected a directory");
        root = platform::pathFromUtf8(value);
        return true;
    }
    if (option == "--seed") {
        seed = static_cast<std::uint32_t>(parseNumber(option, value, 0, 4294967295LL));
        return true;
    }
    return false;
}

void parseCityOption(CityOptions& o, std::string_view option, std::string_view value)
{
    if (parseCommonOption(o.root, o.seed, option, value))
        return;
    if (option == "--size") {
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

void parseCampaignOption(CampaignOptions& o, std::string_view option, std::string_view value)
{
    if (parseCommonOption(o.root, o.seed, option, value))
        return;
    if (option == "--cities") {
        o.cities = static_cast<int>(parseNumber(option, value, 1, 1000));
    } else if (option == "--districts") {
        o.districts = static_cast<int>(parseNumber(option, value, 1, 100));
    } else if (option == "--max-house-density") {
        o.maxHouseDensity = static_cast<int>(parseNumber(option, value, 25, 100));
    } else if (option == "--large-cities") {
        o.largeCities = parseSwitch(option, value);
    } else if (option == "--limited-lights") {
        o.limitedLights = parseSwitch(option, value);
    } else {
        throw UsageError(std::string(option) + ": unknown option (see 'vantor-cli campaign --help')");
    }
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args)
{
    ParsedCommandLine parsed;
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help")
        return parsed;
    if (args[0] == "check" || args[0] == "repair") {
        parseRootOnlyArguments(args, parsed);
        return parsed;
    }
    if (args[0] != "city" && args[0] != "campaign")
        throw UsageError(args[0] +
                         ": unknown command (expected 'city', 'campaign', 'check' or 'repair'; see 'vantor-cli --help')");
    const bool campaign = args[0] == "campaign";
    parsed.command = campaign ? Command::Campaign : Command::City;
    const std::string helpHint = campaign ? " (see 'vantor-cli campaign --help')" : " (see 'vantor-cli city --help')";
    // Every option may be given once: a second value would silently win or
    // lose, so it is refused instead.
    std::vector<std::string_view> given;
    for (std::size_t k = 1; k < args.size(); ++k) {
        // Named variables, not a structured binding: the lambda below
        // captures `option`, which clang 14 refuses for a binding.
        const SplitArgument split = splitArgument(args[k]);
        const std::string_view option = split.option;
        const bool inlineValue = split.inlineValue;
        std::string_view value = split.value;
        const bool help = option == "--help" || option == "-h";
        const bool flag = help || (campaign && option == "--overwrite");
        if (flag && inlineValue)
            throw UsageError(std::string(option) + ": takes no value (give " + std::string(option) + " alone, not '" +
                             std::string(args[k]) + "')");
        if (help) {
            parsed.command = campaign ? Command::CampaignHelp : Command::CityHelp;
            return parsed;
        }
        if (!option.starts_with("--"))
            throw UsageError(std::string(option) + ": unexpected argument (options start with --)");
        const auto known = [option](const auto& names) {
            return std::find(names.begin(), names.end(), option) != names.end();
        };
        if (campaign ? !known(kCampaignOptionNames) : !known(kCityOptionNames))
            throw UsageError(std::string(option) + ": unknown option" + helpHint);
        if (std::find(given.begin(), given.end(), option) != given.end())
            throw UsageError(std::string(option) + ": given more than once" + helpHint);
        given.push_back(option);
        if (flag) {
            parsed.campaign.overwrite = true;
            continue;
        }
        if (!inlineValue) {
            if (k + 1 >= args.size())
                throw UsageError(std::string(option) + ": missing value" + helpHint);
            value = args[++k];
        }
        if (campaign)
            parseCampaignOption(parsed.campaign, option, value);
        else
            parseCityOption(parsed.city, option, value);
    }
    return parsed;
}

} // namespace vantor::cli
