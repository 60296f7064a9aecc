// What the program reads: config.ini quirks, refused city names, broken and
// oversized pictures, and the texts of the errors a user meets, in English
// and Czech.

#include "campaign/MoonMap.hpp"
#include "cityfiles/CitySaver.hpp"
#include "shell/BmpFile.hpp"
#include "shell/Config.hpp"
#include "shell/FileReading.hpp"
#include "shell/PictureCatalogue.hpp"
#include "shell/VantorError.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Kind = VantorError::Kind;

VantorError caught(const std::function<void()>& f)
{
    try {
        f();
    } catch (const VantorError& e) {
        return e;
    }
    return VantorError("(no error)");
}

TEST(ErrorTexts, EveryKindInBothLanguages)
{
    struct Case {
        VantorError error;
        const char* english;
        const char* czech;
    };
    const VantorError missing = VantorError::system(Kind::CannotOpen, "data/roadNS.bmp", ENOENT);
    const VantorError broken(Kind::InvalidPicture, "data/roadNS.bmp", "not a BMP file");
    const Case cases[] = {
        {missing, "Cannot open file data/roadNS.bmp: No such file or directory",
         "Nelze otevřít soubor data/roadNS.bmp: No such file or directory"},
        {VantorError::system(Kind::CannotRead, "config.ini", EIO), "Cannot read file config.ini: Input/output error",
         "Nelze přečíst soubor config.ini: Input/output error"},
        {VantorError(Kind::TooLarge, "config.ini", "1 MiB"), "Cannot read file config.ini: it is larger than 1 MiB",
         "Nelze přečíst soubor config.ini: je větší než 1 MiB"},
        {broken, "Bitmap image is not valid: data/roadNS.bmp (not a BMP file)",
         "Obrázek není platný soubor BMP: data/roadNS.bmp (not a BMP file)"},
        {VantorError(Kind::UnsafeName, "start", "it is the name of a campaign file", "je to název souboru kampaně"),
         "City name \"start\" cannot be used: it is the name of a campaign file",
         "Název města „start“ nelze použít: je to název souboru kampaně"},
        {VantorError::system(Kind::CannotWrite, "atlas/moon.bmp", ENOSPC),
         "Cannot write file atlas/moon.bmp: No space left on device",
         "Nelze zapsat soubor atlas/moon.bmp: No space left on device"},
        {VantorError::system(Kind::CannotCreateDirectory, "atlas", EACCES),
         "Cannot create directory atlas: Permission denied", "Nelze vytvořit složku atlas: Permission denied"},
        {VantorError::dataFile("data/roadNS.bmp", missing), "Cannot generate: data/roadNS.bmp is missing",
         "Nelze generovat: soubor data/roadNS.bmp chybí"},
        {VantorError::dataFile("data/roadNS.bmp", broken),
         "Cannot generate: Bitmap image is not valid: data/roadNS.bmp (not a BMP file)",
         "Nelze generovat: Obrázek není platný soubor BMP: data/roadNS.bmp (not a BMP file)"},
        {VantorError(Kind::DataTooLarge, "data/x.bmp", "256 MiB"),
         "The data pictures up to data/x.bmp would take more than 256 MiB of memory",
         "Datové obrázky až po data/x.bmp by zabraly víc než 256 MiB paměti"},
        {VantorError(Kind::UnsafeName, "moon", "it is the name of a campaign file", "je to název souboru kampaně")
             .atLine("data/citynames.txt", 3),
         "data/citynames.txt, line 3: City name \"moon\" cannot be used: it is the name of a campaign file",
         "data/citynames.txt, řádek 3: Název města „moon“ nelze použít: je to název souboru kampaně"},
        {VantorError("--seed: expected a whole number"), "--seed: expected a whole number",
         "--seed: expected a whole number"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(c.error.what()), c.english);
        EXPECT_EQ(c.error.text(Language::English), c.english);
        EXPECT_EQ(c.error.text(Language::Czech), c.czech);
        EXPECT_EQ(errorText(c.error, Language::Czech), c.czech);
    }
    EXPECT_EQ(errorText(std::runtime_error("plain"), Language::Czech), "plain");
    EXPECT_EQ(missing.systemError(), ENOENT);
}

TEST(ErrorTexts, ControlCharactersAreEscaped)
{
    EXPECT_EQ(escapeControls("bell\a"), "bell\\x07");
    EXPECT_EQ(escapeControls("\x1b[2Jclear"), "\\x1b[2Jclear");
    EXPECT_EQ(escapeControls(std::string("nul\0x", 5)), "nul\\x00x");
    EXPECT_EQ(escapeControls("del\x7f"), "del\\x7f");
    EXPECT_EQ(escapeControls("a\\x07"), "a\\\\x07") << "a backslash cannot fake an escape";
    EXPECT_EQ(escapeControls("Měsíc Tycho"), "Měsíc Tycho");
}

// ---- config.ini -------------------------------------------------------------

