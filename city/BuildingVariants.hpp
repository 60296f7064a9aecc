#pragma once
// The last phase of a generation: each House1, City1 and Industrial1 draws
// twice (r1 < 0.33 makes it the second kind, then r2 < 0.33 the third kind,
// the later one winning), in cell order, so the city file records the final
// kinds. Progress: Trunc(i / size * 10 + 90) per cell column.

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
