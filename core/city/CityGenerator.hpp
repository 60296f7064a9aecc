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
//
// The picture phases draw only noise (a count known from the size) and the
// building variants (two per House1, City1 and Industrial1 cell). So after
// place() the source can skip the noise draws, draw the variants, and go on
// to the next city, while drawPictures() replays the noise from the seed
// saved before the skip, on another thread if need be.

#include "city/CityState.hpp"
#include "city/ProgressSink.hpp"
#include "city/RandomSource.hpp"

#include <cstdint>
#include <vector>

namespace vantor {

class CityGenerator {
public:
    // What generate() does with the city's ground textures: keep them for
    // the next generation, or use them once, the ground picture then being
    // built in dirt1's own memory (city.dirt1 is left empty) instead of a
    // copy of it; for a program that generates one city and ends.
    enum class Textures { Keep, UseOnce };

    static void generate(CityState& city, RandomSource& random, ProgressSink& progress,
                         Textures textures = Textures::Keep);

    // Phases 1 to 17: the grid, landmark and written-back parameters.
    static void place(CityState& city, RandomSource& random, ProgressSink& progress);
    // The draws of phases 19 and 20: the height noise and, above "Very
    // small", the dirt-mask noise.
    static std::uint64_t noiseDrawCount(const CityState& city) noexcept;
    // Phases 18 to 22 after place(): `noiseRandom` gives the noise draws (it
    // ends noiseDrawCount() further on), `variants` are the building
    // variants drawn after them (BuildingVariants::drawVariants). The ground
    // is drawn from dirt1 and dirt2 rather than the city's own pair.
    static void drawPictures(CityState& city, const Image& dirt1, const Image& dirt2, RandomSource& noiseRandom,
                             const std::vector<StructureCode>& variants, ProgressSink& progress);
    // The same, building the ground in dirt1's own memory.
    static void drawPictures(CityState& city, Image&& dirt1, const Image& dirt2, RandomSource& noiseRandom,
                             const std::vector<StructureCode>& variants, ProgressSink& progress);

    // The height picture: the 256 x 256 noise sampled at (size + 1) * 2 pixels a side.
    static void buildHeightPicture(CityState& city, RandomSource& random);
};

} // namespace vantor
