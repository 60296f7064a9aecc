#pragma once
// Roads and the elevated highway.
//
// Hangar roads: from the cell beside each present hangar (NW, NE, SE, SW in
// that order) a staircase walks to the centre, one real draw a step (above
// 0.5 moves along i, otherwise along j), never passing the centre's row or
// column; the centre cell itself is set after all walks.
// Block roads: inside the downtown box a persistent toggle flips on draws
// above 0.95; while it is on, road cells grow straight branches of 2k + 1
// cells, k = Random(size div 4).
// Block breaking: every 2 x 2 square of road loses its South-East corner,
// which may become a building.
// Highway: a West-East deck between two 2 x 2 ramps, pillars on a quarter of
// its free cells.

#include "city/CityLayout.hpp"
#include "city/CityState.hpp"
#include "city/RandomSource.hpp"

namespace vantor {

class RoadNetwork {
public:
    // The highway search gives up after this many invalid draws and builds no highway.
    static constexpr int kHighwayAttempts = 10000;

    static void layHangarRoads(CityState& city, const CityLayout& layout, RandomSource& random);
    static void layBlockRoads(CityState& city, const CityLayout& layout, RandomSource& random);
    static void breakRoadSquares(CityState& city, const CityLayout& layout, RandomSource& random);
    // City1 or House1 on cell (i, j) by a draw over the distance to the centre
    // (one Random(n) draw, made whether or not downtown buildings are on).
    static void chooseBuilding(CityState& city, const CityLayout& layout, int i, int j, RandomSource& random);
    // Caps the hill height at 40, then searches and builds the highway.
    static void buildHighway(CityState& city, const CityLayout& layout, RandomSource& random);
};

} // namespace vantor
