#include "platform/Platform.hpp"
#include "shell/BmpFile.hpp"

#include "shell/VantorError.hpp"

#include <gtest/gtest.h>

#include <cerrno>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Little-endian byte builder for hand-made files.
struct ByteBuilder {
    Bytes b;
    ByteBuilder& u8(std::uint32_t v) { b.push_back(static_cast<std::uint8_t>(v)); return *this; }
    ByteBuilder& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    ByteBuilder& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    ByteBuilder& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    ByteBuilder& raw(const Bytes& v) { b.insert(b.end(), v.begin(), v.end()); return *this; }
    ByteBuilder& zeros(std::size_t n) { b.insert(b.end(), n, 0); return *this; }
};

// The fields of a hand-made bitmap. Rows are given in file order, padding
// included, exactly as they are stored.
struct BmpLayout {
    std::uint32_t headerSize_ = 40;
    std::int32_t width_ = 3;
    std::int32_t height_ = 2;
    std::uint32_t planes_ = 1;
    std::uint32_t bpp_ = 24;
    std::uint32_t compression_ = 0;
    std::uint32_t clrUsed_ = 0;
    std::vector<std::uint32_t> masks_;   // written after a 40-byte header, inside larger ones
    std::vector<std::uint32_t> palette_; // 0x00RRGGBB, stored as B, G, R(, 0)
    std::int64_t offset_ = -1;           // -1: right after headers and palette
    std::vector<Bytes> rows_;

    BmpLayout& headerSize(std::uint32_t v) { headerSize_ = v; return *this; }
    BmpLayout& width(std::int32_t v) { width_ = v; return *this; }
    BmpLayout& height(std::int32_t v) { height_ = v; return *this; }
    BmpLayout& planes(std::uint32_t v) { planes_ = v; return *this; }
    BmpLayout& bpp(std::uint32_t v) { bpp_ = v; return *this; }
    BmpLayout& compression(std::uint32_t v) { compression_ = v; return *this; }
    BmpLayout& clrUsed(std::uint32_t v) { clrUsed_ = v; return *this; }
    BmpLayout& masks(std::vector<std::uint32_t> v) { masks_ = std::move(v); return *this; }
    BmpLayout& palette(std::vector<std::uint32_t> v) { palette_ = std::move(v); return *this; }
    BmpLayout& offset(std::int64_t v) { offset_ = v; return *this; }
    BmpLayout& rows(std::vector<Bytes> v) { rows_ = std::move(v); return *this; }
};

Bytes buildBmp(const BmpLayout& s)
{
    const bool core = s.headerSize_ == 12;
    ByteBuilder h;
    h.u32(s.headerSize_);
    if (core) {
        h.u16(static_cast<std::uint32_t>(s.width_)).u16(static_cast<std::uint32_t>(s.height_));
        h.u16(s.planes_).u16(s.bpp_);
    } else {
        h.i32(s.width_).i32(s.height_).u16(s.planes_).u16(s.bpp_).u32(s.compression_).u32(0)
            .u32(2835).u32(2835).u32(s.clrUsed_).u32(0);
        for (std::uint32_t m : s.masks_)
            h.u32(m);
        if (h.b.size() < s.headerSize_)
            h.zeros(s.headerSize_ - h.b.size());
    }
    for (std::uint32_t c : s.palette_) {
        h.u8(c).u8(c >> 8).u8(c >> 16);
        if (!core)
            h.u8(0);
    }
    const std::size_t offset = s.offset_ >= 0 ? static_cast<std::size_t>(s.offset_) : 14 + h.b.size();
    ByteBuilder f;
    f.u8('B').u8('M').u32(0).u32(0).u32(static_cast<std::uint32_t>(offset)).raw(h.b);
    if (f.b.size() < offset)
        f.zeros(offset - f.b.size());
    for (const Bytes& r : s.rows_)
        f.raw(r);
    return f.b;
}

Image makeImage(int w, int h, const std::vector<Rgb>& topFirst)
{
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, topFirst[static_cast<std::size_t>(y * w + x)]);
    return img;
}

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const VantorError& e) {
        return e.what();
    }
    return "(no error)";
}

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kGrey{128, 128, 128};

// ---- Writing ---------------------------------------------------------------

