// Properties every generated city keeps, over many seeds, every size and
// settings drawn from the seed. Only the grid is made (no pictures), so a
// thousand cities take well under a second; rare branches (a branch road that
// reaches the edge, a landmark search that spirals out to the border) are hit
// by some seed, as the counters at the end make sure.
//
// - Roads touch the map's edge only where a hangar road starts: the NW
//   hangar's road runs east along the North row from its corner, no further
//   than the centre's column, without a gap; the SW hangar's road runs north
//   along the West column from its corner, no further than the centre's row;
//   the SE and NE hangars' roads run along the South row and the East column
//   towards the centre (a broken road square may cut a cell out of these).
//   The landmark's surroundings (two cells around it) may add or remove road.
// - Each structure stays in its band: hangars in the corners asked for;
//   walls and gates on the downtown box's edge or on the radial lines from
//   it, gates on roads or on the box's edge; ramps west and east of the box,
//   their rows inside the map; pillars between the ramps on the highway's
//   row; the landmark one cell inside the border; industrial buildings off
//   the South row and East column; houses and downtown buildings off the
//   North row and West column; lamps on roads. Variants appear only with the
//   pictures.
// - Facings: hangars towards their road, ramps along the highway, pillars,
//   lamps and gates 0, walls along their run, buildings one of the four.
// - The landmark's surroundings: a Carshop stands in a bare yard of 3 x 3
//   cells without roads and switches the highway off; a Spaceport gets a road
//   cross two cells long each way, free corners and no buildings near it.
// - The highway's row keeps one row clear of the landmark's row either side.

#include "city/CityGenerator.hpp"
#include "city/CityLayout.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

