// vantor-assets: draws the program's whole data directory (plan icons, road
// tiles, ground patches, shadow masks, ground textures, the logo, the Moon
// map's city icon and the city names) into the directory given on the
// command line. The output is the same, byte for byte, on every run.
//   vantor-assets <data directory>
//   vantor-assets --icons <icon directory> <icon name>   (the desktop icon)

#include "assets/AppIcon.hpp"
#include "assets/CityNames.hpp"
#include "assets/GroundPatches.hpp"
#include "assets/Logo.hpp"
#include "assets/PlanIcons.hpp"
#include "assets/RoadTiles.hpp"
#include "assets/Shadows.hpp"
#include "assets/Textures.hpp"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc == 4 && std::string_view(argv[1]) == "--icons") {
        try {
            vantor::assets::AppIcon::writeAll(argv[2], argv[3]);
        } catch (const std::exception& e) {
            std::cerr << "vantor-assets: " << e.what() << "\n";
            return 1;
        }
        return 0;
    }
    if (argc != 2 || argv[1][0] == '\0') {
        std::cerr << "usage: vantor-assets <data directory>\n"
                     "       vantor-assets --icons <icon directory> <icon name>\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        std::cerr << "vantor-assets: not a directory: " << dir.string() << "\n";
        return 2;
    }
    try {
        using namespace vantor::assets;
        PlanIcons::writeAll(dir);
        RoadTiles::writeAll(dir);
        GroundPatches::writeAll(dir);
        Shadows::writeAll(dir);
        Textures::writeAll(dir);
        Logo::write(dir);
        CityNames::write(dir);
    } catch (const std::exception& e) {
        std::cerr << "vantor-assets: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
