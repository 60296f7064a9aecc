// vantor-cli meeting bad input as a process: reserved and unsafe names in
// the name list, a config.ini with a byte-order mark, an oversized picture
// under a memory limit, option forms, and a reader that closes its end.

#include "shell/PictureCatalogue.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using test::runCli;

// The memory a child may map when the test bounds it (0: unbounded).
// AddressSanitizer reserves terabytes of address space for itself, so a
// sanitized build runs the child unbounded (the refusal is still checked),
// as does Windows, which has no such limit for a single process.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint64_t kSmallMemory = 0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr std::uint64_t kSmallMemory = 0;
#else
constexpr std::uint64_t kSmallMemory = test::kHasResourceLimits ? std::uint64_t{256} << 20 : 0;
#endif
#else
constexpr std::uint64_t kSmallMemory = test::kHasResourceLimits ? std::uint64_t{256} << 20 : 0;
#endif

// Runs vantor-cli to its end. With `closedOutput` its standard output and
// error are a pipe whose reading end is already closed (`vantor-cli ... |
// true`); otherwise both are captured. `addressSpace` bounds its memory.
test::ProcessResult runChild(const std::vector<std::string>& args, bool closedOutput, std::uint64_t addressSpace = 0)
{
    test::ProcessOptions options;
    options.closedOutput = closedOutput;
    options.addressSpaceLimit = addressSpace;
    return test::runProcess(VANTOR_CLI_PATH, args, options);
}

TEST(CliInput, ReservedAndUnsafeNamesInTheNameListAreRefusedByLine)
{
    struct Case {
        std::string list;
        std::string mentions;
    };
    const Case cases[] = {
        {"Tycho\nSingleCity\n", "citynames.txt, line 2: City name \"SingleCity\" cannot be used"},
        {"Tycho\nKepler\nStart\n", "citynames.txt, line 3: City name \"Start\" cannot be used"},
        {"MOON\n", "citynames.txt, line 1: City name \"MOON\" cannot be used"},
        {"Tycho\nRed\x1b[31mAlert\a\n", "line 2: City name \"Red\\x1b[31mAlert\\x07\" cannot be used"},
    };
    for (const Case& c : cases) {
        test::TempDir root;
        test::linkDataWithout(root.path(), "citynames.txt");
        test::writeFile(root.path() / "data" / "citynames.txt", c.list);
        const test::ProcessResult r = runCli({"campaign", "--root", root.path().string(), "--seed", "1"});
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_NE(r.output.find(c.mentions), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find('\x1b'), std::string::npos) << "no raw control character reaches the terminal";
        EXPECT_EQ(r.output.find('\a'), std::string::npos);
        EXPECT_FALSE(fs::exists(root.path() / "atlas" / "start.ini"));
    }
}