namespace vantor {
namespace {

struct Counters {
    int highways = 0;
    int highwaysBesideALandmark = 0;
    int edgeRunsLongerThanOneCell = 0; // a hangar road walking along an edge
    int landmarksOnTheBandsEdge = 0;   // landmark in column or row 1 or size - 1
    std::set<StructureCode> kinds;     // every kind placed somewhere
};

// The city drawn from one seed: the settings from a source of their own, so
// the city's draws are the generator's alone.
CityState cityFor(std::uint32_t seed)
{
    RandomSource settings(seed * 7919u + 13u);
    CityState city;
    GenerationParams& p = city.params;
    p.sizeChoice = settings.below(4);
    p.lampChoice = settings.below(4);
    p.roadDensityPosition = settings.below(101);
    p.houseDensityPosition = settings.below(101);
    p.hillnessPosition = settings.below(101);
    p.rebelsPosition = settings.below(101);
    p.hangarNW = settings.below(4) != 0;
    p.hangarNE = settings.below(4) != 0;
    p.hangarSE = settings.below(4) != 0;
    p.hangarSW = settings.below(4) != 0;
    p.walls = settings.below(2) == 1;
    p.wallN = settings.below(2) == 1;
    p.wallE = settings.below(2) == 1;
    p.wallS = settings.below(2) == 1;
    p.wallW = settings.below(2) == 1;
    p.highway = settings.below(4) != 0;
    p.downtown = settings.below(4) != 0;
    p.industrial = settings.below(4) != 0;
    p.landmark = settings.below(4) != 0;
    // Spaceport, Garage, Carshop, Gunshop; the other kinds are fixed layouts with goldens of their own.
    p.landmarkKind = static_cast<LandmarkKind>(settings.below(4));
    city.branchToggle = settings.below(2) == 1;
    RandomSource random(seed);
    NullProgressSink progress;
    CityGenerator::place(city, random, progress);
    return city;
}

void checkCity(const CityState& city, const CityLayout& box, Counters& counters)
{
    const GenerationParams& p = city.params;
    const CityGrid& grid = city.grid;
    const int last = p.size();
    const int lx = city.landmarkX;
    const int ly = city.landmarkY;
    const auto nearLandmark = [&](int i, int j) { return lx >= 0 && std::abs(i - lx) <= 2 && std::abs(j - ly) <= 2; };
    const auto roadOrNear = [&](int i, int j) { return grid.road(i, j) || nearLandmark(i, j); };

    // ---- Roads on the edge ----
    if (grid.road(last, 0) && !nearLandmark(last, 0)) {
        EXPECT_TRUE(p.hangarNE) << "road in the NE corner";
    }
    for (int k = 0; k <= last; ++k) {
        SCOPED_TRACE("edge cell " + std::to_string(k));
        // North row: the NW hangar's road, from the corner east to at most the centre's column.
        if (k < last && grid.road(k, 0) && !nearLandmark(k, 0)) {
            EXPECT_TRUE(p.hangarNW && k <= box.cx) << "road at [" << k << "][0], centre column " << box.cx;
            for (int g = 0; g < k; ++g)
                EXPECT_TRUE(roadOrNear(g, 0)) << "gap at [" << g << "][0] before the road at [" << k << "][0]";
        }
        // West column: the SW hangar's road, from the corner north to at most the centre's row.
        if (k > 0 && grid.road(0, k) && !nearLandmark(0, k)) {
            EXPECT_TRUE(p.hangarSW && k >= box.cy) << "road at [0][" << k << "], centre row " << box.cy;
            for (int g = k + 1; g <= last; ++g)
                EXPECT_TRUE(roadOrNear(0, g)) << "gap at [0][" << g << "] after the road at [0][" << k << "]";
        }
        // South row: the SE hangar's road towards the centre's column.
        if (k > 0 && grid.road(k, last) && !nearLandmark(k, last)) {
            EXPECT_TRUE(p.hangarSE && k >= box.cx) << "road at [" << k << "][" << last << "], centre column " << box.cx;
        }
        // East column: the NE hangar's road towards the centre's row.
        if (k > 0 && k < last && grid.road(last, k) && !nearLandmark(last, k)) {
            EXPECT_TRUE(p.hangarNE && k <= box.cy) << "road at [" << last << "][" << k << "], centre row " << box.cy;
        }
    }
    if (grid.road(2, 0) && grid.road(1, 0) && !nearLandmark(2, 0))
        ++counters.edgeRunsLongerThanOneCell;

    // ---- Hangars: in the corners asked for ----
    const struct {
        bool on;
        int i;
        int j;
        float facing; // towards the hangar's road
    } corners[] = {{p.hangarNW, 0, 0, 270.0f}, {p.hangarNE, last, 0, 180.0f}, {p.hangarSE, last, last, 90.0f},
                   {p.hangarSW, 0, last, 0.0f}};
    for (const auto& c : corners) {
        const StructureCode s = grid.structure(c.i, c.j);
        if (s == StructureCode::Hangar) {
            EXPECT_EQ(grid.at(c.i, c.j).orientation, c.facing) << "corner [" << c.i << "][" << c.j << "]";
        }
        if (!c.on || nearLandmark(c.i, c.j))
            continue;
        // Only the SE corner can lose its hangar: a broken road square puts a building there.
        const bool broken = c.i == last && c.j == last && (s == StructureCode::House1 || s == StructureCode::City1);
        EXPECT_TRUE(s == StructureCode::Hangar || broken) << "corner [" << c.i << "][" << c.j << "]";
    }

    // ---- Every structure in its band ----
    const auto onBoxEdge = [&](int i, int j) {
        return ((i == box.x0 || i == box.x1) && j >= box.y0 && j <= box.y1) ||
               ((j == box.y0 || j == box.y1) && i >= box.x0 && i <= box.x1);
    };
    // Radial walls: a column in x0..x1 - 1 North or South of the box, a row in y0..y1 - 1 West or East of it.
    const auto onRadialLine = [&](int i, int j) {
        const bool column = i >= box.x0 && i <= std::max(box.x0, box.x1 - 1) && (j <= box.y0 || j >= box.y1);
        const bool row = j >= box.y0 && j <= std::max(box.y0, box.y1 - 1) && (i <= box.x0 || i >= box.x1);
        return column || row;
    };
    const HighwayPlacement& h = city.highway;
    int landmarks = 0;
    int stairs = 0;
    for (int i = 0; i <= last; ++i) {
        for (int j = 0; j <= last; ++j) {
            const StructureCode s = grid.structure(i, j);
            const float facing = grid.at(i, j).orientation;
            counters.kinds.insert(s);
            const bool facesOneWay = facing == 0.0f || facing == 90.0f || facing == 180.0f || facing == 270.0f;
            std::ostringstream where;
            where << "structure " << static_cast<int>(s) << " at [" << i << "][" << j << "], box " << box.x0 << ".."
                  << box.x1 << " x " << box.y0 << ".." << box.y1;
            SCOPED_TRACE(where.str());
            switch (s) {
            case StructureCode::None:
                break;
            case StructureCode::Hangar:
                EXPECT_TRUE((i == 0 || i == last) && (j == 0 || j == last));
                break;
            case StructureCode::Wall:
                EXPECT_TRUE(p.walls);
                EXPECT_TRUE((last > 10 && onBoxEdge(i, j)) || onRadialLine(i, j));
                EXPECT_FALSE(grid.road(i, j) && !nearLandmark(i, j)) << "a wall on a road is a gate";
                EXPECT_TRUE(facing == 0.0f || facing == 90.0f);
                break;
            case StructureCode::Gate:
                EXPECT_TRUE(p.walls);
                EXPECT_TRUE((last > 10 && onBoxEdge(i, j)) || onRadialLine(i, j));
                EXPECT_TRUE(roadOrNear(i, j) || onBoxEdge(i, j)) << "a gate stands on a road or ends a wall at the box";
                EXPECT_EQ(facing, 0.0f);
                break;
            case StructureCode::Stairs:
                ++stairs;
                EXPECT_TRUE(h.placed && p.highway && last > 10);
                EXPECT_TRUE((i == h.west && j == h.row) || (i == h.east && j == h.row + 2));
                EXPECT_EQ(facing, i == h.west ? 270.0f : 90.0f) << "the ramps face along the highway";
                break;
            case StructureCode::Pillar:
                EXPECT_TRUE(h.placed);
                EXPECT_TRUE(j == h.row + 1 && i > h.west && i < h.east);
                EXPECT_EQ(facing, 90.0f);
                break;
            case StructureCode::Landmark:
                ++landmarks;
                EXPECT_TRUE(p.landmark);
                EXPECT_TRUE(i == lx && j == ly);
                EXPECT_TRUE(i >= 1 && i <= last - 1 && j >= 1 && j <= last - 1) << "one cell inside the border";
                break;
            case StructureCode::Industrial1:
                EXPECT_TRUE(p.industrial);
                EXPECT_TRUE(i <= last - 1 && j <= last - 1);
                EXPECT_TRUE(facesOneWay);
                break;
            case StructureCode::City1:
                EXPECT_TRUE(p.downtown);
                EXPECT_TRUE(i >= 1 && j >= 1);
                EXPECT_TRUE(facesOneWay);
                break;
            case StructureCode::House1:
                EXPECT_TRUE(i >= 1 && j >= 1);
                EXPECT_TRUE(facesOneWay);
                break;
            case StructureCode::Lamp:
                EXPECT_GT(p.lampChoice, 0);
                EXPECT_TRUE(roadOrNear(i, j));
                EXPECT_EQ(facing, 0.0f);
                break;
            default:
                ADD_FAILURE() << "variants appear only with the pictures";
            }
        }
    }
    EXPECT_EQ(landmarks, lx >= 0 ? 1 : 0);

    // ---- The landmark's surroundings ----
    const auto inside = [last](int i, int j) { return i >= 0 && j >= 0 && i <= last && j <= last; };
    if (lx >= 0 && p.landmarkKind == LandmarkKind::Carshop) {
        EXPECT_FALSE(p.highway) << "a Carshop switches the highway off";
        for (int di = -1; di <= 1; ++di)
            for (int dj = -1; dj <= 1; ++dj) {
                EXPECT_FALSE(grid.road(lx + di, ly + dj)) << "the Carshop's yard at " << di << "," << dj;
                if (di != 0 || dj != 0) {
                    EXPECT_EQ(grid.structure(lx + di, ly + dj), StructureCode::None) << di << "," << dj;
                }
            }
    }
    if (lx >= 0 && p.landmarkKind == LandmarkKind::Spaceport) {
        for (int d = -2; d <= 2; ++d) {
            if (inside(lx + d, ly)) {
                EXPECT_TRUE(grid.road(lx + d, ly)) << "the Spaceport's road cross at " << d << ",0";
            }
            if (inside(lx, ly + d)) {
                EXPECT_TRUE(grid.road(lx, ly + d)) << "the Spaceport's road cross at 0," << d;
            }
            if (d != 0 && inside(lx + d, ly) && inside(lx, ly + d)) {
                EXPECT_EQ(grid.structure(lx + d, ly), StructureCode::None) << d << ",0";
                EXPECT_EQ(grid.structure(lx, ly + d), StructureCode::None) << "0," << d;
            }
        }
        for (const int di : {-1, 1})
            for (const int dj : {-1, 1}) {
                EXPECT_FALSE(grid.road(lx + di, ly + dj)) << "the Spaceport's corner " << di << "," << dj;
                EXPECT_EQ(grid.structure(lx + di, ly + dj), StructureCode::None) << di << "," << dj;
            }
    }
    if (lx == 1 || ly == 1 || lx == last - 1 || ly == last - 1)
        ++counters.landmarksOnTheBandsEdge;

    // ---- The highway: ramps west and east of the box, one row clear of the landmark ----
    EXPECT_EQ(stairs, h.placed ? 2 : 0);
    if (h.placed) {
        ++counters.highways;
        // West of the box (at column 1 when the box starts there), so the ramp's block stays on the map.
        EXPECT_TRUE(h.west >= 1 && h.west <= std::max(1, box.x0 - 1)) << "west ramp " << h.west << ", box from " << box.x0;
        EXPECT_TRUE(h.east >= box.x1 && h.east <= last - 1) << "east ramp " << h.east << ", box to " << box.x1;
        EXPECT_TRUE(h.row >= 1 && h.row <= last - 4) << "ramp row " << h.row;
        if (ly >= 0) {
            EXPECT_GT(std::abs(h.row - ly), 1) << "highway row " << h.row << ", landmark row " << ly;
            counters.highwaysBesideALandmark += std::abs(h.row - ly) == 2 ? 1 : 0;
        }
    }
}

TEST(CityProperties, HoldForEverySeedAndSize)
{
    Counters counters;
    for (std::uint32_t seed = 1; seed <= 1500; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const CityState city = cityFor(seed);
        // The city's first two draws are its centre (CityLayout).
        RandomSource replay(seed);
        const CityLayout box = CityLayout::draw(city.params.size(), replay);
        checkCity(city, box, counters);
        if (testing::Test::HasFailure())
            return; // one seed's failures say enough
    }
    EXPECT_GT(counters.highways, 100) << "the seeds exercise the highway";
    EXPECT_GT(counters.highwaysBesideALandmark, 0) << "some highway runs as close to the landmark as allowed";
    EXPECT_GT(counters.edgeRunsLongerThanOneCell, 100) << "hangar roads run along the North row";
    EXPECT_GT(counters.landmarksOnTheBandsEdge, 100) << "landmarks reach the edge of their band";
    EXPECT_EQ(counters.kinds.size(), 11u) << "every kind of structure, and None, appears in some city";
}

} // namespace
} // namespace vantor
