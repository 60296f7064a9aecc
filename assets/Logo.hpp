#pragma once
// intro.bmp: the main menu's 512 x 256 logo. A starry sky with the Earth
// low in the east, the curved lunar horizon below, and the name "Vantor" in
// big bold letters (drawn three times larger and scaled down, so its edges
// are smooth), with a one-line subtitle.

#include "shell/Image.hpp"

#include <filesystem>

namespace vantor::assets {

class Logo {
public:
    static constexpr int kWidth = 512;
    static constexpr int kHeight = 256;

    // Draws the logo with the title set in the TrueType font `titleFont`
    // and the subtitle in `textFont`.
    static Image draw(const std::filesystem::path& titleFont, const std::filesystem::path& textFont);

    // Writes intro.bmp into `dir`, using the fonts named at build time.
    static void write(const std::filesystem::path& dir);
};

} // namespace vantor::assets
