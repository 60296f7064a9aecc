// The picture phases: plan, ground, shadows and the catalogue they draw from.

#include "city/BuildingVariants.hpp"
#include "city/PlanPicture.hpp"
#include "city/ShadowPainter.hpp"
#include "shell/BmpFile.hpp"
#include "shell/PictureCatalogue.hpp"
#include "shell/VantorError.hpp"
#include "wizard/CityEditorModel.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantor {
namespace {

TEST(ShadowPainter, DarkensEachPixelOnceAndNeverTheBorder)
{
    for (int c = 0; c < 256; ++c) {
        Image ground(4, 4, {static_cast<std::uint8_t>(c), 0, 0});
        ShadeMask mask;
        ShadowPainter painter(ground, mask, GenerationParams::kShadeFactor);
        painter.shadePixel(1, 1);
        ASSERT_EQ(ground.pixel(1, 1).r, 7 * c / 10) << c;
    }
    Image ground(64, 64, {200, 100, 50});
    ShadeMask mask;
    ShadowPainter painter(ground, mask, GenerationParams::kShadeFactor);
    painter.shadePixel(5, 5);
    painter.shadePixel(5, 5);
    EXPECT_EQ(ground.pixel(5, 5), (Rgb{140, 70, 35}));
    for (const auto& [x, y] : {std::pair{0, 5}, {5, 0}, {63, 5}, {5, 63}, {-3, 9}, {70, 70}})
        painter.shadePixel(x, y);
    EXPECT_EQ(ground.pixel(0, 5), (Rgb{200, 100, 50}));
    EXPECT_EQ(ground.pixel(63, 5), (Rgb{200, 100, 50}));
}

TEST(ShadowPainter, LampAtTheCornerDarkensOnlyThreePixels)
{
    Image ground(128, 128, {100, 100, 100});
    ShadeMask mask;
    ShadowPainter painter(ground, mask, GenerationParams::kShadeFactor);
    painter.lampStroke(0, 0);
    int darkened = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            darkened += ground.pixel(x, y).r != 100 ? 1 : 0;
    EXPECT_EQ(darkened, 3);
    EXPECT_NE(ground.pixel(30, 1).r, 100);
    EXPECT_NE(ground.pixel(30, 2).r, 100);
    EXPECT_NE(ground.pixel(31, 1).r, 100);
}

TEST(ShadowPainter, WhiteMaskPixelsCastNothingAndTurnedStampsMirror)
{
    Image shadow(3, 2, kWhite);
    shadow.setPixel(0, 0, kBlack);
    Image ground(16, 16, {100, 100, 100});
    ShadeMask mask;
    ShadowPainter painter(ground, mask, GenerationParams::kShadeFactor);
    painter.stamp(Image(5, 5, kWhite), 2, 2);
    EXPECT_EQ(ground, Image(16, 16, {100, 100, 100}));
    painter.stamp(shadow, 4, 4);
    painter.stampTurned(shadow, 8, 8);
    EXPECT_EQ(ground.pixel(4, 4).r, 70);
    EXPECT_EQ(ground.pixel(10, 9).r, 70) << "the turned picture's top-left lands bottom-right";
    EXPECT_EQ(ground.pixel(8, 8).r, 100);
}

CityEditorModel generatedCity(std::uint32_t seed, int sizeChoice, LandmarkKind kind = LandmarkKind::Spaceport)
{
    CityEditorModel editor;
    test::attachData(editor);
    editor.setSizeChoice(sizeChoice);
    editor.setLandmarkKind(kind);
    RandomSource random(seed);
    NullProgressSink progress;
    editor.generate(random, progress);
    return editor;
}

TEST(Pictures, SizesFollowTheCitySize)
{
    struct Case {
        int sizeChoice;
        LandmarkKind kind;
        int plan;
        int ground;
        int height;
    };
    const Case cases[] = {{0, LandmarkKind::Garage, 40, 128, 8},       {1, LandmarkKind::Garage, 80, 256, 16},
                          {2, LandmarkKind::Garage, 160, 512, 32},     {3, LandmarkKind::Garage, 320, 1024, 64},
                          {2, LandmarkKind::Fort, 320, 1024, 64},      {3, LandmarkKind::Parking, 40, 128, 8}};
    for (const Case& c : cases) {
        const CityEditorModel editor = generatedCity(3, c.sizeChoice, c.kind);
        const CityState& city = editor.city();
        EXPECT_EQ(city.planPicture.width(), c.plan);
        EXPECT_EQ(city.planPicture.height(), c.plan);
        EXPECT_EQ(city.groundPicture.width(), c.ground);
        EXPECT_EQ(city.heightPicture.width(), c.height);
        EXPECT_EQ(city.heightPicture.height(), c.height);
    }
}

TEST(Pictures, PlanRoadBandsHighwayAndLamps)
{
    CityEditorModel editor = generatedCity(12, 2, LandmarkKind::Lab);
    CityState& city = editor.city();
    city.grid.clear();
    city.grid.setRoad(4, 4, true);
    city.grid.setRoad(5, 4, true);
    city.grid.setStructure(9, 9, StructureCode::Lamp, 0.0f);
    city.params.landmark = false;
    PlanPicture::clear(city);
    PlanPicture::draw(city);
    const Image& plan = city.planPicture;
    for (int x = 40; x < 60; ++x) {
        for (int y = 40; y < 50; ++y) {
            const bool band = x >= 43 && x <= 56 && y >= 42 && y <= 46;
            ASSERT_EQ(plan.pixel(x, y), band ? PlanPicture::kRoad : PlanPicture::kGround) << x << "," << y;
        }
    }
    EXPECT_EQ(plan.pixel(98, 91), PlanPicture::kLamp);
    EXPECT_EQ(plan.pixel(99, 91), PlanPicture::kGround);
    // The Lab's highway: stairs at (10, 70) and (120, 70), the deck over x 30..119, y 72..77.
    EXPECT_EQ(plan.pixel(30, 72), PlanPicture::kDeckOutline);
    EXPECT_EQ(plan.pixel(119, 77), PlanPicture::kDeckOutline);
    EXPECT_EQ(plan.pixel(60, 75), PlanPicture::kRoad);
    EXPECT_EQ(plan.pixel(60, 78), PlanPicture::kGround);
}

TEST(Pictures, LabDeckShadowCoversItsRectangle)
{
    const CityEditorModel editor = generatedCity(12, 2, LandmarkKind::Lab);
    const CityState& city = editor.city();
    for (int x = 113; x <= 383; x += 30)
        for (int y = 201; y <= 220; ++y)
            ASSERT_TRUE(city.shadeMask.marked(x, y)) << x << "," << y;
}

TEST(Pictures, RoadTilesLeaveTheGroundWhereTheyAreWhite)
{
    // A Very small city mixes no second dirt: under its road tiles lies dirt1.
    CityEditorModel editor = generatedCity(2, 0, LandmarkKind::Garage);
    const CityState& city = editor.city();
    const auto& files = PictureCatalogue::fileNames();
    int white = 0;
    int coloured = 0;
    for (int i = 0; i <= 3; ++i) {
        for (int j = 0; j <= 3; ++j) {
            if (!city.grid.road(i, j) || city.grid.structure(i, j) != StructureCode::None)
                continue;
            // The tile the road's neighbours choose: data/road<N><E><S><W>.bmp.
            std::string letters;
            letters += j > 0 && city.grid.road(i, j - 1) ? "N" : "";
            letters += i < 3 && city.grid.road(i + 1, j) ? "E" : "";
            letters += j < 3 && city.grid.road(i, j + 1) ? "S" : "";
            letters += i > 0 && city.grid.road(i - 1, j) ? "W" : "";
            const auto file = std::find(files.begin(), files.end(), "data/road" + letters + ".bmp");
            ASSERT_NE(file, files.end()) << letters;
            const Image& tile = test::dataCatalogue().picture(static_cast<Picture>(file - files.begin()));
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    const int gx = 32 * i + x;
                    const int gy = 32 * j + y;
                    if (city.shadeMask.marked(gx, gy))
                        continue;
                    if (tile.pixel(x, y) == kWhite) {
                        ++white;
                        ASSERT_EQ(city.groundPicture.pixel(gx, gy), city.dirt1.pixel(gx, gy)) << gx << "," << gy;
                    } else {
                        ++coloured;
                        ASSERT_EQ(city.groundPicture.pixel(gx, gy), tile.pixel(x, y)) << gx << "," << gy;
                    }
                }
            }
        }
    }
    EXPECT_GT(white, 0);
    EXPECT_GT(coloured, 0);
    // Every ground pixel of a city without roads or structures is dirt1's.
    CityEditorModel empty;
    test::attachData(empty);
    empty.setSizeChoice(0);
    GenerationParams& p = empty.params();
    p.hangarNW = p.hangarNE = p.hangarSE = p.hangarSW = p.walls = p.industrial = p.landmark = false;
    empty.setLampChoice(0);
    RandomSource random(1);
    NullProgressSink progress;
    empty.generate(random, progress);
    const CityState& c = empty.city();
    for (int i = 0; i <= 3; ++i) {
        for (int j = 0; j <= 3; ++j) {
            if (c.grid.road(i, j) || c.grid.structure(i, j) != StructureCode::None)
                continue;
            for (int y = 32 * j; y < 32 * j + 32; y += 7)
                for (int x = 32 * i; x < 32 * i + 32; x += 7)
                    if (!c.shadeMask.marked(x, y)) {
                        EXPECT_EQ(c.groundPicture.pixel(x, y), c.dirt1.pixel(x, y));
                    }
        }
    }
}

