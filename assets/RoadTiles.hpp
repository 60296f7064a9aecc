#pragma once
// The fifteen 32 x 32 road tiles, roadN.bmp .. roadNESW.bmp.
//
// Every tile is drawn from one cross-section, so neighbouring tiles meet
// without a seam: on each side the road joins, the band meets the tile edge
// centred, with asphalt over columns (or rows) 6..25, a two-pixel kerb on
// 4..5 and 26..27, and pure white (see-through ground) on 0..3 and 28..31.
// Sides without a join are pure white. Straights and bends carry a dashed
// centre line (dashes on 4..11 and 20..27, period 16) and a thin edge line
// one pixel inside each kerb; bends are quarter circles about the tile
// corner; T and X crossings have rounded inner kerbs and zebra crossings on
// their arms; a dead end widens into a turning circle. The asphalt grain
// repeats every 32 pixels, so it runs on across tile borders. No road pixel
// is pure white.

#include "shell/Image.hpp"

#include <filesystem>
#include <string>

namespace vantor::assets {

class RoadTiles {
public:
    static constexpr int kTile = 32;
    static constexpr int kRoadFirst = 6;   // first asphalt column of a north-south band
    static constexpr int kRoadLast = 25;   // last asphalt column
    static constexpr int kKerbWidth = 2;   // kerb pixels on each side of the asphalt

    // Draws the tile for a set of joined sides written as letters in the
    // order N, E, S, W ("NS", "NESW", "W", ...).
    static Image draw(const std::string& letters);

    // Writes all fifteen tiles as road<letters>.bmp into `dir`.
    static void writeAll(const std::filesystem::path& dir);
};

} // namespace vantor::assets
