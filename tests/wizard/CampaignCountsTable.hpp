#pragma once
// The campaign counts a player may ask for and what becomes of them: one
// table for the campaign editor's model and for `vantor-cli campaign`, so
// the desktop wizard and the command line cannot drift apart.

#include <array>

namespace vantor::test {

struct CampaignCountsCase {
    const char* name;
    int cities;         // asked for
    int districts;      // asked for
    bool completed;     // CC=1: the district lock is lifted
    bool refused;       // the district lock refuses the districts
    int wantCities;     // what the campaign gets (when not refused)
    int wantDistricts;
};

inline constexpr std::array<CampaignCountsCase, 11> kCampaignCountsCases{{
    {"Defaults", 30, 6, false, false, 30, 6},
    {"TooFewCitiesRaised", 1, 6, false, false, 30, 6},
    {"TooManyCitiesCapped", 999, 6, false, false, 55, 6},
    {"TopOfTheRange", 55, 6, false, false, 55, 6},
    {"DistrictsLocked", 30, 7, false, true, 30, 6},
    {"FewerDistrictsLocked", 30, 5, false, true, 30, 6},
    {"SevenDistrictsNeedFiveEach", 30, 7, true, false, 35, 7},
    {"TooFewDistrictsRaised", 30, 1, true, false, 30, 6},
    {"TooManyDistrictsCapped", 40, 100, true, false, 75, 15},
    {"FullMapGrows", 55, 15, true, false, 75, 15},
    {"ElevenDistrictsFit", 55, 11, true, false, 55, 11},
}};

} // namespace vantor::test
