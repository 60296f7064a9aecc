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

namespace vantor {

class BuildingVariants {
public:
    static void apply(CityState& city, RandomSource& random, ProgressSink& progress);

    // The two draws of one building of the first kind; other codes are returned unchanged without a draw.
    static StructureCode drawVariant(StructureCode first, RandomSource& random);
};

} // namespace vantor