TEST(ConfigInput, ByteOrderMarkTabsAndSizeLimit)
{
    struct Case {
        const char* what;
        std::string text;
        bool completed;
        const char* language;
    };
    const std::string bom = "\xEF\xBB\xBF";
    const Case cases[] = {
        {"UTF-8 mark before the section", bom + "[General]\r\nCC=1\r\nLanguage=Cze\r\n", true, "Cze"},
        {"UTF-8 mark, CC on the first line after it", bom + "[General]\nCC=1", true, "Eng"},
        {"tabs around =", "[General]\n\tCC\t=\t1\t\nLanguage\t=Cze\n", true, "Cze"},
        {"UTF-16 with its mark", std::string("\xFF\xFE[\0G\0e\0n\0e\0r\0a\0l\0]\0\n\0C\0C\0=\0001\0\n\0", 32), true,
         "Eng"},
        {"a mark in the middle is text", "[General]\n" + bom + "CC=1\n", false, "Eng"},
    };
    for (const Case& c : cases) {
        test::TempDir root;
        test::writeFile(root.path() / "config.ini", c.text);
        const Config config = Config::load(root.path());
        EXPECT_EQ(config.campaignCompleted, c.completed) << c.what;
        EXPECT_EQ(config.languageSetting, c.language) << c.what;
    }

    // Exactly 1 MiB is read; one byte more is refused, naming the file.
    test::TempDir root;
    std::string text = "[General]\r\nCC=1\r\n";
    text += std::string((std::size_t{1} << 20) - text.size() - 2, ';') + "\r\n";
    ASSERT_EQ(text.size(), std::size_t{1} << 20);
    test::writeFile(root.path() / "config.ini", text);
    EXPECT_TRUE(Config::load(root.path()).campaignCompleted);
    test::writeFile(root.path() / "config.ini", text + ";");
    const VantorError e = caught([&] { Config::load(root.path()); });
    EXPECT_EQ(e.kind(), Kind::TooLarge);
    EXPECT_EQ(std::string(e.what()), "Cannot read file " + (root.path() / "config.ini").string() +
                                         ": it is larger than 1 MiB");
}

TEST(ConfigInput, UnreadableFilesNameTheFileAndTheReason)
{
    test::TempDir root;
    fs::create_directory(root.path() / "config.ini");
    EXPECT_EQ(std::string(caught([&] { Config::load(root.path()); }).what()),
              "Cannot open file " + (root.path() / "config.ini").string() + ": Is a directory");
    fs::remove(root.path() / "config.ini");
    if (test::symlinksAvailable()) {
        test::createSymlink(root.path() / "nowhere", root.path() / "config.ini");
        EXPECT_FALSE(Config::load(root.path()).campaignCompleted) << "a dangling link is a missing file";
    }
    if (!test::kHasFifos)
        GTEST_SKIP() << test::kNoFifos << (test::symlinksAvailable() ? "" : std::string("; ") + test::kNoSymlinks);
    const fs::path fifo = root.path() / "fifo";
    ASSERT_TRUE(test::makeFifo(fifo));
    EXPECT_EQ(std::string(caught([&] { readWholeFile(fifo, 100, "100 bytes"); }).what()),
              "Cannot open file " + fifo.string() + ": not a regular file")
        << "a FIFO neither blocks nor is read";
}

// ---- city names -----------------------------------------------------------------

TEST(CityNames, NamesOfTheAtlasOwnFilesAreRefusedInAnyCase)
{
    using Use = CitySaver::NameUse;
    struct Case {
        const char* name;
        bool singleMission;
        bool campaignCity;
    };
    const Case cases[] = {
        {"start", false, false},     {"START", false, false},     {"Start", false, false},
        {"moon", false, false},      {"mOON", false, false},      {"SingleCity", true, false},
        {"singlecity", true, false}, {"SINGLECITY", true, false}, {"Starter", true, true},
        {"Moonbase", true, true},    {"SingleCity2", true, true}, {"start.ini", true, true},
        {"Nova Tycho", true, true},
    };
    for (const Case& c : cases) {
        const VantorError single = caught([&] { CitySaver::checkCityName(c.name, Use::SingleMission); });
        const VantorError city = caught([&] { CitySaver::checkCityName(c.name, Use::CampaignCity); });
        EXPECT_EQ(single.kind() == Kind::Message, c.singleMission) << c.name << ": " << single.what();
        EXPECT_EQ(city.kind() == Kind::Message, c.campaignCity) << c.name << ": " << city.what();
        if (!c.campaignCity) {
            EXPECT_EQ(city.kind(), Kind::UnsafeName) << c.name;
        }
    }
    EXPECT_EQ(std::string(caught([] { CitySaver::checkCityName("Moon"); }).what()),
              "City name \"Moon\" cannot be used: it is the name of a campaign file");
    EXPECT_EQ(caught([] { CitySaver::checkCityName("SingleCity", Use::CampaignCity); }).text(Language::Czech),
              "Název města „SingleCity“ nelze použít: je to název samostatné mise");
}

