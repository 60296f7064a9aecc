#pragma once
// The city description file the game reads: single-byte text with CR LF line
// ends, 14 header lines, then four lines per cell ([ixj], Structure=,
// Orientation=, Road=), i outer and j inner over 0..size. A Large city has
// 14 + 4 * 32 * 32 = 4110 lines, a Very small one 78. Hill height is
// Trunc(hillness * 100) of the 32-bit value, so a hillness of 0.7 reads 69.

#include "city/CityState.hpp"

#include <string>
#include <string_view>

namespace vantor {

class CityDescriptionFile {
public:
    // The whole file's text. Throws VantorError when the state cannot be
    // written faithfully (a car number outside -1..5).
    static std::string format(const CityState& city);

    // "Fakecarname=" value for car numbers -1..5 ("none", "buggy", ... "police").
    static std::string_view carName(int fakeCarIndex);
};

} // namespace vantor
