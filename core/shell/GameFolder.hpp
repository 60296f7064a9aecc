#pragma once
// What the desktop program checks of a game folder before any work starts:
// whether Vantor can write its atlas/, and whether it looks like the game's
// folder at all (the game keeps a config.ini there).

#include "shell/VantorError.hpp"

#include <filesystem>
#include <optional>

namespace vantor {

// Nothing when <folder>/atlas can be written: atlas/ is created when missing
// and one temporary file is created in it and removed again, as every save
// begins. Otherwise the reason, in both languages: "The game folder <folder>
// cannot be written: <what failed>". Writes nothing else and takes no lock,
// so a Vantor that is writing the folder meanwhile is not disturbed.
std::optional<VantorError> atlasWriteProblem(const std::filesystem::path& folder);

// True when <folder>/config.ini is a file: the game keeps its language and
// its campaign-completed flag there, so a folder without it is probably not
// the game's (Vantor still works in it, in English, missions locked).
bool hasGameConfig(const std::filesystem::path& folder);

// The warning for a folder without config.ini, in both languages.
VantorError missingConfigWarning(const std::filesystem::path& folder);

} // namespace vantor
