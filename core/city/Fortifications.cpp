#include "city/Fortifications.hpp"

namespace vantor {

namespace {

constexpr float kRunsWestEast = 0.0f;
constexpr float kRunsNorthSouth = 90.0f;

void putWall(CityGrid& grid, int i, int j, float run)
{
    grid.setStructure(i, j, grid.road(i, j) ? StructureCode::Gate : StructureCode::Wall, run);
}

void buildInnerWall(CityGrid& grid, const CityLayout& box)
{
    for (int i = box.x0; i <= box.x1; ++i) {
        const bool corner = i == box.x0 || i == box.x1;
        for (const int j : {box.y0, box.y1}) {
            grid.setStructure(i, j, corner ? StructureCode::Gate : StructureCode::Wall, kRunsWestEast);
            if (grid.road(i, j))
                grid.setStructure(i, j, StructureCode::Gate);
        }
    }
    for (int j = box.y0 + 1; j <= box.y1 - 1; ++j) {
        putWall(grid, box.x0, j, kRunsNorthSouth);
        putWall(grid, box.x1, j, kRunsNorthSouth);
    }
}

} // namespace

void Fortifications::placeHangars(CityState& city, bool layRoad)
{
    const GenerationParams& p = city.params;
    const int size = p.size();
    struct Corner {
        bool on;
        int i;
        int j;
        float facing;
    };
    const Corner corners[] = {
        {p.hangarNW, 0, 0, 270.0f},
        {p.hangarNE, size, 0, 180.0f},
        {p.hangarSE, size, size, 90.0f},
        {p.hangarSW, 0, size, 0.0f},
    };
    for (const Corner& c : corners) {
        if (!c.on)
            continue;
        city.grid.setStructure(c.i, c.j, StructureCode::Hangar, c.facing);
        if (layRoad)
            city.grid.setRoad(c.i, c.j, true);
    }
}

void Fortifications::buildWalls(CityState& city, const CityLayout& box, RandomSource& random)
{
    const GenerationParams& p = city.params;
    if (!p.walls)
        return;
    CityGrid& grid = city.grid;
    const int size = p.size();
    if (size > 10)
        buildInnerWall(grid, box);

    if (p.wallN) {
        const int a = random.below(box.x1 - box.x0) + box.x0;
        for (int j = 0; j <= box.y0; ++j)
            putWall(grid, a, j, kRunsNorthSouth);
        grid.setStructure(a, box.y0, StructureCode::Gate);
    }
    if (p.wallS) {
        const int a = random.below(box.x1 - box.x0) + box.x0;
        for (int j = box.y1; j <= size; ++j)
            putWall(grid, a, j, kRunsNorthSouth);
        grid.setStructure(a, box.y1, StructureCode::Gate);
    }
    if (p.wallW) {
        const int b = random.below(box.y1 - box.y0) + box.y0;
        for (int i = 0; i <= box.x0; ++i)
            putWall(grid, i, b, kRunsWestEast);
        grid.setStructure(box.x0, b, StructureCode::Gate);
    }
    if (p.wallE) {
        const int b = random.below(box.y1 - box.y0) + box.y0;
        for (int i = box.x1; i <= size; ++i)
            putWall(grid, i, b, kRunsWestEast);
        grid.setStructure(box.x1, b, StructureCode::Gate);
    }
}

} // namespace vantor
