#include "city/CityGenerator.hpp"

#include "city/BuildingVariants.hpp"
#include "city/Buildings.hpp"
#include "city/CityLayout.hpp"
#include "city/Fortifications.hpp"
#include "city/GroundPicture.hpp"
#include "city/Landmarks.hpp"
#include "city/PlanPicture.hpp"
#include "city/RoadNetwork.hpp"

#include "shell/PhaseProfile.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

namespace {

void refuseWithoutData(const CityState& city)
{
    if (city.catalogue == nullptr)
        throw VantorError("Cannot generate: the picture catalogue is not loaded");
    city.catalogue->requireComplete();
    if (city.dirt1.empty() || city.dirt2.empty())
        throw VantorError("Cannot generate: data/dirt1.bmp and data/dirt2.bmp are not loaded");
}

// Phases 18 to 22; `buildGround` draws the ground picture.
// The phases are profiled on the thread of generate() only.
template <typename BuildGround>
void drawPicturesWith(CityState& city, RandomSource& noiseRandom, const std::vector<StructureCode>& variants,
                      ProgressSink& progress, bool profiled, BuildGround&& buildGround)
{
    const auto phaseDone = [profiled](std::string_view phase) {
        if (profiled)
            PhaseProfile::phaseDone(phase);
    };
    PlanPicture::clear(city);
    PlanPicture::draw(city);
    phaseDone("plan picture");

    progress.setTaskProgress(10);
    progress.pump();
    CityGenerator::buildHeightPicture(city, noiseRandom);
    phaseDone("height picture");
    buildGround();
    phaseDone("ground picture");
    BuildingVariants::paint(city, variants, progress);
    phaseDone("shadows");

    city.infoText = tr(city.language, "Single mission created.\rPress Save to save map.",
                       "Mise vytvořena.\rStiskněte 'Ulož'.");
}

} // namespace

void CityGenerator::generate(CityState& city, RandomSource& random, ProgressSink& progress, Textures textures)
{
    // Refuse before anything changes when the pictures cannot be drawn.
    refuseWithoutData(city);
    place(city, random, progress);
    // The pictures take the noise draws first, then the variants: the
    // variants are drawn ahead from the skipped source, the noise replayed.
    RandomSource noiseRandom(random.seed());
    random.skip(noiseDrawCount(city));
    const std::vector<StructureCode> variants = BuildingVariants::drawVariants(city, random);
    PhaseProfile::phaseDone("placement");
    drawPicturesWith(city, noiseRandom, variants, progress, true, [&] {
        if (textures == Textures::UseOnce)
            GroundPicture::build(city, std::move(city.dirt1), city.dirt2, noiseRandom, progress);
        else
            GroundPicture::build(city, city.dirt1, city.dirt2, noiseRandom, progress);
    });
}

std::uint64_t CityGenerator::noiseDrawCount(const CityState& city) noexcept
{
    const int size = city.params.size();
    std::uint64_t draws = NoiseTexture::drawCount(255);
    if (size > 3)
        draws += NoiseTexture::drawCount((size + 1) * 32 - 1);
    return draws;
}

void CityGenerator::place(CityState& city, RandomSource& random, ProgressSink& progress)
{
    GenerationParams& p = city.params;
    const Language language = city.language;

    std::string caption(tr(language, "Current task: generating ", "Právě generuji: "));
    progress.setTask(caption + p.cityName);
    progress.pump();
    progress.setTaskProgress(0);

    city.grid.clear();
    city.shadeMask.clear();
    city.highway = {};
    Fortifications::placeHangars(city);
    const CityLayout layout = CityLayout::draw(p.size(), random);
    RoadNetwork::layHangarRoads(city, layout, random);
    Landmarks::prepare(city);
    // Phase 7, clearing the plan, happens with phase 18: nothing draws on the
    // plan in between, and a mission layout may change the city's size.
    RoadNetwork::layBlockRoads(city, layout, random);
    RoadNetwork::breakRoadSquares(city, layout, random);
    Fortifications::buildWalls(city, layout, random);
    Buildings::fillDowntown(city, layout, random);
    Buildings::placeIndustrial(city, random);
    if (p.landmark)
        Landmarks::place(city, layout, random);
    if (p.highway && p.size() > 10)
        RoadNetwork::buildHighway(city, layout, random);
    Buildings::placeStreetLamps(city, random);
    Buildings::orientStructures(city, random);
    Landmarks::applyTemplate(city, random);
}

void CityGenerator::drawPictures(CityState& city, const Image& dirt1, const Image& dirt2, RandomSource& noiseRandom,
                                 const std::vector<StructureCode>& variants, ProgressSink& progress)
{
    drawPicturesWith(city, noiseRandom, variants, progress, false,
                     [&] { GroundPicture::build(city, dirt1, dirt2, noiseRandom, progress); });
}

void CityGenerator::drawPictures(CityState& city, Image&& dirt1, const Image& dirt2, RandomSource& noiseRandom,
                                 const std::vector<StructureCode>& variants, ProgressSink& progress)
{
    drawPicturesWith(city, noiseRandom, variants, progress, false,
                     [&] { GroundPicture::build(city, std::move(dirt1), dirt2, noiseRandom, progress); });
}

void CityGenerator::buildHeightPicture(CityState& city, RandomSource& random)
{
    // Only the pixels of the 256 x 256 noise the picture shows are worked out.
    const int side = (city.params.size() + 1) * 2;
    std::vector<int> at(static_cast<std::size_t>(side));
    for (int k = 0; k < side; ++k)
        at[static_cast<std::size_t>(k)] = static_cast<int>(k * 256.0 / side);
    std::vector<std::uint8_t> samples;
    city.noise.sample(255, random, at, at, samples);
    city.heightPicture.reuseForOverwrite(side, side); // every pixel is set below
    for (int y = 0; y < side; ++y) {
        std::uint8_t* row = city.heightPicture.row(y);
        const std::uint8_t* v = samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(side);
        for (int x = 0; x < side; ++x)
            std::fill_n(row + 3 * x, 3, v[x]);
    }
}

} // namespace vantor
