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
#include "platform/Platform.hpp"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using vantor::platform::pathFromUtf8;
    using vantor::platform::utf8;
    vantor::platform::prepareCommandLineProcess();
    // UTF-8, on Windows from the wide command line.
    const std::vector<std::string> args = vantor::platform::commandLineArguments(argc, argv);
    argc = static_cast<int>(args.size());
    if (argc == 4 && args[1] == "--icons") {
        try {
            vantor::assets::AppIcon::writeAll(pathFromUtf8(args[2]), args[3]);
        } catch (const std::exception& e) {
            std::cerr << "vantor-assets: " << e.what() << "\n";
            return 1;
        }
        return 0;
    }
    if (argc != 2 || args[1].empty()) {
        std::cerr << "usage: vantor-assets <data directory>\n"
                     "       vantor-assets --icons <icon directory> <icon name>\n";
        return 2;
    }
    const std::filesystem::path dir = pathFromUtf8(args[1]);
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        std::cerr << "vantor-assets: not a directory: " << utf8(dir) << "\n";
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
