#include "city/RoadNetwork.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace vantor {

namespace {

// One hangar walk (NW, NE, SE, SW): the corner, the start cell beside the corner, step A (taken on a draw
// above 0.5) and step B, and which way the clamps point.
struct HangarWalk {
    int cornerI; // in units of size: 0 or 1
    int cornerJ;
    int startDi; // start cell relative to the corner
    int startDj;
    int stepI;   // step A moves i by this, step B moves j by stepJ
    int stepJ;
};

constexpr std::array<HangarWalk, 4> kHangarWalks{{
    {0, 0, +1, 0, +1, +1},
    {1, 0, 0, +1, -1, +1},
    {1, 1, -1, 0, -1, -1},
    {0, 1, 0, -1, +1, -1},
}};

int clampTowards(int value, int target, int step)
{
    return step > 0 ? std::min(value, target) : std::max(value, target);
}

} // namespace

void RoadNetwork::layHangarRoads(CityState& city, const CityLayout& layout, RandomSource& random)
{
    CityGrid& grid = city.grid;
    const int size = city.params.size();
    for (const HangarWalk& walk : kHangarWalks) {
        const int ci = walk.cornerI * size;
        const int cj = walk.cornerJ * size;
        if (grid.structure(ci, cj) != StructureCode::Hangar)
            continue;
        int i = ci + walk.startDi;
        int j = cj + walk.startDj;
        do {
            grid.setRoad(i, j, true);
            if (random.real() > 0.5)
                i += walk.stepI;
            else
                j += walk.stepJ;
            i = clampTowards(i, layout.cx, walk.stepI);
            j = clampTowards(j, layout.cy, walk.stepJ);
        } while (i != layout.cx || j != layout.cy);
    }
    grid.setRoad(layout.cx, layout.cy, true);
}

void RoadNetwork::layBlockRoads(CityState& city, const CityLayout& layout, RandomSource& random)
{
    CityGrid& grid = city.grid;
    const int size = city.params.size();
    const double roadDensity = city.params.roadDensity();
    for (int i = layout.x0; i <= layout.x1; ++i) {
        for (int j = layout.y0; j <= layout.y1; ++j) {
            if (random.real() > 0.95)
                city.branchToggle = !city.branchToggle;
            if (!city.branchToggle)
                continue;
            if (!(random.real() < roadDensity) || !grid.road(i, j))
                continue;
            if (random.real() < 0.5) {
                const int k = random.below(size / 4);
                if (i - k > 0 && i + k < size)
                    for (int b = i - k; b <= i + k; ++b)
                        grid.setRoad(b, j, true);
            } else {
                const int k = random.below(size / 4);
                if (j - k > 0 && j + k < size)
                    for (int b = j - k; b <= j + k; ++b)
                        grid.setRoad(i, b, true);
            }
        }
    }
}

void RoadNetwork::breakRoadSquares(CityState& city, const CityLayout& layout, RandomSource& random)
{
    CityGrid& grid = city.grid;
    const int size = city.params.size();
    const double houseDensity = city.params.houseDensity();
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            if (grid.road(i, j) && grid.road(i + 1, j) && grid.road(i + 1, j + 1) && grid.road(i, j + 1)) {
                grid.setRoad(i + 1, j + 1, false);
                if (random.real() < houseDensity)
                    chooseBuilding(city, layout, i + 1, j + 1, random);
            }
        }
    }
}

void RoadNetwork::chooseBuilding(CityState& city, const CityLayout& layout, int i, int j, RandomSource& random)
{
    const int dx = layout.cx - i;
    const int dy = layout.cy - j;
    const int n = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
    const int d = random.below(n);
    const double downtownRadius = city.params.size() / 6.0;
    const bool downtown = city.params.downtown && d < downtownRadius;
    city.grid.setStructure(i, j, downtown ? StructureCode::City1 : StructureCode::House1);
}

void RoadNetwork::buildHighway(CityState& city, const CityLayout& layout, RandomSource& random)
{
    city.params.hillnessPosition = std::min(city.params.hillnessPosition, 40);

    CityGrid& grid = city.grid;
    const int size = city.params.size();
    const auto free = [&grid](int i, int j) { return grid.structure(i, j) == StructureCode::None; };
    int a = 0;
    int b = 0;
    int c = 0;
    bool found = false;
    for (int attempt = 0; attempt < kHighwayAttempts && !found; ++attempt) {
        a = random.below(layout.x0 - 1) + 1;
        b = random.below(size - layout.x1) + layout.x1;
        c = random.below(size - 4) + 1;
        found = free(a - 1, c) && free(a - 1, c + 1) && free(a, c + 1) && free(a, c) &&
                free(b, c + 2) && free(b + 1, c + 1) && free(b + 1, c + 2) && free(b, c + 1) &&
                c != city.landmarkY - 1 && c != city.landmarkY && c != city.landmarkY + 1;
    }
    if (!found)
        return;

    grid.setStructure(a, c, StructureCode::Stairs, 270.0f);
    grid.setStructure(a - 1, c, StructureCode::None);
    grid.setStructure(a - 1, c + 1, StructureCode::None);
    grid.setStructure(a, c + 1, StructureCode::None);
    grid.setStructure(b, c + 2, StructureCode::Stairs, 90.0f);
    grid.setStructure(b + 1, c + 1, StructureCode::None);
    grid.setStructure(b + 1, c + 2, StructureCode::None);
    grid.setStructure(b, c + 1, StructureCode::None);

    const int row = c + 1;
    for (int i = a + 1; i <= b - 1; ++i) {
        if (grid.structure(i, row) == StructureCode::City1)
            grid.setStructure(i, row, StructureCode::House1);
        if (grid.structure(i, row) == StructureCode::None && random.real() > 0.75)
            grid.setStructure(i, row, StructureCode::Pillar, 90.0f);
    }
    city.highway = {true, a, b, c};
}

} // namespace vantor
