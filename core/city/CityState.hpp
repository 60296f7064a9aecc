#pragma once
// Everything of one city: its generation parameters, the grid the placement
// phases fill, the results they leave for the picture phases, and the
// pictures. The city editor model owns one; the generator and the saver
// work on it.

#include "city/CityGrid.hpp"
#include "city/GenerationParams.hpp"
#include "city/NoiseTexture.hpp"
#include "shell/Image.hpp"
#include "shell/Language.hpp"
#include "shell/PictureCatalogue.hpp"

#include <string>

namespace vantor {

// Where the highway phase (or the Lab layout) put the highway: the first
// index of the West ramp, the first index of the East ramp and the row index
// of the West ramp; the deck runs along row + 1.
struct HighwayPlacement {
    bool placed = false;
    int west = 0;
    int east = 0;
    int row = 0;
};

struct CityState {
    GenerationParams params;
    CityGrid grid;
    ShadeMask shadeMask;
    int landmarkX = -1; // the landmark's cell, -1 when there is none
    int landmarkY = -1;
    HighwayPlacement highway;
    bool branchToggle = false; // block-road toggle, carried from one generation to the next
    NoiseTexture noise;

    // What the pictures are drawn from: the program's catalogue (owned
    // elsewhere, complete) and the two base ground textures.
    const PictureCatalogue* catalogue = nullptr;
    Image dirt1;
    Image dirt2;

    Image heightPicture;  // 2 pixels a cell
    GreyPicture dirtMask; // ground-picture sized noise, replaced by cities above "Very small"
    Image planPicture;    // 10 pixels a cell
    Image groundPicture;  // 32 pixels a cell

    Language language = Language::English;
    std::string infoText; // the editor's information line after a generation
};

} // namespace vantor