TEST(CliInput, ConfigWithByteOrderMarkUnlocksTheMissionLayouts)
{
    test::TempDir root;
    test::linkData(root.path());
    test::writeFile(root.path() / "config.ini", "\xEF\xBB\xBF[General]\r\nCC=1\r\n");
    const test::ProcessResult r = runCli({"city", "--root", root.path().string(), "--seed", "3", "--size", "small",
                                          "--landmark", "fort"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(test::readFile(root.path() / "atlas" / "SingleCity.ini").find("Landmark name=Fort\r\n"),
              std::string::npos);
}

TEST(CliInput, OversizedPictureIsRefusedFromItsHeaderWithLittleMemory)
{
    // A 54-byte file claiming 30000 x 30000, and a sparse file of the full
    // size of a 16384 x 16384 picture (805 MB, as the old reader accepted):
    // both are refused from their headers, in a process limited to 256 MiB.
    struct Case {
        std::int32_t side;
        std::uint64_t fileSize;
    };
    for (const Case c : {Case{30000, 54}, Case{16384, 54 + std::uint64_t{16384} * 16384 * 3}}) {
        test::TempDir root;
        test::linkDataWithout(root.path(), "roadNS.bmp");
        std::string header(54, '\0');
        const auto put32 = [&header](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                header[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
        };
        header[0] = 'B';
        header[1] = 'M';
        put32(10, 54);
        put32(14, 40);
        put32(18, static_cast<std::uint32_t>(c.side));
        put32(22, static_cast<std::uint32_t>(c.side));
        header[26] = 1;
        header[28] = 24;
        const fs::path picture = root.path() / "data" / "roadNS.bmp";
        test::writeFile(picture, header);
        fs::resize_file(picture, c.fileSize);

        const test::ProcessResult r =
            runChild({"city", "--root", root.path().string(), "--seed", "1"}, false, kSmallMemory);
        EXPECT_EQ(r.exitCode, 1) << r.output;
        const std::string side = std::to_string(c.side);
        EXPECT_NE(r.output.find("Bitmap image is not valid: " + picture.string() + " (size " + side + " x " + side +
                                " is out of range (1..4096))"),
                  std::string::npos)
            << r.output;
        EXPECT_EQ(r.output.find("missing"), std::string::npos) << "the file exists: " << r.output;
        EXPECT_FALSE(fs::exists(root.path() / "atlas"));
    }
}

TEST(CliInput, ErrorsFollowTheConfiguredLanguage)
{
    test::TempDir root;
    test::linkDataWithout(root.path(), "roadNS.bmp");
    test::writeFile(root.path() / "config.ini", "[General]\r\nLanguage=Cze\r\n");
    // A copy of vantor-cli with no data of its own to fall back on.
    test::TempDir bin;
    const fs::path copy = bin.path() / (std::string("vantor-cli") + test::kExecutableSuffix);
    fs::copy_file(VANTOR_CLI_PATH, copy);
    const test::ProcessResult r =
        test::runProgram(copy, {"city", "--root", root.path().string(), "--seed", "1"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(r.output, "vantor-cli: Nelze generovat: soubor data/roadNS.bmp chybí\n");
}

TEST(CliInput, OptionFormsAreAcceptedOrRefusedNeverIgnored)
{
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* mentions;
    };
    const Case cases[] = {
        {{"campaign", "--overwrite=yes"}, 2, "--overwrite: takes no value"},
        {{"campaign", "--overwrite=no"}, 2, "--overwrite: takes no value"},
        {{"campaign", "--overwrite", "--overwrite"}, 2, "--overwrite: given more than once"},
        {{"campaign", "--cities=40", "--cities", "50"}, 2, "--cities: given more than once"},
        {{"city", "--seed=1", "--seed=2"}, 2, "--seed: given more than once"},
        {{"city", "--help=yes"}, 2, "--help: takes no value"},
        {{"city", "--overwrite"}, 2, "--overwrite: unknown option"},
        {{"city", "--walls=yes"}, 2, "--walls: expected one of on, off"},
        {{"city", "--size=", "small"}, 2, "--size: expected one of"},
    };
    for (const Case& c : cases) {
        test::TempDir root;
        std::vector<std::string> args = c.args;
        args.insert(args.begin() + 1, {"--root", root.path().string()});
        const test::ProcessResult r = runCli(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
        EXPECT_NE(r.output.find(c.mentions), std::string::npos) << r.output;
        EXPECT_FALSE(fs::exists(root.path() / "atlas"));
    }

    // The '=' form of every option that takes a value is the same option.
    test::TempDir root;
    test::linkData(root.path());
    const test::ProcessResult r =
        runCli({"city", "--root=" + root.path().string(), "--seed=9", "--size=very-small", "--rebels=7"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(test::readFile(root.path() / "atlas" / "SingleCity.ini").find("Rebels=7\r\n"), std::string::npos);
}

TEST(CliInput, ClosedStandardOutputIsNotAFailedSave)
{
    test::TempDir root;
    test::linkData(root.path());
    const test::ProcessResult r =
        runChild({"city", "--root", root.path().string(), "--seed", "5", "--size", "small"}, true);
    EXPECT_EQ(r.signal, 0) << "killed by signal " << r.signal;
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(root.path() / "atlas" / "SingleCityHIGHT.bmp"));

    // Without a seed the seed line is written first, before any work.
    test::TempDir other;
    test::linkData(other.path());
    const test::ProcessResult noSeed =
        runChild({"city", "--root", other.path().string(), "--size", "very-small"}, true);
    EXPECT_EQ(noSeed.signal, 0) << "killed by signal " << noSeed.signal;
    EXPECT_EQ(noSeed.exitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(other.path() / "atlas" / "SingleCity.ini"));
}

} // namespace
} // namespace vantor
