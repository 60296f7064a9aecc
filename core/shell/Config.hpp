#pragma once
// config.ini beside the program, section "General": "Language" (default
// "Eng"; "Cze" exactly selects Czech) and "CC" (integer, default 0, nonzero:
// the player has completed the game's campaign, which unlocks the five
// mission layouts and a free district count). Read once, never written.

#include "shell/Language.hpp"

#include <filesystem>
#include <string>

namespace vantor {

struct Config {
    std::string languageSetting = "Eng";
    bool campaignCompleted = false;

    Language language() const noexcept { return languageFromSetting(languageSetting); }

    // Reads <programDir>/config.ini; a missing file, section or key gives the
    // defaults. An unreadable file throws VantorError naming it.
    static Config load(const std::filesystem::path& programDir);
};

} // namespace vantor
