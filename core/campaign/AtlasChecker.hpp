#pragma once
// Checks <program directory>/atlas the way the game reads it and lists every
// problem a hand edit or a broken copy can leave there:
//
// - start.ini: its sections ([General], [Healthes], [1]..[N], [Task1]..
//   [Task14]) and their keys missing, repeated, unknown or out of range;
//   reals written with a decimal comma; lines ending in LF instead of CR LF;
//   city names that are empty, unsafe as file names, reserved (SingleCity,
//   start, moon) or used twice (letter case ignored); links pointing outside
//   1..N or not answered by the neighbour; objectives naming unknown cities;
// - every city start.ini names: its four files <Name>.ini, <Name>PLAN.bmp,
//   <Name>GROUND.bmp and <Name>HIGHT.bmp, the pictures' sizes against the
//   city's Size (10, 32 and 2 pixels a cell) and the description file's own
//   header, cell records and terminals against its links;
// - moon.bmp (512 x 256);
// - the single mission (SingleCity.ini and its three pictures), when any of
//   its files is there: all four, consistent sizes;
// - a save journal left in atlas/ (an interrupted save, which
//   `vantor-cli repair` or the next save rolls back), read but never acted on.
//
// Pictures are judged by their header and file size alone; text files over
// kMaxTextBytes are refused unread. Numbers are parsed with std::from_chars,
// whatever the process locale. Every finding is one line, "atlas/<file>:
// <text>" or "atlas/<file>:<line>: <text>"; control characters in names are
// shown escaped (\x1B).
//
// A missing atlas/, one that cannot be opened (the system's reason, such as a
// link loop), and an atlas/ with neither a campaign nor a single mission
// are findings (the game has nothing to play). A single mission without a
// campaign is sound ("no campaign"); a moon.bmp without start.ini is a
// campaign that lost its description and a finding.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantor {

struct AtlasReport {
    std::vector<std::string> findings; // one line each, in the order found
    bool campaign = false;             // start.ini is there
    int cities = 0;                    // "Number of cities" of start.ini (the headquarters included)
    bool moonMap = false;              // moon.bmp is there
    bool singleMission = false;        // at least one of the single mission's files is there

    bool sound() const { return findings.empty(); }
    // "atlas/ is sound: 31 cities, start.ini, moon.bmp, single mission", or
    // "atlas/ has 3 problems".
    std::string summary() const;
};

class AtlasChecker {
public:
    // Largest text file read: a start.ini of 76 cities is about 40 KB, the
    // description file of a Large city about 80 KB.
    static constexpr std::uintmax_t kMaxTextBytes = std::uintmax_t{1} << 20;
    // Largest picture side accepted; the largest the game uses is 1024.
    static constexpr int kMaxPictureSide = 4096;
    // Findings listed per file; the rest are counted in one closing line.
    static constexpr int kMaxFindingsPerFile = 20;

    // Never throws for anything found on disk: every problem is a finding.
    static AtlasReport check(const std::filesystem::path& programDir);
};

} // namespace vantor
