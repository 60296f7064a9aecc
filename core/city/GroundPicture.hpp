#pragma once
// The ground picture, 32 pixels a cell: dirt1 as the base, dirt2 where the
// dirt mask's noise is above 60 (cities above "Very small"), ground patches
// under houses, downtown buildings and the Carshop, then a road tile on every
// road cell chosen by its road neighbours.
// Progress: Trunc(x / W * 60 + 10) per mask column, Trunc(i / size * 20 + 70)
// per cell column.

#include "city/CityState.hpp"
#include "city/ProgressSink.hpp"
#include "city/RandomSource.hpp"

namespace vantor {

class GroundPicture {
public:
    static void build(CityState& city, RandomSource& random, ProgressSink& progress);
    // The same from base textures held elsewhere (city.dirt1 and city.dirt2
    // are not read); several cities can share one pair this way.
    static void build(CityState& city, const Image& dirt1, const Image& dirt2, RandomSource& random,
                      ProgressSink& progress);
    // The same, the ground built in dirt1's own memory when dirt1 covers it
    // (dirt1 is then left empty); a smaller dirt1 is tiled as above.
    static void build(CityState& city, Image&& dirt1, const Image& dirt2, RandomSource& random,
                      ProgressSink& progress);
};

} // namespace vantor