TEST(BmpFileEncode, GoldenHeaderAndBottomUpPaddedRows)
{
    const Image img = makeImage(2, 2, {kRed, kGreen, kBlue, kWhite});
    const Bytes expected = ByteBuilder{}
        .u8('B').u8('M').u32(70).u32(0).u32(54)
        .u32(40).i32(2).i32(2).u16(1).u16(24).u32(0).u32(16).u32(2835).u32(2835).u32(0).u32(0)
        .raw({0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0, 0}) // bottom row: blue, white (B, G, R)
        .raw({0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0}) // top row: red, green
        .b;
    EXPECT_EQ(BmpFile::encode(img), expected);
}

TEST(BmpFileEncode, RoundTripsAndIsRepeatable)
{
    for (const auto& [w, h] : {std::pair{1, 1}, {2, 3}, {3, 2}, {5, 4}, {8, 1}, {33, 7}}) {
        Image img(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.setPixel(x, y, Rgb{static_cast<std::uint8_t>(x * 37 + y), static_cast<std::uint8_t>(y * 91),
                                       static_cast<std::uint8_t>(x ^ y)});
        const Bytes bytes = BmpFile::encode(img);
        const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(), 54 + stride * static_cast<std::size_t>(h)) << w << "x" << h;
        EXPECT_EQ(BmpFile::decode(bytes, "mem"), img) << w << "x" << h;
        EXPECT_EQ(BmpFile::encode(img), bytes) << w << "x" << h;
    }
}

// ---- Reading the supported formats ----------------------------------------

struct FormatCase {
    const char* name;
    BmpLayout layout;
    std::vector<Rgb> expected; // 3 x 2, top row first
};

const std::vector<Rgb> kSixColours{kRed, kGreen, kBlue, kWhite, kBlack, kGrey};
const std::vector<std::uint32_t> kSixPalette{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};

// Builds a case at `layout`'s header and depth with the six colours; rows in file order.
FormatCase sixColours(const char* name, BmpLayout layout, std::vector<Bytes> rows)
{
    layout.rows_ = std::move(rows);
    return {name, layout, kSixColours};
}

