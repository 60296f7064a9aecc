#pragma once
// The program's icon for desktop menus: the Moon's disc, grey with darker
// craters, under a small lit city block of four buildings, on a transparent
// background. Drawn at every requested size from the same shapes (each pixel
// averages 4 x 4 samples, so small sizes stay smooth) and written as RGBA
// PNG files in the freedesktop icon theme layout:
//   <dir>/hicolor/<N>x<N>/apps/<name>.png

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantor::assets {

class AppIcon {
public:
    // The sizes desktop menus, launchers and software centres ask for.
    static constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

    // The icon as size x size RGBA pixels, rows top-down.
    static std::vector<std::uint8_t> draw(int size);

    // Writes one PNG per size under `dir` (see above).
    static void writeAll(const std::filesystem::path& dir, const std::string& name);
};

} // namespace vantor::assets
