#pragma once
// The plan: a schematic map at 10 pixels a cell on a silver ground. Roads
// are 5-pixel grey bands through the cell centres towards each road
// neighbour; walls and gates are outlined boxes; lamps one red pixel; icons
// for hangars, buildings, pillars and the landmark; the highway's stairs and
// deck; the landmark's name in red.

#include "city/CityState.hpp"

namespace vantor {

class PlanPicture {
public:
    static constexpr Rgb kGround{192, 192, 192};
    static constexpr Rgb kRoad{150, 150, 150};
    static constexpr Rgb kWall{64, 64, 0};
    static constexpr Rgb kLamp{255, 0, 0};
    // The deck's outline: a fixed darker grey, so the deck reads the same on every plan.
    static constexpr Rgb kDeckOutline{96, 96, 96};

    // Clears the plan at the city's size to silver.
    static void clear(CityState& city);
    // Draws roads, structures, highway and the landmark's name on the cleared plan.
    static void draw(CityState& city);
};

} // namespace vantor
