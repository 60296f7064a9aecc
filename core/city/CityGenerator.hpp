#pragma once
// Generate: turns the generation parameters of a city into its grid and
// pictures. The phases run in this order:
//    1 task caption            2 clear grid and shade mask
//    3 hangars                 4 city centre (2 draws)
//    5 hangar roads, centre    6 no landmark yet; small Spaceport -> Garage
//    7 clear the plan          8 block roads
//    9 block breaking         10 walls and gates
//   11 downtown infill        12 industrial buildings
//   13 landmark placement     14 highway (size above 10)
//   15 street lamps           16 orientation pass with landmark surroundings
//   17 landmark templates     18 plan picture
//   19 height picture         20 ground picture (dirt mask above "Very small")
//   21 building variants and shadows
//   22 finish message
// Every random draw comes from the RandomSource passed in, in that order;
// the same seed and parameters give the same city.

#include "city/CityState.hpp"
#include "city/ProgressSink.hpp"
#include "city/RandomSource.hpp"

namespace vantor {

class CityGenerator {
public:
    static void generate(CityState& city, RandomSource& random, ProgressSink& progress);

    // The height picture: the 256 x 256 noise sampled at (size + 1) * 2 pixels a side.
    static void buildHeightPicture(CityState& city, RandomSource& random);
};

} // namespace vantor
