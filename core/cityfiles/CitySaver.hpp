#pragma once
// Saves a generated city into <program directory>/atlas: the description
// file <name>.ini, then <name>PLAN.bmp, <name>GROUND.bmp and <name>HIGHT.bmp,
// all 24 bits per pixel. The atlas directory is created when
// missing. Each file is written to a temporary file first and then replaces
// the old one, so a failed save never leaves a half-written city file.

#include "city/CityState.hpp"
#include "city/ProgressSink.hpp"

#include <filesystem>
#include <string_view>

namespace vantor {

class CitySaver {
public:
    // Where a name is used: the single mission may be called SingleCity, a
    // campaign city may not.
    enum class NameUse { SingleMission, CampaignCity };

    // Throws VantorError (kind UnsafeName) when `name` cannot be a file name
    // inside atlas/: empty, too long, a path separator, "." or "..", a
    // control character, one of < > : " | ? *, a trailing dot or space, a
    // reserved device name such as CON or LPT1, or the name of a campaign's
    // own files, "start" or "moon" (and "SingleCity" for a campaign city),
    // in any case. The error shows control characters escaped (\x07).
    static void checkCityName(std::string_view name, NameUse use = NameUse::SingleMission);

    // Writes the city; returns the description file's path.
    static std::filesystem::path save(const CityState& city, const std::filesystem::path& programDir,
                                      ProgressSink& progress);
};

} // namespace vantor
