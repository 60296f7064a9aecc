#pragma once
// A campaign: cities spread over a 512 x 256 map of the Moon in districts,
// each city linked to its nearest neighbours in the four diagonal
// directions of its district, one rebel headquarters, and a fixed chain of
// fourteen objectives. Cities[0] and Objectives[0] are unused, so indexes
// match the city and task numbers of atlas/start.ini.

#include "shell/Image.hpp"
#include "shell/Language.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// One campaign city; the values are those a fresh record holds.
struct CampaignCity {
    std::string landmark = "None"; // "None", "Spaceport", ..., "RebelHQ"
    float moonX = 0.0f;            // West -> East, 0 <= x < 1
    float moonY = 0.0f;            // North -> South, -0.4..0.4 for ordinary cities
    bool linkedNW = false;
    bool linkedNE = false;
    bool linkedSW = false;
    bool linkedSE = false;
    int neighbourNW = -1; // index into Campaign::cities, or -1
    int neighbourNE = -1;
    int neighbourSW = -1;
    int neighbourSE = -1;
    std::string name;
    int rebels = 0;             // 0..100
    int fakeGunIndex = -1;      // weapon on offer, -1 none
    int fakeCarIndex = -1;      // car on offer, -1 none
    int forcedSize = -1;        // size choice 0..3 the city must get, -1 to draw
    int forcedRoadDensity = -1; // road density 0..100 the city must get, -1 to draw
    bool free = true;           // no objective has claimed the city yet
    int district = 0;           // 1..D for placed cities, 0 for the headquarters
};

// One objective ("TObjective" in the game's files).
struct TObjective {
    bool found = false;
    bool completed = false;
    std::string heading;
    std::string text;
    std::string startCity;
    std::string destination;
    int reward = 0;
    int carsToKill = -1;
    int carsTypeToKill = -1;
    int gunToBuy = -1;
    int carToBuy = -1;
    bool needLandmark = false;
};

// Where a city's name label stands on the preview: the rectangle of pixels
// it occupies (bounds included); the name is drawn with its top-left corner
// at (left, top).
struct MapLabel {
    int city = 0; // index into Campaign::cities
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct Campaign {
    static constexpr int kNumTasks = 14;
    static constexpr int kMapWidth = 512;
    static constexpr int kMapHeight = 256;

    Language language = Language::English;
    std::vector<std::string> cityNames; // candidates, from data/citynames.txt
    int numCities = 30;                 // N, normalised by the layout
    int numDistricts = 6;               // D, normalised by the layout
    Image moonBase;                     // the city icon
    std::vector<CampaignCity> cities;   // 1..N cities, N + 1 the rebel headquarters
    std::vector<TObjective> objectives; // 1..14
    std::vector<int> districtStart;     // first city index of district d at [d], d = 1..D
    Image moonMap;                      // the 512 x 256 preview, saved as atlas/moon.bmp
    std::vector<MapLabel> labels;       // the name labels on moonMap, in the order they were placed
};

} // namespace vantor
