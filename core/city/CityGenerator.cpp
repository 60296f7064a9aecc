#include "city/CityGenerator.hpp"

#include "city/BuildingVariants.hpp"
#include "city/Buildings.hpp"
#include "city/CityLayout.hpp"
#include "city/Fortifications.hpp"
#include "city/GroundPicture.hpp"
#include "city/Landmarks.hpp"
#include "city/PlanPicture.hpp"
#include "city/RoadNetwork.hpp"

#include "shell/VantorError.hpp"

#include <string>

namespace vantor {

void CityGenerator::generate(CityState& city, RandomSource& random, ProgressSink& progress)
{
    // Refuse before anything changes when the pictures cannot be drawn.
    if (city.catalogue == nullptr)
        throw VantorError("Cannot generate: the picture catalogue is not loaded");
    city.catalogue->requireComplete();
    if (city.dirt1.empty() || city.dirt2.empty())
        throw VantorError("Cannot generate: data/dirt1.bmp and data/dirt2.bmp are not loaded");

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
    PlanPicture::clear(city);
    PlanPicture::draw(city);

    progress.setTaskProgress(10);
    progress.pump();
    buildHeightPicture(city, random);
    GroundPicture::build(city, random, progress);
    BuildingVariants::apply(city, random, progress);

    city.infoText = tr(language, "Single mission created.\rPress Save to save map.",
                       "Mise vytvořena.\rStiskněte 'Ulož'.");
}

void CityGenerator::buildHeightPicture(CityState& city, RandomSource& random)
{
    const GreyPicture noise = city.noise.build(255, random);
    const int side = (city.params.size() + 1) * 2;
    city.heightPicture = Image(side, side);
    for (int x = 0; x < side; ++x) {
        const int nx = static_cast<int>(x * 256.0 / side);
        for (int y = 0; y < side; ++y) {
            const std::uint8_t v = noise.at(nx, static_cast<int>(y * 256.0 / side));
            city.heightPicture.setPixel(x, y, {v, v, v});
        }
    }
}

} // namespace vantor