std::vector<FormatCase> formatCases()
{
    const Bytes bgrTop{0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0};
    const Bytes bgrBottom{0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x80, 0x80, 0, 0, 0};
    std::vector<FormatCase> cases;
    cases.push_back({"1 bit bottom-up",
                     BmpLayout().bpp(1).palette({0x000000, 0xFFFFFF}).rows({{0x20, 0, 0, 0}, {0xA0, 0, 0, 0}}),
                     {kWhite, kBlack, kWhite, kBlack, kBlack, kWhite}});
    cases.push_back({"1 bit top-down, ones in padding",
                     BmpLayout().height(-2).bpp(1).palette({0x000000, 0xFFFFFF})
                         .rows({{0xBF, 0xFF, 0xFF, 0xFF}, {0x3F, 0, 0, 0}}),
                     {kWhite, kBlack, kWhite, kBlack, kBlack, kWhite}});
    cases.push_back(sixColours("4 bits, palette of clrUsed",
                               BmpLayout().bpp(4).clrUsed(6).palette(kSixPalette),
                               {{0x34, 0x50, 0, 0}, {0x01, 0x20, 0, 0}}));
    cases.push_back(sixColours("4 bits top-down, full palette",
                               [] {
                                   BmpLayout s = BmpLayout().height(-2).bpp(4).palette(kSixPalette);
                                   s.palette_.resize(16, 0x123456);
                                   return s;
                               }(),
                               {{0x01, 0x20, 0, 0}, {0x34, 0x50, 0, 0}}));
    cases.push_back(sixColours("8 bits bottom-up", BmpLayout().bpp(8).clrUsed(6).palette(kSixPalette),
                               {{3, 4, 5, 0}, {0, 1, 2, 0}}));
    cases.push_back(sixColours("8 bits top-down, V5 header",
                               BmpLayout().headerSize(124).height(-2).bpp(8).clrUsed(6).palette(kSixPalette),
                               {{0, 1, 2, 0}, {3, 4, 5, 0}}));
    cases.push_back(sixColours("8 bits, palette shorter than declared, gap before pixels",
                               BmpLayout().bpp(8).palette(kSixPalette).offset(14 + 40 + 24 + 2),
                               {{3, 4, 5, 0}, {0, 1, 2, 0}}));
    cases.push_back(sixColours("8 bits, core header", BmpLayout().headerSize(12).bpp(8).palette(kSixPalette),
                               {{3, 4, 5, 0}, {0, 1, 2, 0}}));
    cases.push_back(sixColours("24 bits bottom-up", BmpLayout(), {bgrBottom, bgrTop}));
    cases.push_back(sixColours("24 bits top-down", BmpLayout().height(-2), {bgrTop, bgrBottom}));
    cases.push_back(sixColours("24 bits, V4 header", BmpLayout().headerSize(108), {bgrBottom, bgrTop}));
    cases.push_back(sixColours("24 bits, core header", BmpLayout().headerSize(12), {bgrBottom, bgrTop}));
    cases.push_back(sixColours("32 bits BI_RGB, fourth byte ignored", BmpLayout().bpp(32),
                               {{0xFF, 0xFF, 0xFF, 0x11, 0, 0, 0, 0x22, 0x80, 0x80, 0x80, 0x33},
                                {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0}}));
    cases.push_back(sixColours("32 bits bit fields R G B X",
                               BmpLayout().bpp(32).compression(3).masks({0xFF, 0xFF00, 0xFF0000}),
                               {{0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0x80, 0x80, 0x80, 0},
                                {0xFF, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0}}));
    cases.push_back(sixColours("32 bits bit fields in V5 header, alpha ignored",
                               BmpLayout().headerSize(124).height(-2).bpp(32).compression(3)
                                   .masks({0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}),
                               {{0, 0, 0xFF, 0x7F, 0, 0xFF, 0, 0x7F, 0xFF, 0, 0, 0x7F},
                                {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0x80, 0x80, 0x80, 0xFF}}));
    cases.push_back(sixColours("32 bits bit fields, 10 bits a channel",
                               BmpLayout().bpp(32).compression(3).masks({0x3FF00000, 0x000FFC00, 0x000003FF}),
                               {{0xFF, 0xFF, 0xFF, 0x3F, 0, 0, 0, 0, 0x00, 0x02, 0x08, 0x20},
                                {0, 0, 0xF0, 0x3F, 0, 0xFC, 0x0F, 0, 0xFF, 0x03, 0, 0}}));
    // Five-bit 16 stretches to 132, six-bit 32 to 130.
    const Rgb grey16{132, 132, 132};
    cases.push_back({"16 bits BI_RGB is 5-5-5",
                     BmpLayout().bpp(16).rows({{0xFF, 0x7F, 0x00, 0x00, 0x10, 0x42, 0, 0},
                                                 {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0}}),
                     {kRed, kGreen, kBlue, kWhite, kBlack, grey16}});
    cases.push_back({"16 bits bit fields 5-6-5",
                     BmpLayout().bpp(16).compression(3).masks({0xF800, 0x07E0, 0x001F})
                         .rows({{0xFF, 0xFF, 0x00, 0x00, 0x10, 0x84, 0, 0},
                                      {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0}}),
                     {kRed, kGreen, kBlue, kWhite, kBlack, Rgb{132, 130, 132}}});
    return cases;
}

TEST(BmpFileDecode, SupportedFormats)
{
    for (const FormatCase& c : formatCases()) {
        SCOPED_TRACE(c.name);
        Image img;
        ASSERT_NO_THROW(img = BmpFile::decode(buildBmp(c.layout), "case.bmp"));
        EXPECT_EQ(img, makeImage(3, 2, c.expected));
    }
}

// ---- Refusing malformed data -----------------------------------------------

BmpLayout validPaletted()
{
    return BmpLayout().bpp(8).clrUsed(6).palette(kSixPalette).rows({{3, 4, 5, 0}, {0, 1, 2, 0}});
}

BmpLayout valid24()
{
    return BmpLayout().rows({Bytes(12, 0x40), Bytes(12, 0x80)});
}

Bytes patched32(Bytes b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    return b;
}

struct MalformedCase {
    const char* name;
    Bytes data;
    const char* reason;
};