TEST(CityNames, RefusedNamesNeverReachTheTerminalRaw)
{
    const std::string name = "Red\x1b[31m\a";
    const VantorError e = caught([&] { CitySaver::checkCityName(name); });
    const std::string text = e.what();
    EXPECT_EQ(text, "City name \"Red\\x1b[31m\\x07\" cannot be used: it contains a control character");
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    const std::string longName(5000, 'x');
    EXPECT_LT(std::string(caught([&] { CitySaver::checkCityName(longName); }).what()).size(), 300u)
        << "a megabyte-long line is not echoed whole";
}

TEST(CityNames, NameListRefusesReservedNamesByFileAndLine)
{
    struct Case {
        std::string list;
        const char* expected; // after "<file>, line "
    };
    const Case cases[] = {
        {"Tycho\nCopernicus\nmoon\nKepler\n", "3: City name \"moon\" cannot be used: it is the name of a campaign file"},
        {"\xEF\xBB\xBFSingleCity\r\nTycho\r\n",
         "1: City name \"SingleCity\" cannot be used: it is the name of the single mission"},
        {"Tycho\n\nSTART\n", "3: City name \"START\" cannot be used: it is the name of a campaign file"},
        {"Tycho\nBell\a\n", "2: City name \"Bell\\x07\" cannot be used: it contains a control character"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const fs::path file = dir.path() / "citynames.txt";
        test::writeFile(file, c.list);
        const VantorError e = caught([&] { MoonMap::loadCityNames(file); });
        EXPECT_EQ(std::string(e.what()), file.string() + ", line " + c.expected);
    }
    test::TempDir dir;
    test::writeFile(dir.path() / "citynames.txt", "\xEF\xBB\xBFTycho\r\nKepler\r\n");
    const auto names = MoonMap::loadCityNames(dir.path() / "citynames.txt");
    EXPECT_EQ(names.at(0), "Tycho") << "the byte-order mark is not part of the first name";
    EXPECT_EQ(names.at(1), "Kepler");
}

// ---- pictures -------------------------------------------------------------------

// A 24-bit picture header claiming width x height, with `pixelBytes` bytes after it.
std::string bmpHeader(std::int32_t width, std::int32_t height, std::uint16_t bpp = 24)
{
    std::string h(54, '\0');
    const auto put32 = [&h](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
    };
    h[0] = 'B';
    h[1] = 'M';
    put32(10, bpp <= 8 ? 54 + 8 : 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    h[26] = 1;
    h[28] = static_cast<char>(bpp);
    if (bpp == 1)
        h += std::string("\0\0\0\0\xFF\xFF\xFF\0", 8); // black, white
    return h;
}

TEST(PictureInput, MissingIsSaidOnlyOfAMissingFile)
{
    test::TempDir root;
    test::linkDataWithout(root.path(), "roadNS.bmp");

    const PictureCatalogue missing = PictureCatalogue::load(root.path());
    const VantorError m = caught([&] { missing.requireComplete(); });
    EXPECT_EQ(std::string(m.what()), "Cannot generate: data/roadNS.bmp is missing");
    EXPECT_EQ(m.text(Language::Czech), "Nelze generovat: soubor data/roadNS.bmp chybí");

    const fs::path file = root.path() / "data" / "roadNS.bmp";
    test::writeFile(file, bmpHeader(30000, 30000));
    const PictureCatalogue huge = PictureCatalogue::load(root.path());
    const std::string expected =
        "Bitmap image is not valid: " + file.string() + " (size 30000 x 30000 is out of range (1..4096))";
    EXPECT_EQ(huge.error(), expected);
    const VantorError h = caught([&] { huge.requireComplete(); });
    EXPECT_EQ(std::string(h.what()), "Cannot generate: " + expected);
    EXPECT_EQ(std::string(h.what()).find("missing"), std::string::npos);
    EXPECT_EQ(huge.errorText(Language::Czech),
              "Obrázek není platný soubor BMP: " + file.string() + " (size 30000 x 30000 is out of range (1..4096))");
}

TEST(PictureInput, CatalogueRefusesMoreThanItsMemoryBound)
{
    // 4096 x 4096 at one bit a pixel: 2 MiB on disk, 48 MiB decoded. Six of
    // them pass the 256 MiB bound at the sixth, which is named.
    test::TempDir root;
    test::linkDataWithout(root.path());
    const std::string big = bmpHeader(4096, 4096, 1) + std::string(4096 / 8 * 4096, '\0');
    for (std::size_t k = 0; k < 6; ++k) {
        const fs::path file = root.path() / PictureCatalogue::fileNames()[k];
        fs::remove(file);
        test::writeFile(file, big);
    }
    const PictureCatalogue catalogue = PictureCatalogue::load(root.path());
    EXPECT_FALSE(catalogue.complete());
    EXPECT_EQ(catalogue.error(), "The data pictures up to " +
                                     (root.path() / PictureCatalogue::fileNames()[5]).make_preferred().string() +
                                     " would take more than 256 MiB of memory");
    EXPECT_TRUE(catalogue.picture(Picture::HangarN).width() == 4096) << "the pictures before it were read";
}

} // namespace
} // namespace vantor
