#pragma once
// Corner hangars, the inner wall around the downtown box and the four radial
// walls. A wall cell on a road is a gate; the box's corners and every radial
// wall's meeting with the box are gates too. Each radial wall draws one
// number (its column or row inside the box), in the order N, S, W, E.

#include "city/CityLayout.hpp"
#include "city/CityState.hpp"
#include "city/RandomSource.hpp"

namespace vantor {

class Fortifications {
public:
    // Hangar on each corner whose flag is on, facing its road start; no draws.
    // The fixed layouts keep their own road flags on the corners (layRoad false).
    static void placeHangars(CityState& city, bool layRoad = true);
    // Nothing unless walls are on; the inner wall only on cities above size 10.
    static void buildWalls(CityState& city, const CityLayout& layout, RandomSource& random);
};

} // namespace vantor
