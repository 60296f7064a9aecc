// The catalogue checks every picture's headers when it loads and decodes a
// picture's pixels the first time a city asks for it, once, however many
// threads ask at the same moment; the pictures are kept from then on.

#include "shell/BmpFile.hpp"
#include "shell/PictureCatalogue.hpp"
#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <latch>
#include <string>
#include <thread>
#include <vector>

namespace vantor {
namespace {

namespace fs = std::filesystem;

// A program directory whose data/ holds copies of the shipped pictures
// (copies, so that a test can change them without touching the build).
class CatalogueFiles : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(root_.path() / "data");
        for (const auto& entry : fs::directory_iterator(test::dataDirectory()))
            fs::copy(entry.path(), root_.path() / "data" / entry.path().filename());
    }
    fs::path file(Picture which) const
    {
        return (root_.path() / PictureCatalogue::fileNames()[static_cast<std::size_t>(which)]).make_preferred();
    }
    void writePicture(Picture which, const Image& picture) const { BmpFile::write(picture, file(which)); }

    test::TempDir root_;
};

TEST_F(CatalogueFiles, DecodesAPictureWhenFirstAskedAndKeepsIt)
{
    const PictureCatalogue catalogue = PictureCatalogue::load(root_.path());
    ASSERT_TRUE(catalogue.complete()) << catalogue.error();

    // Changed after load(): the catalogue shows the file as it is when first asked for.
    const Image red(10, 10, {200, 0, 0});
    writePicture(Picture::House, red);
    EXPECT_EQ(catalogue.picture(Picture::House), red);

    // Changed again: the picture was decoded once and stays.
    writePicture(Picture::House, Image(10, 10, {0, 0, 200}));
    EXPECT_EQ(catalogue.picture(Picture::House), red);
}

TEST_F(CatalogueFiles, ConcurrentFirstRequestsDecodeOnceAndSeeTheSamePixels)
{
    const PictureCatalogue catalogue = PictureCatalogue::load(root_.path());
    ASSERT_TRUE(catalogue.complete()) << catalogue.error();
    std::vector<Image> expected;
    for (int k = 0; k < kPictureCount; ++k)
        expected.push_back(BmpFile::read(file(static_cast<Picture>(k))));

    // Every thread asks for every picture, each starting at another one, all
    // released at once; each records where it found every picture.
    constexpr int kThreads = 6;
    std::vector<std::vector<const Image*>> seen(kThreads, std::vector<const Image*>(kPictureCount));
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int i = 0; i < kPictureCount; ++i) {
                const int k = (i + t * 7) % kPictureCount;
                seen[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)] =
                    &catalogue.picture(static_cast<Picture>(k));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    for (int k = 0; k < kPictureCount; ++k) {
        SCOPED_TRACE(std::string(PictureCatalogue::fileNames()[static_cast<std::size_t>(k)]));
        for (int t = 1; t < kThreads; ++t)
            EXPECT_EQ(seen[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)],
                      seen[0][static_cast<std::size_t>(k)]);
        EXPECT_EQ(*seen[0][static_cast<std::size_t>(k)], expected[static_cast<std::size_t>(k)]);
        // Decoded once: a later change of the file is not read.
        writePicture(static_cast<Picture>(k), Image(3, 3, {1, 2, 3}));
        EXPECT_EQ(catalogue.picture(static_cast<Picture>(k)), expected[static_cast<std::size_t>(k)]);
    }
}

TEST_F(CatalogueFiles, APictureBrokenAfterLoadingFailsNamingItsFileUntilMended)
{
    const PictureCatalogue catalogue = PictureCatalogue::load(root_.path());
    ASSERT_TRUE(catalogue.complete()) << catalogue.error();
    const std::string good = test::readFile(file(Picture::RoadNS));
    test::writeFile(file(Picture::RoadNS), good.substr(0, good.size() / 2));
    try {
        catalogue.picture(Picture::RoadNS);
        FAIL() << "a truncated picture must be refused";
    } catch (const VantorError& e) {
        EXPECT_NE(std::string(e.what()).find(file(Picture::RoadNS).string()), std::string::npos) << e.what();
    }
    test::writeFile(file(Picture::RoadNS), good);
    EXPECT_EQ(catalogue.picture(Picture::RoadNS), BmpFile::read(file(Picture::RoadNS)));
}

} // namespace
} // namespace vantor
