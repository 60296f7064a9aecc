#pragma once
// The 24 shadow masks (stairsshadow.bmp .. carshopshadow.bmp).
//
// Each structure is modelled as a few solids standing on its cell (boxes,
// cylinders, domes, gabled and barrel roofs, a ramp), given in pixels
// relative to the cell's top-left corner. The sun stands in the south-west
// at 45 degrees, so a point at height h casts its shadow h pixels east and h
// pixels north, like the street lamps' drawn stroke. The mask is the union
// of those shadows, footprints included, cut out with its top-left corner at
// the offset where the ground picture stamps it; shadow pixels are dark
// grey, everything else pure white.
//
// The stairs mask serves both highway ramps: stamped as it is for the West
// ramp and turned by 180 degrees for the East ramp. It holds the West ramp's
// shadow beside the ramp (not the ground under it, which the ramp covers).

#include "shell/Image.hpp"

#include <filesystem>

namespace vantor::assets {

class Shadows {
public:
    // Writes all shadow masks into `dir`.
    static void writeAll(const std::filesystem::path& dir);
};

} // namespace vantor::assets