TEST(Pictures, IncompleteCatalogueRefusesToGenerateAndNamesTheFile)
{
    test::TempDir root;
    std::filesystem::create_directory(root.path() / "data");
    for (const auto& entry : std::filesystem::directory_iterator(test::dataDirectory()))
        if (entry.path().filename() != "roadNS.bmp")
            std::filesystem::copy(entry.path(), root.path() / "data" / entry.path().filename());
    const PictureCatalogue catalogue = PictureCatalogue::load(root.path());
    EXPECT_FALSE(catalogue.complete());
    EXPECT_NE(catalogue.error().find("Cannot open file"), std::string::npos);
    EXPECT_NE(catalogue.error().find("roadNS.bmp"), std::string::npos);
    EXPECT_TRUE(catalogue.picture(Picture::RoadNSW).width() > 0) << "entries before it are loaded";
    EXPECT_TRUE(catalogue.picture(Picture::RoadNS).empty());
    EXPECT_TRUE(catalogue.picture(Picture::CarshopShadow).empty()) << "entries after it are not";

    CityEditorModel editor;
    test::attachData(editor);
    editor.setCatalogue(catalogue);
    RandomSource random(1);
    NullProgressSink progress;
    try {
        editor.generate(random, progress);
        FAIL() << "generation must be refused";
    } catch (const VantorError& e) {
        EXPECT_NE(std::string(e.what()).find("roadNS.bmp"), std::string::npos);
    }
    EXPECT_EQ(random.seed(), 1u) << "nothing was drawn";

    test::writeFile(root.path() / "data" / "roadNS.bmp", "not a picture");
    EXPECT_NE(PictureCatalogue::load(root.path()).error().find("Bitmap image is not valid"), std::string::npos);
}

// Seed and settings in, the three pictures' hashes out. Update only for an
// intended change of the drawing or of the data pictures, and say so.
TEST(Pictures, GoldenPictures)
{
    const CityEditorModel editor = generatedCity(42, 3);
    const CityState& city = editor.city();
    const auto hash = [](const Image& image) {
        const auto bytes = BmpFile::encode(image);
        return test::fnv1a(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    };
    EXPECT_EQ(hash(city.planPicture), 16418273344261300761ULL);
    EXPECT_EQ(hash(city.groundPicture), 13631187104260263837ULL);
    EXPECT_EQ(hash(city.heightPicture), 2354554588084073651ULL);
}

} // namespace
} // namespace vantor
