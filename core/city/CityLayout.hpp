#pragma once
// The city centre and the downtown box around it, drawn once per generation.
//   cx = Random(size div 2) + size div 2 - size div 4, then cy the same way;
//   the box is cx +- size div 4 by cy +- size div 4, inclusive.
// Size 3: centre (1, 1), box the centre alone. Size 31: cx, cy in 8..22.

#include "city/RandomSource.hpp"

namespace vantor {

struct CityLayout {
    int cx = 0;
    int cy = 0;
    int x0 = 0; // downtown box, inclusive
    int x1 = 0;
    int y0 = 0;
    int y1 = 0;

    // Two draws: cx first, then cy.
    static CityLayout draw(int size, RandomSource& random)
    {
        CityLayout layout;
        const int half = size / 2;
        const int quarter = size / 4;
        layout.cx = random.below(half) + half - quarter;
        layout.cy = random.below(half) + half - quarter;
        layout.x0 = layout.cx - quarter;
        layout.x1 = layout.cx + quarter;
        layout.y0 = layout.cy - quarter;
        layout.y1 = layout.cy + quarter;
        return layout;
    }
};

} // namespace vantor
