#pragma once
// The last phase of a generation, one walk over the cells (i outer, j inner):
// each House1, City1 and Industrial1 draws twice (r1 < 0.33 makes it the
// second kind, then r2 < 0.33 the third kind, the later one winning), so the
// city file records the final kinds; and every structure that casts a shadow
// darkens the ground under its shadow mask, offset from the cell's top-left
// pixel (X, Y) = (32i, 32j). Shadows fall towards the north-east.
// Progress: Trunc(i / size * 10 + 90) per cell column.

#include "city/CityState.hpp"
#include "city/ProgressSink.hpp"
#include "city/RandomSource.hpp"

#include <vector>

namespace vantor {

class BuildingVariants {
public:
    static void apply(CityState& city, RandomSource& random, ProgressSink& progress);

    // The draws of apply() alone: the code each House1, City1 and
    // Industrial1 cell becomes, in the order apply() visits them (i outer,
    // j inner). Reads the grid, changes nothing but the random source.
    static std::vector<StructureCode> drawVariants(const CityState& city, RandomSource& random);
    // The rest of apply(): gives those cells the drawn codes (in the same
    // order) and casts every shadow onto the ground picture.
    static void paint(CityState& city, const std::vector<StructureCode>& variants, ProgressSink& progress);

    // The two draws of one building of the first kind; other codes are returned unchanged without a draw.
    static StructureCode drawVariant(StructureCode first, RandomSource& random);
};

} // namespace vantor
