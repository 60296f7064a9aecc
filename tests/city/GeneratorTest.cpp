// The generator as a whole: write-backs, mission layouts, bounds, and that
// a seed replays a city exactly.

#include "city/CityGenerator.hpp"
#include "city/CityLayout.hpp"
#include "city/Landmarks.hpp"
#include "city/RoadNetwork.hpp"
#include "cityfiles/CityDescriptionFile.hpp"
#include "wizard/CityEditorModel.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <map>

namespace vantor {
namespace {

std::map<StructureCode, int> countStructures(const CityState& city)
{
    std::map<StructureCode, int> counts;
    const int size = city.params.size();
    for (int i = 0; i <= size; ++i)
        for (int j = 0; j <= size; ++j)
            ++counts[city.grid.structure(i, j)];
    return counts;
}

int countRoads(const CityState& city)
{
    int roads = 0;
    for (int i = 0; i <= city.params.size(); ++i)
        for (int j = 0; j <= city.params.size(); ++j)
            roads += city.grid.road(i, j) ? 1 : 0;
    return roads;
}

CityEditorModel generated(std::uint32_t seed, void (*configure)(CityEditorModel&))
{
    CityEditorModel editor;
    test::attachData(editor);
    configure(editor);
    RandomSource random(seed);
    NullProgressSink progress;
    editor.generate(random, progress);
    return editor;
}

TEST(Generator, OpeningStateFollowsTheControls)
{
    const CityEditorModel editor;
    const GenerationParams& p = editor.params();
    EXPECT_EQ(p.size(), 31);
    EXPECT_EQ(p.lampStep(), 4);
    EXPECT_FLOAT_EQ(p.houseDensity(), 0.5f);
    EXPECT_FLOAT_EQ(p.roadDensity(), 0.4f);
    EXPECT_FLOAT_EQ(p.hillness(), 0.5f);
    EXPECT_EQ(p.landmarkKind, LandmarkKind::Spaceport);
    EXPECT_TRUE(p.landmark && p.walls && p.highway && p.downtown && p.industrial);
    EXPECT_EQ(p.fakeCarIndex, 0);
    EXPECT_EQ(p.cityName, "SingleCity");
}

TEST(Generator, SameSeedReplaysTheCityAndTheNextGenerationDiffers)
{
    const auto defaults = [](CityEditorModel&) {};
    const CityEditorModel a = generated(4242, defaults);
    const CityEditorModel b = generated(4242, defaults);
    EXPECT_EQ(CityDescriptionFile::format(a.city()), CityDescriptionFile::format(b.city()));
    EXPECT_EQ(a.city().heightPicture, b.city().heightPicture);

    CityEditorModel c = generated(4242, defaults);
    RandomSource random(1);
    NullProgressSink progress;
    const std::string first = CityDescriptionFile::format(c.city());
    c.generate(random, progress);
    EXPECT_NE(CityDescriptionFile::format(c.city()), first);
}

struct WriteBackCase {
    const char* name;
    void (*configure)(CityEditorModel&);
    int sizeAfter;
    int hillnessAfter;
    LandmarkKind kindAfter;
    bool highwayAfter;
    bool wallsAfter;
    int fakeCarAfter;
};

const WriteBackCase kWriteBacks[] = {
    {"SmallSpaceportBecomesGarage", [](CityEditorModel& e) { e.setSizeChoice(1); }, 7, 50, LandmarkKind::Garage, true, true, 0},
    {"MediumKeepsSpaceportAndCapsHills", [](CityEditorModel& e) { e.setSizeChoice(2); e.setHillnessPosition(90); }, 15, 20, LandmarkKind::Spaceport, true, true, 0},
    {"HighwayCapsHillsAtForty", [](CityEditorModel& e) { e.setLandmarkEnabled(false); e.setHillnessPosition(90); }, 31, 40, LandmarkKind::Spaceport, true, true, 0},
    {"LowHillsStay", [](CityEditorModel& e) { e.setLandmarkEnabled(false); e.setHillnessPosition(30); }, 31, 30, LandmarkKind::Spaceport, true, true, 0},
    {"NoHighwayNoLandmarkNoCap", [](CityEditorModel& e) { e.setLandmarkEnabled(false); e.params().highway = false; e.setHillnessPosition(90); }, 31, 90, LandmarkKind::Spaceport, false, true, 0},
    {"CarshopSwitchesHighwayOff", [](CityEditorModel& e) { e.setLandmarkKind(LandmarkKind::Carshop); e.setHillnessPosition(90); }, 31, 50, LandmarkKind::Carshop, false, true, 0},
    {"FortKeepsCappedHills", [](CityEditorModel& e) { e.setSizeChoice(2); e.params().highway = false; e.setLandmarkKind(LandmarkKind::Fort); e.setHillnessPosition(90); }, 31, 50, LandmarkKind::Fort, false, false, 4},
    {"LabWithLandmarkOff", [](CityEditorModel& e) { e.setLandmarkEnabled(false); e.setLandmarkKind(LandmarkKind::Lab); }, 15, 0, LandmarkKind::Lab, true, false, 3},
    {"ParkingShrinksTheCity", [](CityEditorModel& e) { e.setLandmarkKind(LandmarkKind::Parking); }, 3, 0, LandmarkKind::Parking, false, false, 5},
    {"Excavation", [](CityEditorModel& e) { e.setLandmarkKind(LandmarkKind::Excavation); }, 31, 70, LandmarkKind::Excavation, false, false, -1},
    {"RebelHQ", [](CityEditorModel& e) { e.setSizeChoice(0); e.setLandmarkKind(LandmarkKind::RebelHQ); }, 31, 40, LandmarkKind::RebelHQ, false, false, -1},
};

class WriteBacks : public testing::TestWithParam<WriteBackCase> {};

TEST_P(WriteBacks, ControlsShowWhatWasGenerated)
{
    const WriteBackCase& c = GetParam();
    const CityEditorModel editor = generated(31337, c.configure);
    const GenerationParams& p = editor.params();
    EXPECT_EQ(p.size(), c.sizeAfter);
    EXPECT_EQ(p.hillnessPosition, c.hillnessAfter);
    EXPECT_EQ(p.landmarkKind, c.kindAfter);
    EXPECT_EQ(p.highway, c.highwayAfter);
    EXPECT_EQ(p.walls, c.wallsAfter);
    EXPECT_EQ(p.fakeCarIndex, c.fakeCarAfter);
    if (static_cast<int>(c.kindAfter) >= static_cast<int>(LandmarkKind::Fort)) {
        EXPECT_TRUE(p.landmark);
    }
}

INSTANTIATE_TEST_SUITE_P(Generator, WriteBacks, testing::ValuesIn(kWriteBacks),
                         [](const testing::TestParamInfo<WriteBackCase>& info) { return std::string(info.param.name); });

TEST(Generator, LabLayoutCellForCell)
{
    const CityEditorModel editor = generated(11, [](CityEditorModel& e) { e.setLandmarkKind(LandmarkKind::Lab); });
    const CityState& city = editor.city();
    auto counts = countStructures(city);
    EXPECT_EQ(counts[StructureCode::Wall], 28);
    EXPECT_EQ(counts[StructureCode::Gate], 4);
    EXPECT_EQ(counts[StructureCode::City1] + counts[StructureCode::City2] + counts[StructureCode::City3], 12);
    EXPECT_EQ(counts[StructureCode::Pillar], 2);
    EXPECT_EQ(counts[StructureCode::Lamp], 4);
    EXPECT_EQ(counts[StructureCode::Landmark], 1);
    EXPECT_EQ(counts[StructureCode::Stairs], 2);
    EXPECT_EQ(counts[StructureCode::Hangar], 4);
    EXPECT_EQ(countRoads(city), 16);
    EXPECT_EQ(city.grid.at(7, 7).orientation, 90.0f);
    EXPECT_EQ(city.grid.at(2, 6).structure, StructureCode::Stairs);
    EXPECT_EQ(city.grid.at(2, 6).orientation, 270.0f);
    EXPECT_EQ(city.grid.at(12, 8).orientation, 90.0f);
    EXPECT_EQ(city.grid.at(3, 3).structure, StructureCode::Gate);
    EXPECT_EQ(city.grid.at(3, 3).orientation, -1.0f) << "template gates keep -1";
    EXPECT_EQ(city.grid.at(3, 4).structure, StructureCode::Wall);
    EXPECT_EQ(city.grid.at(3, 4).orientation, 90.0f) << "'E' is a North-South wall";
    EXPECT_EQ(city.grid.at(4, 3).orientation, 0.0f) << "'N' is a West-East wall";
    EXPECT_EQ(city.grid.at(4, 7).structure, StructureCode::Pillar);
    EXPECT_TRUE(city.highway.placed);
    EXPECT_EQ(city.highway.west, 2);
    EXPECT_EQ(city.highway.east, 12);
    EXPECT_EQ(city.highway.row, 6);
    for (const auto& [i, j] : {std::pair{0, 0}, {15, 0}, {15, 15}, {0, 15}})
        EXPECT_FALSE(city.grid.road(i, j)) << "template hangar corners keep road 0";
}

TEST(Generator, ParkingLayoutCellForCell)
{
    // Rows are columns i; characters are j.  road / structure
    const char* roads[] = {"0110", "1111", "1111", "0110"};
    const char* structures[] = {"H0LH", "L600", "0000", "H0LH"}; // with the four hangars
    const CityEditorModel editor = generated(3, [](CityEditorModel& e) { e.setLandmarkKind(LandmarkKind::Parking); });
    const CityState& city = editor.city();
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(city.grid.road(i, j), roads[i][j] == '1') << i << "," << j;
            const char c = structures[i][j];
            const StructureCode want = c == 'H' ? StructureCode::Hangar : c == 'L' ? StructureCode::Lamp
                                     : c == '6' ? StructureCode::Landmark : StructureCode::None;
            EXPECT_EQ(city.grid.structure(i, j), want) << i << "," << j;
        }
    }
    EXPECT_EQ(city.landmarkX, 1);
    EXPECT_EQ(city.landmarkY, 1);
}

