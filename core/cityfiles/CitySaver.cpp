#include "cityfiles/CitySaver.hpp"
#include "platform/Platform.hpp"

#include "cityfiles/CityDescriptionFile.hpp"
#include "shell/AtlasDirectory.hpp"
#include "shell/BmpFile.hpp"
#include "shell/PhaseProfile.hpp"
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

// The names of the files a campaign writes beside its cities, and the single
// mission's: a city of such a name would overwrite start.ini or the single
// mission. Compared without regard to case, as Windows compares file names.
constexpr std::array<std::string_view, 2> kCampaignFileStems{"START", "MOON"};
constexpr std::string_view kSingleMissionStem = "SINGLECITY";

[[noreturn]] void refuse(std::string_view name, const std::string& why, const std::string& whyCzech)
{
    // Shown escaped, and cut short: a refused line may be a megabyte long.
    constexpr std::size_t kShown = 120;
    std::string shown = escapeControls(name.substr(0, kShown));
    if (name.size() > kShown)
        shown += "...";
    throw VantorError(VantorError::Kind::UnsafeName, shown, why, whyCzech);
}

} // namespace

void CitySaver::checkCityName(std::string_view name, NameUse use)
{
    if (name.empty())
        refuse(name, "it is empty", "je prázdný");
    if (name.size() > kMaxNameLength)
        refuse(name, "it is longer than " + std::to_string(kMaxNameLength) + " characters",
               "je delší než " + std::to_string(kMaxNameLength) + " znaků");
    if (name == "." || name == ".." || name.find("..") != std::string_view::npos)
        refuse(name, "it contains \"..\"", "obsahuje „..“");
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\')
            refuse(name, "it contains a path separator", "obsahuje oddělovač cesty");
        if (u < 0x20 || u == 0x7F)
            refuse(name, "it contains a control character", "obsahuje řídicí znak");
        if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            refuse(name, std::string("it contains the character ") + c, std::string("obsahuje znak ") + c);
    }
    if (name.back() == '.' || name.back() == ' ')
        refuse(name, "it ends with a dot or a space", "končí tečkou nebo mezerou");
    const std::string stem = upper(name.substr(0, name.find('.')));
    if (std::find(kReservedNames.begin(), kReservedNames.end(), stem) != kReservedNames.end())
        refuse(name, "it is a reserved device name", "je to vyhrazený název zařízení");
    const std::string whole = upper(name);
    if (std::find(kCampaignFileStems.begin(), kCampaignFileStems.end(), whole) != kCampaignFileStems.end())
        refuse(name, "it is the name of a campaign file", "je to název souboru kampaně");
    if (use == NameUse::CampaignCity && whole == kSingleMissionStem)
        refuse(name, "it is the name of the single mission", "je to název samostatné mise");
}

void CitySaver::OutputFile::writeTo(const BmpFile::ByteWriter& write) const
{
    if (picture != nullptr)
        BmpFile::encode(*picture, write);
    else
        write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<std::uint8_t> CitySaver::OutputFile::bytes() const
{
    std::vector<std::uint8_t> out;
    writeTo([&out](std::span<const std::uint8_t> piece) { out.insert(out.end(), piece.begin(), piece.end()); });
    return out;
}

std::vector<CitySaver::OutputFile> CitySaver::outputFiles(const CityState& city)
{
    const GenerationParams& p = city.params;
    checkCityName(p.cityName);
    const int side = p.size() + 1;
    if (city.planPicture.width() != side * 10 || city.groundPicture.width() != side * 32 ||
        city.heightPicture.width() != side * 2)
        throw VantorError("Nothing to save for " + p.cityName + ": generate the city first");
    // The description file is formatted first: a state that cannot be
    // written stops before any file is touched.
    std::vector<OutputFile> out(4);
    out[0] = {p.cityName + ".ini", CityDescriptionFile::format(city), nullptr};
    out[1] = {p.cityName + "PLAN.bmp", {}, &city.planPicture};
    out[2] = {p.cityName + "GROUND.bmp", {}, &city.groundPicture};
    out[3] = {p.cityName + "HIGHT.bmp", {}, &city.heightPicture};
    return out;
}

std::vector<CitySaver::File> CitySaver::files(const CityState& city)
{
    std::vector<File> out;
    for (const OutputFile& file : outputFiles(city))
        out.push_back({file.name, file.bytes()});
    return out;
}

std::uint64_t CitySaver::estimatedBytes(int sizeChoice)
{
    GenerationParams p;
    p.sizeChoice = sizeChoice;
    const std::uint64_t side = static_cast<std::uint64_t>(p.size()) + 1;
    // A 24-bit picture: header and rows padded to four bytes.
    const auto picture = [](std::uint64_t width) { return 54 + width * ((width * 3 + 3) / 4 * 4); };
    // The description file holds one record per cell (under 50 bytes each) and a header.
    const std::uint64_t description = side * side * 64 + 4096;
    return description + picture(side * 10) + picture(side * 32) + picture(side * 2);
}

namespace {

// The saving task line and its bar.
void announceSaving(const CityState& city, ProgressSink& progress)
{
    progress.setTask(std::string(tr(city.language, "Current task: saving ", "Právě ukládám: ")) + city.params.cityName);
    progress.pump();
    progress.setTaskProgress(0);
    const int size = city.params.size();
    for (int i = 0; i <= size; ++i) {
        progress.setTaskProgress(static_cast<int>(static_cast<double>(i) / size * 100));
        progress.pump();
    }
}

} // namespace

void CitySaver::stage(const CityState& city, StagingDirectory& staging, ProgressSink& progress)
{
    const std::vector<OutputFile> cityFiles = outputFiles(city);
    announceSaving(city, progress);
    for (const OutputFile& file : cityFiles)
        staging.add(file.name, [&file](const ByteWriter& write) { file.writeTo(write); });
}

std::filesystem::path CitySaver::save(const CityState& city, const std::filesystem::path& programDir,
                                      ProgressSink& progress, const std::function<bool()>& stopRequested)
{
    const GenerationParams& p = city.params;
    const std::vector<OutputFile> cityFiles = outputFiles(city);
    PhaseProfile::phaseDone("description file");

    AtlasDirectory atlas(programDir / "atlas");
    atlas.beginWriting();
    announceSaving(city, progress);
    FileSet set(atlas);
    for (const OutputFile& file : cityFiles)
        set.add(file.name, [&file](const ByteWriter& write) { file.writeTo(write); });
    PhaseProfile::phaseDone("encoding, writing");
    if (!set.commit(stopRequested))
        throw SaveCancelled("Saving " + p.cityName + " was stopped; nothing in " + platform::utf8(atlas.path()) +
                            " was changed");
    PhaseProfile::phaseDone("commit");
    return atlas.path() / cityFiles.front().name;
}

} // namespace vantor
