#include "city/Landmarks.hpp"

#include "city/Fortifications.hpp"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

namespace vantor {

namespace {

struct TemplateRow {
    int index;
    std::string_view road;
    std::string_view structure;
};

struct LandmarkTemplate {
    LandmarkKind kind;
    int sizeChoice;       // the template's city size
    bool highway;
    bool walls;
    int landmarkX;
    int landmarkY;
    float landmarkFacing;
    int hillnessPosition; // -1 keeps the current hill height
    int fakeCarIndex;
    std::span<const TemplateRow> rows; // rows not listed are "0" in both
};

// The Fort: a walled keep in a ring road.
constexpr TemplateRow kFortRows[] = {
    {5, "00001111111111111111111111100000", "0000L000000000000000000000L00000"},
    {6, "00001000000000000000000000100000", "00000000000000000000000000000000"},
    {7, "00001000000000000000000000100000", "00000000000000000000000000000000"},
    {8, "00001000000000000000000000100000", "00000000000000000000000000000000"},
    {9, "00001000000000000000000000100000", "00000000000000000000000000000000"},
    {10, "00001000000000000000000000100000", "000000000GEEEEEEEEEEEG0000000000"},
    {11, "00001000001111111111100000100000", "000000000N0L000L0000LN0000000000"},
    {12, "00001000001100010001100000100000", "000000000N00GEG0GEG00N0000000000"},
    {13, "00001000001101111101100000100000", "000000000N00NL000LN00N0000000000"},
    {14, "00001000001101010101100000100000", "000000000N00N00000N00N0000000000"},
    {15, "00001000001101000101100000100000", "000000000N0LN00600N0LN0000000000"},
    {16, "00001000001101000101100000100000", "000000000N00N00000N00N0000000000"},
    {17, "00001000001101111101100000100000", "000000000N00NL000LN00N0000000000"},
    {18, "00001000001100000001100000100000", "000000000N00GEGEGEG00N0000000000"},
    {19, "00001000001111000111100000100000", "000000000N0L00NCN000LN0000000000"},
    {20, "00001000000001010100000000100000", "000000000GEEG0G0G0GEEG0000000000"},
    {21, "00001000000001111100000000100000", "000000000000NL000LN0000000000000"},
    {22, "00001000000000111000000000100000", "000000000000GEGGGEG0000000000000"},
    {23, "00001000000000111000000000100000", "00000000000000000000000000000000"},
    {24, "00001000000000010000000000100000", "00000000000000000000000000000000"},
    {25, "00001111111111111111111111100000", "00000000000000000000000000000000"},
};

// The Lab: a walled compound crossed by a short highway.
constexpr TemplateRow kLabRows[] = {
    {3, "0000000000000000", "000GEEEEEEEG0000"},
    {4, "0000000000000000", "000NC0CPC0CN0000"},
    {5, "0000011111000000", "000N0L000L0N0000"},
    {6, "0000010001000000", "000NC00000CN0000"},
    {7, "0000010001000000", "000N0006000N0000"},
    {8, "0000010001000000", "000NC00000CN0000"},
    {9, "0000011111000000", "000N0L000L0N0000"},
    {10, "0000000000000000", "000NC0CPC0CN0000"},
    {11, "0000000000000000", "000GEEEEEEEG0000"},
};

// The Parking: a 4 x 4 car park.
constexpr TemplateRow kParkingRows[] = {
    {0, "0110", "00L0"},
    {1, "1111", "L600"},
    {2, "1111", "0000"},
    {3, "0110", "00L0"},
};

// The Excavation: a lit road to the dig with a few houses.
constexpr TemplateRow kExcavationRows[] = {
    {14, "00000000000000000000000000000000", "000HHH00000000000000000000000000"},
    {15, "00001111111111000000000000000000", "0000L0L0L0L0L0L6L000000000000000"},
    {16, "00000000000000000000000000000000", "000HHH00000000000000000000000000"},
};

// The rebels' headquarters: a crossroads in an empty city.
constexpr TemplateRow kRebelHqRows[] = {
    {12, "00000000000000010000000000000000", "00000000000000000000000000000000"},
    {13, "00000000000000010000000000000000", "00000000000000000000000000000000"},
    {14, "00000000000000010000000000000000", "00000000000000000000000000000000"},
    {15, "00000000000011111110000000000000", "0000000000000L060L00000000000000"},
    {16, "00000000000000010000000000000000", "00000000000000000000000000000000"},
    {17, "00000000000000010000000000000000", "00000000000000000000000000000000"},
    {18, "00000000000000010000000000000000", "00000000000000000000000000000000"},
};

constexpr std::array<LandmarkTemplate, 5> kTemplates{{
    {LandmarkKind::Fort, 3, false, false, 15, 15, 0.0f, -1, 4, kFortRows},
    {LandmarkKind::Lab, 2, true, false, 7, 7, 90.0f, 0, 3, kLabRows},
    {LandmarkKind::Parking, 0, false, false, 1, 1, 90.0f, 0, 5, kParkingRows},
    {LandmarkKind::Excavation, 3, false, false, 15, 15, 0.0f, 70, -1, kExcavationRows},
    {LandmarkKind::RebelHQ, 3, false, false, 15, 15, 0.0f, 40, -1, kRebelHqRows},
}};

constexpr float kFacings[] = {0.0f, 90.0f, 180.0f, 270.0f};

// The random facing of a template building: always three draws, a later
// success overriding an earlier one.
float drawTemplateFacing(RandomSource& random)
{
    float facing = 0.0f;
    if (random.real() < 0.25)
        facing = 90.0f;
    if (random.real() < 0.25)
        facing = 180.0f;
    if (random.real() < 0.25)
        facing = 270.0f;
    return facing;
}

void stampStructure(CityCell& cell, char c, RandomSource& random)
{
    switch (c) {
    case '0': cell.structure = StructureCode::None; break;
    case 'N': cell.structure = StructureCode::Wall; cell.orientation = 0.0f; break;
    case 'E': cell.structure = StructureCode::Wall; cell.orientation = 90.0f; break;
    case 'G': cell.structure = StructureCode::Gate; break;
    case 'H': cell.structure = StructureCode::House1; cell.orientation = drawTemplateFacing(random); break;
    case 'C': cell.structure = StructureCode::City1; cell.orientation = drawTemplateFacing(random); break;
    case 'I': cell.structure = StructureCode::Industrial1; cell.orientation = drawTemplateFacing(random); break;
    case '6': cell.structure = StructureCode::Landmark; break;
    case 'L': cell.structure = StructureCode::Lamp; break;
    case 'S': cell.structure = StructureCode::Stairs; break;
    case 'P': cell.structure = StructureCode::Pillar; cell.orientation = 90.0f; break;
    default: break;
    }
}

// Sets a cell's structure when the cell lies inside the grid.
void clearStructureAt(CityGrid& grid, int i, int j)
{
    if (CityGrid::inside(i, j))
        grid.setStructure(i, j, StructureCode::None);
}

void setRoadAt(CityGrid& grid, int i, int j, bool on)
{
    if (CityGrid::inside(i, j))
        grid.setRoad(i, j, on);
}

} // namespace

void Landmarks::prepare(CityState& city)
{
    city.landmarkX = -1;
    city.landmarkY = -1;
    if (city.params.size() < 10 && city.params.landmarkKind == LandmarkKind::Spaceport)
        city.params.landmarkKind = LandmarkKind::Garage;
}

void Landmarks::place(CityState& city, const CityLayout& layout, RandomSource& random)
{
    GenerationParams& p = city.params;
    p.hillnessPosition = std::min(p.hillnessPosition, 50);
    if (p.landmarkKind == LandmarkKind::Spaceport)
        p.hillnessPosition = std::min(p.hillnessPosition, 20);

    const int size = p.size();
    int radius = 0;
    for (int attempt = 0; attempt < kSearchAttempts; ++attempt) {
        if (random.real() > 0.7)
            ++radius;
        int i = random.below(2 * radius) + layout.cx - radius;
        int j = random.below(2 * radius) + layout.cy - radius;
        i = std::clamp(i, 1, size - 1);
        j = std::clamp(j, 1, size - 1);
        if (!city.grid.road(i, j)) {
            city.grid.setStructure(i, j, StructureCode::Landmark);
            city.landmarkX = i;
            city.landmarkY = j;
            if (p.landmarkKind == LandmarkKind::Carshop)
                p.highway = false;
            return;
        }
    }
}

void Landmarks::shapeSurroundings(CityState& city, RandomSource& random)
{
    const int x = city.landmarkX;
    const int y = city.landmarkY;
    if (x < 0 || y < 0)
        return; // the search found no place: nothing to shape
    CityGrid& grid = city.grid;
    const int size = city.params.size();

    switch (city.params.landmarkKind) {
    case LandmarkKind::Spaceport: {
        for (int di = -1; di <= 1; ++di)
            for (int dj = -1; dj <= 1; ++dj)
                if (di != 0 || dj != 0)
                    clearStructureAt(grid, x + di, y + dj);
        clearStructureAt(grid, x, y - 2);
        clearStructureAt(grid, x, y + 2);
        clearStructureAt(grid, x - 2, y);
        clearStructureAt(grid, x + 2, y);
        setRoadAt(grid, x, y, true);
        for (int d = 1; d <= 2; ++d) {
            setRoadAt(grid, x, y - d, true);
            setRoadAt(grid, x, y + d, true);
            setRoadAt(grid, x - d, y, true);
            setRoadAt(grid, x + d, y, true);
        }
        setRoadAt(grid, x - 1, y - 1, false);
        setRoadAt(grid, x + 1, y - 1, false);
        setRoadAt(grid, x - 1, y + 1, false);
        setRoadAt(grid, x + 1, y + 1, false);
        break;
    }
    case LandmarkKind::Garage:
    case LandmarkKind::Gunshop: {
        // Faces the last free side in the order West, South, East, North.
        CityCell& cell = grid.at(x, y);
        if (x > 0 && grid.structure(x - 1, y) == StructureCode::None)
            cell.orientation = 90.0f;
        if (y < size && grid.structure(x, y + 1) == StructureCode::None)
            cell.orientation = 180.0f;
        if (x < size && grid.structure(x + 1, y) == StructureCode::None)
            cell.orientation = 270.0f;
        if (y > 0 && grid.structure(x, y - 1) == StructureCode::None)
            cell.orientation = 0.0f;
        break;
    }
    case LandmarkKind::Carshop: {
        for (int di = -1; di <= 1; ++di) {
            for (int dj = -1; dj <= 1; ++dj) {
                if (di != 0 || dj != 0)
                    clearStructureAt(grid, x + di, y + dj);
                setRoadAt(grid, x + di, y + dj, false);
            }
        }
        grid.at(x, y).orientation = kFacings[random.below(4)];
        break;
    }
    default:
        break;
    }
}

bool Landmarks::applyTemplate(CityState& city, RandomSource& random)
{
    const auto found = std::find_if(kTemplates.begin(), kTemplates.end(),
                                    [&](const LandmarkTemplate& t) { return t.kind == city.params.landmarkKind; });
    if (found == kTemplates.end())
        return false;
    const LandmarkTemplate& t = *found;
    GenerationParams& p = city.params;

    city.grid.clear();
    city.shadeMask.clear();
    p.sizeChoice = t.sizeChoice;
    p.highway = t.highway;
    p.walls = t.walls;
    p.landmark = true;
    city.landmarkX = t.landmarkX;
    city.landmarkY = t.landmarkY;
    city.grid.setStructure(t.landmarkX, t.landmarkY, StructureCode::Landmark, t.landmarkFacing);
    if (t.hillnessPosition >= 0)
        p.hillnessPosition = t.hillnessPosition;
    p.fakeCarIndex = t.fakeCarIndex;
    if (t.kind == LandmarkKind::Lab)
        city.highway = {true, 2, 12, 6};
    else
        city.highway = {};

    for (const TemplateRow& row : t.rows)
        for (std::size_t j = 0; j < row.road.size(); ++j)
            city.grid.setRoad(row.index, static_cast<int>(j), row.road[j] != '0');
    for (const TemplateRow& row : t.rows)
        for (std::size_t j = 0; j < row.structure.size(); ++j)
            stampStructure(city.grid.at(row.index, static_cast<int>(j)), row.structure[j], random);

    if (t.kind == LandmarkKind::Lab) {
        city.grid.setStructure(2, 6, StructureCode::Stairs, 270.0f);
        city.grid.setStructure(12, 8, StructureCode::Stairs, 90.0f);
    }

    Fortifications::placeHangars(city, false);
    return true;
}

} // namespace vantor
