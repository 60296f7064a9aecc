// Properties every generated city keeps, over many seeds and settings drawn
// from the seed: a terminal (hangar) in exactly the corners asked for, the
// highway never within one row of the landmark, and the description file's
// header showing the controls the city was made with.

#include "cityfiles/CityDescriptionFile.hpp"
#include "shell/IniFile.hpp"
#include "wizard/CityEditorModel.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vantor {
namespace {

bool isBuilding(StructureCode s)
{
    return s == StructureCode::House1 || s == StructureCode::House2 || s == StructureCode::House3 ||
           s == StructureCode::City1 || s == StructureCode::City2 || s == StructureCode::City3;
}

TEST(CityProperties, HoldForEverySeed)
{
    int highways = 0;
    int highwaysBesideALandmark = 0;
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        // The settings come from a source of their own, so the city's draws are the generator's alone.
        RandomSource settings(seed * 7919u);
        CityEditorModel editor;
        test::attachData(editor);
        editor.setSizeChoice(1 + settings.below(2)); // Small or Medium keep the loop quick
        GenerationParams& p = editor.params();
        p.hangarNW = settings.below(2) == 1;
        p.hangarNE = settings.below(2) == 1;
        p.hangarSE = settings.below(2) == 1;
        p.hangarSW = settings.below(2) == 1;
        p.walls = settings.below(2) == 1;
        editor.setLandmarkEnabled(settings.below(4) != 0);
        editor.setLandmarkKind(static_cast<LandmarkKind>(settings.below(4))); // Spaceport, Garage, Carshop, Gunshop
        editor.setRoadDensityPosition(settings.below(101));
        editor.setHouseDensityPosition(settings.below(101));
        editor.setRebelsPosition(settings.below(101));
        const int sizeChoice = p.sizeChoice;
        const int rebels = p.rebelsPosition;
        RandomSource random(seed);
        NullProgressSink progress;
        editor.generate(random, progress);
        const CityState& city = editor.city();
        const int last = p.size();
        ASSERT_EQ(p.sizeChoice, sizeChoice);

        // Terminals: in the corners asked for (unless a broken road square put a building there), nowhere else.
        const struct {
            bool on;
            int i;
            int j;
        } corners[] = {{p.hangarNW, 0, 0}, {p.hangarNE, last, 0}, {p.hangarSE, last, last}, {p.hangarSW, 0, last}};
        for (const auto& c : corners) {
            const StructureCode s = city.grid.structure(c.i, c.j);
            if (c.on) {
                EXPECT_TRUE(s == StructureCode::Hangar || isBuilding(s)) << c.i << "," << c.j;
            } else {
                EXPECT_NE(s, StructureCode::Hangar) << c.i << "," << c.j;
            }
        }
        int hangars = 0;
        for (int i = 0; i <= last; ++i)
            for (int j = 0; j <= last; ++j)
                hangars += city.grid.structure(i, j) == StructureCode::Hangar ? 1 : 0;
        EXPECT_LE(hangars, p.hangarNW + p.hangarNE + p.hangarSE + p.hangarSW);

        // The highway's ramp row keeps one row clear of the landmark's row on either side.
        if (city.highway.placed) {
            ++highways;
            EXPECT_EQ(city.grid.structure(city.highway.west, city.highway.row), StructureCode::Stairs);
            EXPECT_EQ(city.grid.structure(city.highway.east, city.highway.row + 2), StructureCode::Stairs);
            if (city.landmarkY >= 0) {
                EXPECT_GT(std::abs(city.highway.row - city.landmarkY), 1)
                    << "highway row " << city.highway.row << ", landmark row " << city.landmarkY;
                highwaysBesideALandmark += std::abs(city.highway.row - city.landmarkY) == 2 ? 1 : 0;
            }
        }

        // The description file's header shows the controls.
        const IniFile file = IniFile::parse(CityDescriptionFile::format(city));
        EXPECT_EQ(file.readInteger("General", "Size", -1), last);
        EXPECT_EQ(file.readInteger("General", "Rebels", -1), rebels);
        EXPECT_EQ(file.readInteger("General", "Hangar NW", -1), p.hangarNW ? 1 : 0);
        EXPECT_EQ(file.readInteger("General", "Hangar NE", -1), p.hangarNE ? 1 : 0);
        EXPECT_EQ(file.readInteger("General", "Hangar SE", -1), p.hangarSE ? 1 : 0);
        EXPECT_EQ(file.readInteger("General", "Hangar SW", -1), p.hangarSW ? 1 : 0);
        EXPECT_EQ(file.readInteger("General", "Landmark X", -2), city.landmarkX);
        EXPECT_EQ(file.readInteger("General", "Landmark Y", -2), city.landmarkY);
    }
    EXPECT_GT(highways, 15) << "the seeds exercise the highway";
    EXPECT_GT(highwaysBesideALandmark, 0) << "some highway runs as close to the landmark as allowed";
}

} // namespace
} // namespace vantor
