#pragma once
// The Moon map layout: one attempt places the cities district by district,
// links each to its nearest free neighbour in the four diagonal directions
// (North-West, North-East, South-East, South-West passes), names and labels
// them on the 512 x 256 preview, builds the objectives and adds the rebel
// headquarters. An attempt fails when a city got no link or a label found
// no free place; the caller repeats it with the random source as it stands.
//
// Counts: N is kept in 30..55 and D in 6..15, then N grows until every
// district has at least five cities (55 cities in 15 districts become 75).
// When N is not a multiple of D the last N mod D districts get one city
// more, so every city is placed and linked.

#include "campaign/Campaign.hpp"
#include "city/RandomSource.hpp"
#include "shell/Font.hpp"

#include <filesystem>
#include <string>

namespace vantor {

class MoonMap {
public:
    static constexpr int kLabelAttempts = 10000;  // free-place tests per label
    static constexpr int kWalkSteps = 10000000;   // draws of one label walk
    static constexpr int kNameDraws = 100000;     // draws for one city's name
    static constexpr int kLayoutAttempts = 1000;  // attempts before giving up
    static constexpr int kNamesInList = 100;
    static constexpr std::string_view kHeadquartersName = "Rebel Headquarters";

    // The labels' font: a condensed sans-serif, so 75 names fit on the map.
    static constexpr std::string_view kLabelFontFile = "data/DejaVuSansCondensed.ttf";
    static constexpr int kLabelPixelSize = 10;
    static Font loadLabelFont(const std::filesystem::path& programDir);

    struct Counts {
        int cities;
        int districts;
    };
    static Counts normalise(int cities, int districts);

    // Reads the first 100 lines of data/citynames.txt (missing lines are
    // empty names, never given to a city). A name that cannot be a file
    // name inside atlas/, or that is the name of another file there
    // (SingleCity, start, moon, in any case), is refused with an error naming
    // the file and line.
    static std::vector<std::string> loadCityNames(const std::filesystem::path& file);
    // Different non-empty names (letter case ignored, as file names on the
    // game's system are), the headquarters' own name excluded.
    static int usableNameCount(const std::vector<std::string>& names);

    // One attempt; false when it must be repeated (`why` says why).
    static bool generate(Campaign& campaign, RandomSource& random, const Font& labelFont, std::string* why = nullptr);
    // Attempts until one succeeds; throws VantorError when the names cannot
    // suffice or kLayoutAttempts attempts all fail.
    static void generateUntilValid(Campaign& campaign, RandomSource& random, const Font& labelFont);
};

} // namespace vantor
