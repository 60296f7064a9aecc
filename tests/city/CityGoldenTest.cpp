// The mission layouts and a Garage city pinned whole: for a known seed each
// one's description file and three pictures must keep their golden hashes
// (tests/data/goldens/cities.txt; see GoldenFiles.hpp to rewrite them after
// an intended change).

#include "cityfiles/CityDescriptionFile.hpp"
#include "shell/BmpFile.hpp"
#include "wizard/CityEditorModel.hpp"

#include "GoldenFiles.hpp"
#include "TestSupport.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

std::string bytesOf(const Image& picture)
{
    const auto bytes = BmpFile::encode(picture);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST(GoldenFiles, MissionLayoutsAndGarageCity)
{
    struct Case {
        const char* name;
        LandmarkKind kind;
        int sizeChoice;
        std::uint32_t seed;
    };
    const Case cases[] = {
        {"fort", LandmarkKind::Fort, 3, 21},          {"lab", LandmarkKind::Lab, 3, 11},
        {"excavation", LandmarkKind::Excavation, 3, 21}, {"parking", LandmarkKind::Parking, 3, 3},
        {"rebelhq", LandmarkKind::RebelHQ, 3, 5},     {"garage", LandmarkKind::Garage, 1, 8},
    };
    test::HashManifest files;
    for (const Case& c : cases) {
        CityEditorModel editor;
        test::attachData(editor);
        editor.setSizeChoice(c.sizeChoice);
        editor.setLandmarkKind(c.kind);
        RandomSource random(c.seed);
        NullProgressSink progress;
        editor.generate(random, progress);
        const CityState& city = editor.city();
        const std::string name = std::string(c.name) + "-seed" + std::to_string(c.seed);
        files[name + ".ini"] = test::hashLine(CityDescriptionFile::format(city));
        files[name + "PLAN.bmp"] = test::hashLine(bytesOf(city.planPicture));
        files[name + "GROUND.bmp"] = test::hashLine(bytesOf(city.groundPicture));
        files[name + "HIGHT.bmp"] = test::hashLine(bytesOf(city.heightPicture));
    }
    const std::string diff = test::compareWithGolden("cities.txt", test::formatManifest(files));
    EXPECT_TRUE(diff.empty()) << diff;
}

} // namespace
} // namespace vantor
