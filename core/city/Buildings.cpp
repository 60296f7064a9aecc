#include "city/Buildings.hpp"

#include "city/Landmarks.hpp"
#include "city/RoadNetwork.hpp"

namespace vantor {

namespace {

constexpr float kFacings[] = {0.0f, 90.0f, 180.0f, 270.0f};

bool isFirstVariant(StructureCode code)
{
    return code == StructureCode::House1 || code == StructureCode::City1 || code == StructureCode::Industrial1;
}

} // namespace

void Buildings::fillDowntown(CityState& city, const CityLayout& layout, RandomSource& random)
{
    CityGrid& grid = city.grid;
    const double houseDensity = city.params.houseDensity();
    for (int i = layout.x0; i <= layout.x1; ++i) {
        for (int j = layout.y0; j <= layout.y1; ++j) {
            if (grid.structure(i, j) != StructureCode::None || grid.road(i, j))
                continue;
            if (!(grid.road(i + 1, j) || grid.road(i, j + 1) || grid.road(i - 1, j) || grid.road(i, j - 1)))
                continue;
            if (random.real() < houseDensity)
                RoadNetwork::chooseBuilding(city, layout, i, j, random);
        }
    }
}

void Buildings::placeIndustrial(CityState& city, RandomSource& random)
{
    if (!city.params.industrial)
        return;
    const int size = city.params.size();
    const int n = static_cast<int>(size / 2.0 * city.params.houseDensityPosition / 100.0);
    for (int attempt = 0; attempt <= n; ++attempt) {
        const int i = random.below(size);
        const int j = random.below(size);
        if (city.grid.structure(i, j) == StructureCode::None && !city.grid.road(i, j))
            city.grid.setStructure(i, j, StructureCode::Industrial1);
    }
}

void Buildings::placeStreetLamps(CityState& city, RandomSource& random)
{
    const int step = city.params.lampStep();
    if (step <= 0)
        return;
    const int squares = city.params.size() / step;
    for (int gi = 0; gi <= squares; ++gi) {
        for (int gj = 0; gj <= squares; ++gj) {
            for (int attempt = 0; attempt < kLampTries; ++attempt) {
                const int i = step * gi + random.below(step);
                const int j = step * gj + random.below(step);
                if (city.grid.road(i, j) && city.grid.structure(i, j) == StructureCode::None) {
                    city.grid.setStructure(i, j, StructureCode::Lamp, 0.0f);
                    break;
                }
            }
        }
    }
}

void Buildings::orientStructures(CityState& city, RandomSource& random)
{
    CityGrid& grid = city.grid;
    const int size = city.params.size();
    for (int i = 0; i <= size; ++i) {
        for (int j = 0; j <= size; ++j) {
            CityCell& cell = grid.at(i, j);
            if (isFirstVariant(cell.structure))
                cell.orientation = kFacings[random.below(4)];
            if (cell.structure == StructureCode::Gate)
                cell.orientation = 0.0f;
            if (city.params.landmark)
                Landmarks::shapeSurroundings(city, random);
        }
    }
}

} // namespace vantor
