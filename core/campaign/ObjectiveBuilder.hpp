#pragma once
// The campaign's fixed chain of fourteen objectives: a welcome, a tutorial
// in the first district, four shopping errands in districts 2 to 5, four
// special places, and the rebel headquarters. Building an objective fills
// its record and shapes the cities it points at (landmark, rebels, size,
// road density, the car or weapon on offer) and claims them, so no later
// objective picks them.

#include "campaign/Campaign.hpp"

namespace vantor {

class ObjectiveBuilder {
public:
    // a and b are city indexes (b = 0 when unused), index 1..14; another index does nothing.
    static void build(Campaign& campaign, int a, int b, int index);
};

} // namespace vantor