TEST(Generator, FortAndExcavationLandmarksAndBuildings)
{
    const CityEditorModel fort = generated(21, [](CityEditorModel& e) { e.setLandmarkKind(LandmarkKind::Fort); });
    EXPECT_EQ(fort.city().grid.structure(15, 15), StructureCode::Landmark);
    EXPECT_EQ(fort.city().grid.at(15, 15).orientation, 0.0f);
    EXPECT_EQ(countRoads(fort.city()), 164);
    const CityEditorModel dig = generated(21, [](CityEditorModel& e) { e.setLandmarkKind(LandmarkKind::Excavation); });
    auto counts = countStructures(dig.city());
    EXPECT_EQ(counts[StructureCode::House1] + counts[StructureCode::House2] + counts[StructureCode::House3], 6);
    EXPECT_EQ(counts[StructureCode::Lamp], 7);
    EXPECT_EQ(countRoads(dig.city()), 10);
}

TEST(Generator, WithEveryFlagOffOnlyTheCentreNetworkRemains)
{
    const CityEditorModel editor = generated(77, [](CityEditorModel& e) {
        GenerationParams& p = e.params();
        p.hangarNW = p.hangarNE = p.hangarSE = p.hangarSW = false;
        p.walls = p.highway = p.downtown = p.industrial = false;
        e.setLandmarkEnabled(false);
        e.setLandmarkKind(LandmarkKind::Garage);
        e.setLampChoice(0);
    });
    auto counts = countStructures(editor.city());
    EXPECT_EQ(counts[StructureCode::City1] + counts[StructureCode::City2] + counts[StructureCode::City3], 0);
    EXPECT_EQ(counts[StructureCode::Hangar] + counts[StructureCode::Lamp] + counts[StructureCode::Wall], 0);
    EXPECT_GE(countRoads(editor.city()), 1);
    EXPECT_EQ(editor.city().infoText, "Single mission created.\rPress Save to save map.");
}

