// The platform layer on its own, the same expectations on every system:
// Czech names survive every call that meets the system, temporary names
// are unique, the free space is the system's (or the test's) number, and
// the user's folder follows the system's rule.

#include "platform/FileLayer.hpp"
#include "platform/Platform.hpp"
#include "platform/PlatformTestSupport.hpp"
#include "shell/AtlasDirectory.hpp"
#include "shell/ProgramPaths.hpp"
#include "shell/VantorError.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <set>

namespace {

namespace fs = std::filesystem;
using namespace vantor;
using platform::pathFromUtf8;
using platform::utf8;
using platformtest::Scratch;

const std::string kValley = "\xC3\x9A" "dol\xC3\xAD M\xC4\x9Bs\xC3\xAD" "ce"; // Údolí Měsíce
const std::string kGame = "Hra \xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88"; // Hra Žluťoučký kůň

TEST(PlatformNames, CzechNamesRoundTripThroughCreateListRenameAndErrors)
{
    const Scratch scratch;
    const fs::path game = scratch.path() / pathFromUtf8(kGame);
    fs::create_directories(game);
    const fs::path atlasPath = game / "atlas";
    {
        AtlasDirectory atlas(atlasPath);
        atlas.beginWriting();
        FileSet files(atlas);
        files.add(kValley + ".ini", std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("old"), 3));
        files.commit();

        // Listed by the layer in UTF-8, and on disk under the same Unicode name.
        std::vector<std::string> names;
        ASSERT_EQ(fileio::listDirectory(atlas.fd(), names), 0);
        EXPECT_NE(std::find(names.begin(), names.end(), kValley + ".ini"), names.end());
        EXPECT_EQ(platformtest::readBytes(atlasPath / pathFromUtf8(kValley + ".ini")), "old");
        EXPECT_EQ(fileio::typeOf(atlas.fd(), (kValley + ".ini").c_str()), fileio::FileType::File);

        const std::string renamed = "M\xC4\x9Bs\xC3\xAD\xC4\x8Dn\xC3\xAD \xC3\xBA" "dol\xC3\xAD.ini"; // Měsíční údolí.ini
        ASSERT_EQ(fileio::rename(atlas.fd(), (kValley + ".ini").c_str(), atlas.fd(), renamed.c_str()), 0);
        EXPECT_TRUE(fs::is_regular_file(atlasPath / pathFromUtf8(renamed)));
        EXPECT_FALSE(fs::exists(atlasPath / pathFromUtf8(kValley + ".ini")));
        EXPECT_EQ(fileio::typeOf(atlas.fd(), (kValley + ".ini").c_str()), fileio::FileType::Missing);
    }
    // The path in an error is the UTF-8 of the name, not a code page's guess.
    try {
        AtlasDirectory missing(game / pathFromUtf8(kValley) / "atlas", false);
        FAIL() << "a missing folder opened";
    } catch (const VantorError& e) {
        EXPECT_NE(std::string(e.what()).find(kGame), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(kValley), std::string::npos) << e.what();
        EXPECT_EQ(e.systemError(), ENOENT);
    }
    // The text conversions are each other's inverse.
    EXPECT_EQ(utf8(pathFromUtf8(kValley)), kValley);
}

TEST(PlatformNames, RandomNamesAreUniqueAndLeftovers)
{
    const Scratch scratch;
    AtlasDirectory atlas(scratch.path() / "atlas");
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = atlas.parkingName("SingleCity.ini");
        EXPECT_TRUE(AtlasDirectory::isLeftoverName(name)) << name;
        EXPECT_TRUE(seen.insert(name).second) << "repeated: " << name;
    }
    unsigned char a[32] = {}, b[32] = {};
    ASSERT_EQ(fileio::randomBytes(a, sizeof a), 0);
    ASSERT_EQ(fileio::randomBytes(b, sizeof b), 0);
    EXPECT_FALSE(std::equal(std::begin(a), std::end(a), std::begin(b)));
}

TEST(PlatformNames, FreeSpaceIsTheSystemsUnlessATestSetsIt)
{
    const Scratch scratch;
    AtlasDirectory atlas(scratch.path() / "atlas");
    const std::uint64_t free = atlas.freeSpace();
    EXPECT_GT(free, 0u);
    EXPECT_LE(free, fs::space(scratch.path()).capacity);
    FileFaults::setFreeSpace(12345);
    EXPECT_EQ(atlas.freeSpace(), 12345u);
    FileFaults::setFreeSpace(std::nullopt);
    EXPECT_GT(atlas.freeSpace(), 0u);
}

TEST(PlatformPaths, TheUsersFolderFollowsTheSystemsRule)
{
    const Scratch scratch;
    ProgramPaths::Inputs in;
    in.home = utf8(scratch.path());
    EXPECT_EQ(ProgramPaths::userFolder(in), scratch.path() / ".local" / "share" / "vantor");
    in.xdgDataHome = utf8(scratch.path() / pathFromUtf8(kGame));
    EXPECT_EQ(ProgramPaths::userFolder(in), scratch.path() / pathFromUtf8(kGame) / "vantor");
    // Windows: %LOCALAPPDATA%\Vantor comes first; a relative one is ignored.
    in.localAppData = fs::path("relative");
    EXPECT_EQ(ProgramPaths::userFolder(in), scratch.path() / pathFromUtf8(kGame) / "vantor");
    in.localAppData = scratch.path() / pathFromUtf8(kValley);
    EXPECT_EQ(ProgramPaths::userFolder(in), scratch.path() / pathFromUtf8(kValley) / "Vantor");
#ifdef _WIN32
    EXPECT_TRUE(ProgramPaths::processInputs(std::nullopt, nullptr).localAppData.has_value());
#else
    EXPECT_FALSE(ProgramPaths::processInputs(std::nullopt, nullptr).localAppData.has_value());
#endif
    // The program's own folder is the one the system names.
    EXPECT_FALSE(platform::executablePath().empty());
    EXPECT_TRUE(fs::is_regular_file(platform::executablePath()));
}

TEST(PlatformNames, EnvironmentIsUtf8)
{
    EXPECT_FALSE(platform::environment("VANTOR_SURELY_NOT_SET_ANYWHERE").has_value());
    const auto path = platform::environment("PATH");
    ASSERT_TRUE(path.has_value());
    EXPECT_FALSE(path->empty());
}

} // namespace
