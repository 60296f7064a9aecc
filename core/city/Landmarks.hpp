#pragma once
// The landmark: one special building. Spaceport, Garage, Carshop and Gunshop
// are dropped into the random city near its centre and shape their
// surroundings; Fort, Lab, Parking, Excavation and RebelHQ replace the whole
// city with a fixed layout (a template).
//
// Placement: the search radius grows by one on each draw above 0.7, and
// (Random(2r) + cx - r, Random(2r) + cy - r) clamped to 1..size-1 is tried
// until it hits a cell without road. The radius is never reset.
//
// Templates: L + 1 road rows and L + 1 structure rows; row k describes the
// cells [k][0..L], character j the cell [k][j]. Printed as a block a
// template is the map mirrored along its diagonal.

#include "city/CityState.hpp"
#include "city/CityLayout.hpp"
#include "city/RandomSource.hpp"

namespace vantor {

class Landmarks {
public:
    // The landmark search gives up after this many tries and places nothing.
    static constexpr int kSearchAttempts = 100000;

    // Before the block roads: no landmark yet; a Spaceport on a city below
    // size 10 becomes a Garage.
    static void prepare(CityState& city);
    // Caps the hill height, searches a cell and puts the landmark there.
    static void place(CityState& city, const CityLayout& layout, RandomSource& random);
    // Run at every cell visit of the orientation pass while the landmark box is on.
    static void shapeSurroundings(CityState& city, RandomSource& random);
    // Replaces the city by the kind's fixed layout when the kind is Fort..RebelHQ;
    // returns whether it did.
    static bool applyTemplate(CityState& city, RandomSource& random);
};

} // namespace vantor