std::vector<MalformedCase> malformedCases()
{
    Bytes truncatedPixels = buildBmp(valid24());
    truncatedPixels.pop_back();
    Bytes truncatedHeader = buildBmp(valid24());
    truncatedHeader.resize(30);
    Bytes truncatedMasks = buildBmp(BmpLayout().bpp(32).compression(3));
    truncatedMasks.resize(60);
    const Bytes hugeHeader = patched32(buildBmp(valid24()), 14, 0xFFFFFFFF);

    return {
        {"empty", {}, "too short"},
        {"ten bytes", Bytes(10, 'B'), "too short"},
        {"not a bitmap", Bytes{'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "not a BMP"},
        {"header truncated", truncatedHeader, "header is truncated"},
        {"header size 20", buildBmp(valid24().headerSize(20)), "header size 20"},
        {"header size 64 (OS/2 2.x)", buildBmp(valid24().headerSize(64)), "header size 64"},
        {"header size 0xFFFFFFFF", hugeHeader, "header size 4294967295"},
        {"planes 2", buildBmp(valid24().planes(2)), "planes is 2"},
        {"bpp 0", buildBmp(valid24().bpp(0)), "bit depth 0"},
        {"bpp 7", buildBmp(valid24().bpp(7)), "bit depth 7"},
        {"bpp 64", buildBmp(valid24().bpp(64)), "bit depth 64"},
        {"bpp 32 in core header", buildBmp(valid24().headerSize(12).bpp(32)), "bit depth 32"},
        {"RLE8", buildBmp(validPaletted().compression(1)), "RLE"},
        {"RLE4", buildBmp(validPaletted().bpp(4).compression(2)), "RLE"},
        {"JPEG", buildBmp(valid24().compression(4)), "compression 4"},
        {"bit fields at 24 bits", buildBmp(valid24().compression(3).masks({1, 2, 4})),
         "bit fields need"},
        {"width 0", buildBmp(valid24().width(0)), "out of range"},
        {"height 0", buildBmp(valid24().height(0)), "out of range"},
        {"negative width", buildBmp(valid24().width(-3)), "out of range"},
        {"width 16385", buildBmp(valid24().width(16385)), "out of range"},
        {"height -16385", buildBmp(valid24().height(-16385)), "out of range"},
        {"height INT32_MIN", buildBmp(valid24().height(INT32_MIN)), "out of range"},
        {"100000 x 100000", buildBmp(valid24().width(100000).height(100000)), "out of range"},
        {"65536 x 65536 (32-bit overflow)", buildBmp(valid24().width(65536).height(65536)),
         "out of range"},
        {"4097 x 1, past the largest side read", buildBmp(valid24().width(4097).height(1)), "out of range (1..4096)"},
        {"1 x -4097", buildBmp(valid24().width(1).height(-4097)), "out of range (1..4096)"},
        {"4096 x 4096 without the pixels", buildBmp(valid24().width(4096).height(4096)),
         "pixel data is truncated"},
        {"pixel data 2 MiB into the file", buildBmp(valid24().offset(2 << 20)), "too far into the file"},
        {"pixels truncated", truncatedPixels, "pixel data is truncated"},
        {"offset past end", patched32(buildBmp(valid24()), 10, 1000), "past the end"},
        {"offset inside header", buildBmp(valid24().offset(20)), "inside the header"},
        {"offset 0", buildBmp(valid24().offset(0)), "inside the header"},
        {"offset over the masks",
         buildBmp(BmpLayout().bpp(32).compression(3).masks({0xFF, 0xFF00, 0xFF0000}).offset(54)
                      .rows({Bytes(24), Bytes(24)})),
         "inside the header"},
        {"masks truncated", truncatedMasks, "masks are truncated"},
        {"mask not contiguous",
         buildBmp(BmpLayout().bpp(32).compression(3).masks({0xF0F, 0xF000, 0xF0000}).rows({Bytes(12), Bytes(12)})),
         "not contiguous"},
        {"16-bit mask wider than the pixel",
         buildBmp(BmpLayout().bpp(16).compression(3).masks({0x1F0000, 0x7E0, 0x1F}).rows({Bytes(8), Bytes(8)})),
         "does not fit 16 bits"},
        {"palette index out of range", buildBmp(validPaletted().rows({{3, 4, 5, 0}, {0, 1, 6, 0}})),
         "palette index 6 is out of range (palette has 6 colours)"},
        {"4-bit index past a short palette",
         buildBmp(validPaletted().bpp(4).clrUsed(2).rows({{0x01, 0x00, 0, 0}, {0x10, 0xF0, 0, 0}})),
         "palette index 15"},
        {"palette missing", buildBmp(validPaletted().palette({})), "palette is missing"},
    };
}

TEST(BmpFileDecode, RefusesMalformedDataNamingTheFile)
{
    for (const MalformedCase& c : malformedCases()) {
        SCOPED_TRACE(c.name);
        const std::string text = errorOf([&] { BmpFile::decode(c.data, "data/bad.bmp"); });
        EXPECT_EQ(text.rfind("Bitmap image is not valid: data/bad.bmp (", 0), 0u) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    }
}

// ---- Files -----------------------------------------------------------------

class BmpFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("vantor-bmp-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(BmpFileOnDisk, WriteThenReadAndOverwrite)
{
    const fs::path path = dir_ / "pic.bmp";
    const Image first = makeImage(3, 2, kSixColours);
    BmpFile::write(first, path);
    EXPECT_EQ(BmpFile::read(path), first);
    const Image second(5, 5, kGrey);
    BmpFile::write(second, path);
    EXPECT_EQ(BmpFile::read(path), second);
    EXPECT_FALSE(fs::exists(dir_ / "pic.bmp.tmp"));
}

TEST_F(BmpFileOnDisk, ReadFailuresNameThePath)
{
    const fs::path missing = dir_ / "nothere.bmp";
    // The reason is the system's own text (strerror here, FormatMessageW on
    // Windows for the failure just met, so it is asked for after the read).
    const std::string notFound = errorOf([&] { BmpFile::read(missing); });
    EXPECT_EQ(notFound, "Cannot open file " + missing.string() + ": " + platform::errorText(ENOENT));
    const std::string folder = errorOf([&] { BmpFile::read(dir_); });
    EXPECT_EQ(folder, "Cannot open file " + dir_.string() + ": " + platform::errorText(EISDIR));

    const fs::path bad = dir_ / "bad.bmp";
    std::ofstream(bad, std::ios::binary) << "hello, not a picture";
    EXPECT_EQ(errorOf([&] { BmpFile::read(bad); }), "Bitmap image is not valid: " + bad.string() + " (not a BMP file)");
}

// A huge file is refused from its header; what follows it is never read
// (the process tests bound the memory of such a read).
TEST_F(BmpFileOnDisk, HugeFileIsRefusedFromItsHeader)
{
    const fs::path huge = dir_ / "huge.bmp";
    std::ofstream(huge, std::ios::binary) << "BM";
    std::error_code ec;
    fs::resize_file(huge, (std::uintmax_t{1} << 30) + (std::uintmax_t{1} << 20), ec); // sparse
    if (ec)
        GTEST_SKIP() << "cannot make a sparse file here";
    const std::string text = errorOf([&] { BmpFile::read(huge); });
    EXPECT_EQ(text, "Bitmap image is not valid: " + huge.string() + " (unsupported header size 0)");
}

TEST_F(BmpFileOnDisk, WriteFailuresNameThePathAndLeaveNoTemporary)
{
    const Image img(2, 2, kRed);
    const fs::path inMissingDir = dir_ / "missing" / "out.bmp";
    EXPECT_NE(errorOf([&] { BmpFile::write(img, inMissingDir); }).find(inMissingDir.string()), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "missing"));

    // The target is a directory: the temporary is written, the rename fails.
    const fs::path isDir = dir_ / "taken.bmp";
    fs::create_directory(isDir);
    EXPECT_NE(errorOf([&] { BmpFile::write(img, isDir); }).find(isDir.string()), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "taken.bmp.tmp"));
    EXPECT_TRUE(fs::is_directory(isDir));
}

TEST(BmpFileCorpus, EveryMalformedFileIsRefused)
{
    const fs::path dir = VANTOR_TEST_DATA_DIR "/bmp-malformed";
    std::vector<fs::path> files;
    for (const fs::directory_entry& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".bmp")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    EXPECT_GE(files.size(), 12u);
    for (const fs::path& f : files) {
        SCOPED_TRACE(f.filename().string());
        const std::string text = errorOf([&] { BmpFile::read(f); });
        EXPECT_EQ(text.rfind("Bitmap image is not valid: " + f.string() + " (", 0), 0u) << text;
    }
}

} // namespace
} // namespace vantor
