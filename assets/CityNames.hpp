#pragma once
// citynames.txt: the hundred candidate names of campaign cities, one per
// line with LF line ends. Names use letters, digits, spaces and hyphens
// only, so each is also a valid file name on Windows and Linux.

#include <array>
#include <filesystem>
#include <string_view>

namespace vantor::assets {

class CityNames {
public:
    static constexpr std::size_t kCount = 100;

    static const std::array<std::string_view, kCount>& names();

    // Writes citynames.txt into `dir`.
    static void write(const std::filesystem::path& dir);
};

} // namespace vantor::assets
