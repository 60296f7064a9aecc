#include "shell/Font.hpp"
#include "shell/VantorError.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantor {
namespace {

const std::filesystem::path kFontFile = VANTOR_BIN_DIR "/data/DejaVuSans.ttf";

const Font& labelFont()
{
    static const Font font(kFontFile);
    return font;
}

// First and last rows holding ink, or {-1, -1} when there is none.
std::pair<int, int> inkRows(const Font::Bitmap& b)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            if (b.ink[static_cast<std::size_t>(y * b.width + x)]) {
                if (first < 0)
                    first = y;
                last = y;
            }
    return {first, last};
}

std::uint64_t fnv1a(const Font::Bitmap& b)
{
    std::uint64_t h = 14695981039346656037ull;
    auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    mix(static_cast<std::uint64_t>(b.width));
    mix(static_cast<std::uint64_t>(b.height));
    for (std::uint8_t v : b.ink)
        mix(v);
    return h;
}

std::string errorOf(const std::filesystem::path& file, int size = Font::kLabelPixelSize)
{
    try {
        Font font(file, size);
    } catch (const VantorError& e) {
        return e.what();
    }
    return "";
}

TEST(Font, LabelSizeMetrics)
{
    const Font& font = labelFont();
    // Baseline at row 11 of a 14-row line: capitals stand on row 10 and are
    // 8 rows high, accents of capitals reach row 0, descenders row 13.
    EXPECT_EQ(font.lineHeight(), 14);
    EXPECT_EQ(inkRows(font.render("H")), std::make_pair(3, 10));
    EXPECT_EQ(inkRows(font.render("\xC4\x9A")), std::make_pair(0, 10)); // Ě
    EXPECT_EQ(inkRows(font.render("y")), std::make_pair(5, 12));
    EXPECT_EQ(font.textWidth("Spaceport"), 58);
    EXPECT_EQ(font.textWidth("RebelHQ"), 48);
}

TEST(Font, RenderedLineHasWidthHeightAndOnlyZeroOrOne)
{
    const Font& font = labelFont();
    for (const char* text : {"Spaceport", "RebelHQ", "Excavation", "Pr\xC3\xA1v\xC4\x9B", "", " "}) {
        SCOPED_TRACE(text);
        const Font::Bitmap b = font.render(text);
        EXPECT_EQ(b.width, font.textWidth(text));
        EXPECT_EQ(b.height, font.lineHeight());
        ASSERT_EQ(b.ink.size(), static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height));
        int inked = 0;
        for (std::uint8_t v : b.ink) {
            EXPECT_LE(v, 1);
            inked += v;
        }
        EXPECT_EQ(inked > 0, std::string(text).find_first_not_of(' ') != std::string::npos);
    }
}

TEST(Font, WidthGrowsWithText)
{
    const Font& font = labelFont();
    int previous = font.textWidth("");
    EXPECT_EQ(previous, 0);
    const std::string text = "Fort Gunshop Carshop";
    for (std::size_t n = 1; n <= text.size(); ++n) {
        const int width = font.textWidth(std::string_view(text).substr(0, n));
        EXPECT_GT(width, previous) << n;
        previous = width;
    }
}

TEST(Font, SameTextGivesSamePixelsAcrossFonts)
{
    const Font other(kFontFile);
    for (const char* text : {"Spaceport", "RebelHQ", "Pr\xC3\xA1v\xC4\x9B"}) {
        EXPECT_EQ(labelFont().render(text).ink, other.render(text).ink) << text;
    }
    // Golden value: a different number means the glyph shapes changed.
    EXPECT_EQ(fnv1a(labelFont().render("Spaceport RebelHQ Pr\xC3\xA1v\xC4\x9B")), 11955531369022525388ull);
}

TEST(Font, CzechLettersHaveTheirOwnGlyphs)
{
    const Font& font = labelFont();
    const Font::Bitmap accented = font.render("Pr\xC3\xA1v\xC4\x9B"); // Právě
    const Font::Bitmap plain = font.render("Prave");
    const Font::Bitmap unknown = font.render("Pr?v?");
    EXPECT_NE(accented.ink, plain.ink);
    EXPECT_NE(accented.ink, unknown.ink);
    EXPECT_LT(inkRows(accented).first, inkRows(plain).first); // the accents stand higher
}

TEST(Font, BadBytesAndUnknownCharactersShowAsQuestionMarks)
{
    struct Case {
        const char* name;
        std::string text;
        std::string same;
    };
    const Case cases[] = {
        {"stray continuation", "a\x80z", "a?z"},
        {"invalid byte", "a\xFFz", "a?z"},
        {"lead at end", "az\xC3", "az?"},
        {"truncated three-byte", "a\xE2\x82z", "a??z"},
        {"overlong slash", "a\xC0\xAFz", "a??z"},
        {"overlong three-byte", "\xE0\x80\x80", "???"},
        {"surrogate", "\xED\xA0\x80", "???"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "????"},
        {"embedded zero and tab", std::string("a\0\tz", 4), "a??z"},
        {"not in the font", "\xE4\xB8\x80", "?"}, // U+4E00
    };
    const Font& font = labelFont();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(font.textWidth(c.text), font.textWidth(c.same));
        EXPECT_EQ(font.render(c.text).ink, font.render(c.same).ink);
    }
}

TEST(Font, ErrorsNameTheFile)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vantor-font-test";
    std::filesystem::create_directories(dir);
    const std::filesystem::path garbage = dir / "garbage.ttf";
    const std::filesystem::path empty = dir / "empty.ttf";
    {
        std::ofstream(garbage, std::ios::binary) << "this is not a TrueType font at all";
        std::ofstream(empty, std::ios::binary);
    }
    struct Case {
        std::filesystem::path file;
        int size;
        std::string expected;
    };
    const Case cases[] = {
        {dir / "missing.ttf", 11, "Cannot open file " + (dir / "missing.ttf").string()},
        {dir, 11, "Cannot open file " + dir.string()},
        {garbage, 11, "Font file is not valid: " + garbage.string()},
        {empty, 11, "Font file is not valid: " + empty.string()},
        {kFontFile, 0, kFontFile.string()},
        {kFontFile, 100000, kFontFile.string()},
    };
    for (const Case& c : cases) {
        const std::string message = errorOf(c.file, c.size);
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace vantor
