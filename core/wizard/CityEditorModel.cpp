#include "wizard/CityEditorModel.hpp"

#include "city/CityGenerator.hpp"
#include "cityfiles/CitySaver.hpp"
#include "shell/BmpFile.hpp"
#include "shell/ParallelRun.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <array>
#include <string>

namespace vantor {

namespace {

void checkRange(std::string_view control, int value, int low, int high)
{
    if (value < low || value > high)
        throw VantorError(std::string(control) + " must be " + std::to_string(low) + ".." + std::to_string(high) +
                          ", not " + std::to_string(value));
}

} // namespace

CityEditorModel::CityEditorModel(Language language)
{
    city_.language = language;
    // The noise pictures are split over the cores; the bytes stay the same.
    city_.noise.setThreadCount(pictureThreads());
    reset();
}

void CityEditorModel::reset()
{
    GenerationParams& p = city_.params;
    setLandmarkKind(LandmarkKind::Spaceport);
    p.hangarNW = p.hangarNE = p.hangarSE = p.hangarSW = true;
    p.downtown = p.highway = p.industrial = true;
    setLandmarkEnabled(true);
    p.wallE = p.wallN = p.wallS = p.walls = p.wallW = true;
    setLampChoice(1);
    setSizeChoice(3);
    setHillnessPosition(50);
    setHouseDensityPosition(50);
    setRebelsPosition(50);
    setRoadDensityPosition(40);
    p.cityName = "SingleCity";
    city_.grid.clear();
    city_.shadeMask.clear();
}

void CityEditorModel::setSizeChoice(int item)
{
    checkRange("city size", item, 0, 3);
    if (item == city_.params.sizeChoice)
        return;
    city_.params.sizeChoice = item;
    city_.grid.clear();
    city_.shadeMask.clear();
}

void CityEditorModel::setLampChoice(int item)
{
    checkRange("street lamps", item, 0, 3);
    city_.params.lampChoice = item;
}

void CityEditorModel::setRoadDensityPosition(int position)
{
    checkRange("road density", position, 0, 100);
    city_.params.roadDensityPosition = position;
}

void CityEditorModel::setHouseDensityPosition(int position)
{
    checkRange("house density", position, 0, 100);
    city_.params.houseDensityPosition = position;
}

void CityEditorModel::setHillnessPosition(int position)
{
    checkRange("hill height", position, 0, 100);
    city_.params.hillnessPosition = position;
}

void CityEditorModel::setRebelsPosition(int position)
{
    checkRange("rebel activity", position, 0, 100);
    city_.params.rebelsPosition = position;
}

void CityEditorModel::setLandmarkEnabled(bool on)
{
    city_.params.landmark = on;
}

void CityEditorModel::setLandmarkKind(LandmarkKind kind)
{
    checkRange("landmark", static_cast<int>(kind), 0, kLandmarkKindCount - 1);
    city_.params.landmarkKind = kind;
}

bool CityEditorModel::chooseLandmark(LandmarkKind kind, bool campaignCompleted)
{
    setLandmarkKind(kind);
    if (static_cast<int>(kind) > static_cast<int>(LandmarkKind::Gunshop) && !campaignCompleted) {
        setLandmarkKind(LandmarkKind::Spaceport);
        return false;
    }
    return true;
}

std::string_view CityEditorModel::lockMessage(Language language)
{
    return tr(language, "You are not allowed to make this selection until you successfully complete campaign!",
              "Nemůžete zvolit tuto položku, dokud nedokončíte kampaň ve hře!");
}

void CityEditorModel::loadGroundTextures(const std::filesystem::path& programDir)
{
    loadGroundTextures(programDir, Image::kMaxSide);
}

void CityEditorModel::loadGroundTextures(const std::filesystem::path& programDir, int groundSide)
{
    // Read a few rows at a time, so the files are never held whole in
    // memory, and both at once on two cores; the first failure (dirt1's
    // before dirt2's) is the one reported.
    std::array<Image, 2> dirt;
    // Small parts (a Very small city's 128 x 128) are read faster than a
    // thread starts.
    constexpr int kThreadedFrom = 512;
    const int threads = groundSide < kThreadedFrom ? 1 : std::min(pictureThreads(), 2);
    runInParallel(threads, [&](int part) {
        for (int k = part; k < 2; k += threads) {
            const char* name = k == 0 ? "dirt1.bmp" : "dirt2.bmp";
            dirt[static_cast<std::size_t>(k)] = BmpFile::readTopLeft(programDir / "data" / name, groundSide, groundSide);
        }
    });
    city_.dirt1 = std::move(dirt[0]);
    city_.dirt2 = std::move(dirt[1]);
}

int CityEditorModel::groundSideFor() const noexcept
{
    constexpr int kLargestSide = (31 + 1) * 32;
    if (static_cast<int>(city_.params.landmarkKind) > static_cast<int>(LandmarkKind::Gunshop))
        return kLargestSide; // the mission layouts choose their own size
    return (city_.params.size() + 1) * 32;
}

void CityEditorModel::generate(RandomSource& random, ProgressSink& progress)
{
    CityGenerator::generate(city_, random, progress);
}

void CityEditorModel::generateOnce(RandomSource& random, ProgressSink& progress)
{
    CityGenerator::generate(city_, random, progress, CityGenerator::Textures::UseOnce);
}

std::filesystem::path CityEditorModel::save(const std::filesystem::path& programDir, ProgressSink& progress,
                                            const std::function<bool()>& stopRequested) const
{
    return CitySaver::save(city_, programDir, progress, stopRequested);
}

} // namespace vantor
