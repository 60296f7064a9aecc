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
    // Throws VantorError when `name` cannot be a file name inside atlas/:
    // empty, too long, a path separator, "." or "..", a control character,
    // one of < > : " | ? *, a trailing dot or space, or a reserved device
    // name such as CON or LPT1.
    static void checkCityName(std::string_view name);

    // Writes the city; returns the description file's path.
    static std::filesystem::path save(const CityState& city, const std::filesystem::path& programDir,
                                      ProgressSink& progress);
};

} // namespace vantor