TEST(Generator, HighwaySearchGivesUpWhenNoPlaceExists)
{
    CityState city;
    const CityLayout layout{15, 15, 8, 22, 8, 22};
    for (int i = 0; i < CityGrid::kSide; ++i)
        for (int j = 0; j < CityGrid::kSide; ++j)
            city.grid.setStructure(i, j, StructureCode::House1);
    RandomSource random(1);
    RoadNetwork::buildHighway(city, layout, random);
    EXPECT_FALSE(city.highway.placed);
    EXPECT_EQ(city.params.hillnessPosition, 40);
    EXPECT_EQ(countStructures(city)[StructureCode::Stairs], 0);
}

TEST(Generator, LandmarkSearchGivesUpWhenEveryCellIsRoad)
{
    CityState city;
    const CityLayout layout{15, 15, 8, 22, 8, 22};
    for (int i = 0; i < CityGrid::kSide; ++i)
        for (int j = 0; j < CityGrid::kSide; ++j)
            city.grid.setRoad(i, j, true);
    RandomSource random(1);
    Landmarks::place(city, layout, random);
    EXPECT_EQ(city.landmarkX, -1);
    EXPECT_EQ(city.landmarkY, -1);
    Landmarks::shapeSurroundings(city, random); // no landmark: nothing happens, no crash
    EXPECT_EQ(countStructures(city)[StructureCode::Landmark], 0);
}

TEST(Generator, ProgressEndsAtTheVariantPhase)
{
    struct Recorder : ProgressSink {
        std::vector<int> values;
        std::string task;
        void setTask(std::string_view t) override { task = t; }
        void setTaskProgress(int p) override { values.push_back(p); }
        void pump() override {}
    } recorder;
    CityEditorModel editor;
    test::attachData(editor);
    RandomSource random(9);
    editor.generate(random, recorder);
    EXPECT_EQ(recorder.task, "Current task: generating SingleCity");
    ASSERT_FALSE(recorder.values.empty());
    EXPECT_EQ(recorder.values.front(), 0);
    EXPECT_EQ(recorder.values.back(), 100);
    EXPECT_TRUE(std::is_sorted(recorder.values.begin(), recorder.values.end()));
}

} // namespace
} // namespace vantor
