#pragma once
// Houses, downtown and industrial buildings, street lamps and the facing of
// every building.
//   Downtown infill: empty non-road cells of the box beside a road take a
//   building on a draw below the house density.
//   Industrial: n = Trunc(size / 2 * house slider / 100) + 1 tries of
//   (Random(size), Random(size)); taken cells waste the try.
//   Lamps: one per lampStep square, up to 101 tries of (Random(step),
//   Random(step)) for an empty road cell.
//   Orientation pass: each building draws Random(4) for its facing, gates
//   face 0, and the landmark shapes its surroundings at every cell visit.

#include "city/CityLayout.hpp"
#include "city/CityState.hpp"
#include "city/RandomSource.hpp"

namespace vantor {

class Buildings {
public:
    static constexpr int kLampTries = 101;

    static void fillDowntown(CityState& city, const CityLayout& layout, RandomSource& random);
    static void placeIndustrial(CityState& city, RandomSource& random);
    static void placeStreetLamps(CityState& city, RandomSource& random);
    static void orientStructures(CityState& city, RandomSource& random);
};

} // namespace vantor
