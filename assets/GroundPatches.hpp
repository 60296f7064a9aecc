#pragma once
// The two ground patches laid under buildings.
//
// houseground.bmp: an opaque 32 x 32 paved lot of concrete slabs with a
// kerbed rim, drawn whole under houses and downtown buildings.
// carshopground.bmp: a 64 x 64 car-shop yard stamped with its top-left
// corner 16 pixels west and north of the landmark cell, so it reaches half a
// cell beyond the cell on every side; a rounded, kerbed forecourt with
// painted parking bays, pure white (see-through) outside the yard.

#include "shell/Image.hpp"

#include <filesystem>

namespace vantor::assets {

class GroundPatches {
public:
    static constexpr int kHouseSide = 32;
    static constexpr int kCarshopSide = 64;

    static Image drawHouseGround();
    static Image drawCarshopGround();

    // Writes houseground.bmp and carshopground.bmp into `dir`.
    static void writeAll(const std::filesystem::path& dir);
};

} // namespace vantor::assets
