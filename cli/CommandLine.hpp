#pragma once
// Parsing of vantor-cli's arguments. Every option is parsed and checked
// before anything runs; a bad one throws UsageError with a one-line text
// naming the option and what it accepts. An option's value is the next
// argument or follows '=' (--seed 7, --seed=7); a flag (--overwrite, --help)
// takes none, and "--overwrite=yes" is refused. Each option may be given
// once; a repeated one is refused.

#include "city/GenerationParams.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantor::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Help, CityHelp, City, CampaignHelp, Campaign, CheckHelp, Check, RepairHelp, Repair };

// The settings of `vantor-cli city`, each unset unless given.
struct CityOptions {
    std::optional<std::filesystem::path> root;
    std::optional<std::uint32_t> seed;
    std::optional<int> sizeChoice;
    std::optional<int> lampChoice;
    std::optional<bool> walls, wallN, wallE, wallS, wallW;
    std::optional<bool> highway, downtown, industrial;
    std::optional<bool> landmark;            // false for --landmark none
    std::optional<LandmarkKind> landmarkKind;
    std::optional<int> roadDensity, houseDensity, hillness, rebels;
};

// The settings of `vantor-cli campaign`.
struct CampaignOptions {
    std::optional<std::filesystem::path> root;
    std::optional<std::uint32_t> seed;
    int cities = 30;
    int districts = 6;
    int maxHouseDensity = 70;
    bool largeCities = true;
    bool limitedLights = false;
    bool overwrite = false;
};

// The settings of `vantor-cli check` and `vantor-cli repair`.
struct CheckOptions {
    std::optional<std::filesystem::path> root;
};

struct ParsedCommandLine {
    Command command = Command::Help;
    CityOptions city;
    CampaignOptions campaign;
    CheckOptions check;
};

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

extern const char* const kHelpText;
extern const char* const kCityHelpText;
extern const char* const kCampaignHelpText;
extern const char* const kCheckHelpText;
extern const char* const kRepairHelpText;

} // namespace vantor::cli
