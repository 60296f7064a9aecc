#pragma once
// The plan icons (drawn opaque onto the silver plan, 10 pixels per cell)
// and the Moon map's city icon.
//
// Icons are 10 x 10, except the highway stairs, which are 20 x 10: they
// start at the cell West of the ramp (East for stairsR) and climb to the
// deck, which the plan draws over rows 2..7 of the highway row. The pillar
// icon shows a pier sticking out North and South of that deck. Hangars are
// a dark hall with a yellow door on the side they face (hangarN: North).
// moonBase.bmp is 6 x 6: the Moon map draws it whole with its top-left
// corner at the city and joins link lines to its corners (0, 0) and (5, 5).

#include "shell/Image.hpp"

#include <filesystem>

namespace vantor::assets {

class PlanIcons {
public:
    // Writes the eleven plan icons and moonBase.bmp into `dir`.
    static void writeAll(const std::filesystem::path& dir);
};

} // namespace vantor::assets
