#include "cityfiles/CitySaver.hpp"

#include "cityfiles/CityDescriptionFile.hpp"
#include "shell/AtomicFile.hpp"
#include "shell/BmpFile.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <system_error>

namespace vantor {

namespace {

constexpr std::size_t kMaxNameLength = 100;

constexpr std::array<std::string_view, 22> kReservedNames{
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

std::string upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

void refuse(std::string_view name, std::string_view why)
{
    throw VantorError("City name \"" + std::string(name) + "\" cannot be used: " + std::string(why));
}

} // namespace

void CitySaver::checkCityName(std::string_view name)
{
    if (name.empty())
        refuse(name, "it is empty");
    if (name.size() > kMaxNameLength)
        refuse(name, "it is longer than " + std::to_string(kMaxNameLength) + " characters");
    if (name == "." || name == ".." || name.find("..") != std::string_view::npos)
        refuse(name, "it contains \"..\"");
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\')
            refuse(name, "it contains a path separator");
        if (u < 0x20 || u == 0x7F)
            refuse(name, "it contains a control character");
        if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            refuse(name, std::string("it contains the character ") + c);
    }
    if (name.back() == '.' || name.back() == ' ')
        refuse(name, "it ends with a dot or a space");
    const std::string stem = upper(name.substr(0, name.find('.')));
    if (std::find(kReservedNames.begin(), kReservedNames.end(), stem) != kReservedNames.end())
        refuse(name, "it is a reserved device name");
}

std::filesystem::path CitySaver::save(const CityState& city, const std::filesystem::path& programDir,
                                      ProgressSink& progress)
{
    const GenerationParams& p = city.params;
    checkCityName(p.cityName);
    const int side = p.size() + 1;
    if (city.planPicture.width() != side * 10 || city.groundPicture.width() != side * 32 ||
        city.heightPicture.width() != side * 2)
        throw VantorError("Nothing to save for " + p.cityName + ": generate the city first");
    // Formatting first: a state that cannot be written stops before any file is touched.
    const std::string text = CityDescriptionFile::format(city);

    progress.setTask(std::string(tr(city.language, "Current task: saving ", "Právě ukládám: ")) + p.cityName);
    progress.pump();
    progress.setTaskProgress(0);

    const std::filesystem::path atlas = programDir / "atlas";
    std::error_code ec;
    std::filesystem::create_directories(atlas, ec);
    if (ec || !std::filesystem::is_directory(atlas))
        throw VantorError("Cannot create directory " + atlas.string() + (ec ? ": " + ec.message() : ""));

    const int size = p.size();
    for (int i = 0; i <= size; ++i) {
        progress.setTaskProgress(static_cast<int>(static_cast<double>(i) / size * 100));
        progress.pump();
    }
    const std::filesystem::path iniPath = atlas / (p.cityName + ".ini");
    writeFileAtomically(iniPath, text);
    BmpFile::write(city.planPicture, atlas / (p.cityName + "PLAN.bmp"));
    BmpFile::write(city.groundPicture, atlas / (p.cityName + "GROUND.bmp"));
    BmpFile::write(city.heightPicture, atlas / (p.cityName + "HIGHT.bmp"));
    return iniPath;
}

} // namespace vantor
