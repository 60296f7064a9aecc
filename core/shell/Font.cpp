#include "shell/Font.hpp"
#include "platform/Platform.hpp"

#include "shell/FileReading.hpp"
#include "shell/VantorError.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H

#include <algorithm>
#include <climits>
#include <cstddef>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// Layout of one line: the baseline lies `ascent` rows below the top, where
// ascent is the font's ascender rounded up to whole pixels; the line is
// ascent + descent rows high (descender likewise rounded up), so accented
// capitals and descenders both fit. For DejaVu Sans at 11 pixels that is a
// 14-row line with the baseline at row 11; capitals are 8 rows high.
//
// Glyphs are hinted by the TrueType bytecode interpreter for monochrome
// output and rendered one bit per pixel, with their hinted whole-pixel
// advances. No kerning is applied. The pen starts at x = 0; ink a glyph puts
// left of x = 0 (a negative left bearing on the first letter, as in "y") is
// cut off, ink past the last advance widens the bitmap.

namespace vantor {

namespace {

constexpr char32_t kReplacement = U'?';
constexpr int kMinPixelSize = 1;
constexpr int kMaxPixelSize = 512;
// Font files larger than this are refused before anything is read.
constexpr std::uintmax_t kMaxFontFileBytes = 64u * 1024u * 1024u;
// Rendered lines are cut at this width; no picture is wider than 16384.
constexpr long long kMaxRenderWidth = 65536;
// The interpreter version is fixed so that the FREETYPE_PROPERTIES
// environment variable cannot change the glyph shapes.
constexpr FT_UInt kInterpreterVersion = TT_INTERPRETER_VERSION_40;

// Decodes the code point starting at s[i] and moves i past it. A byte that
// does not start a well-formed sequence (stray continuation byte, truncated
// or overlong sequence, surrogate, value above U+10FFFF) gives '?' and only
// that one byte is consumed.
char32_t nextCodePoint(std::string_view s, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80)
        return lead;
    std::size_t extra = 0;
    char32_t cp = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1Fu;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0Fu;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07u;
        smallest = 0x10000;
    } else {
        return kReplacement;
    }
    if (s.size() - i < extra)
        return kReplacement;
    for (std::size_t k = 0; k < extra; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0u) != 0x80u)
            return kReplacement;
        cp = (cp << 6) | (c & 0x3Fu);
    }
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return kReplacement;
    i += extra;
    return cp;
}

bool isControl(char32_t cp)
{
    return cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
}

std::string invalidFont(const std::filesystem::path& file, const std::string& reason)
{
    return "Font file is not valid: " + platform::utf8(file) + " (" + reason + ")";
}

// One rendered glyph: `width` x `rows` ink bytes (1 = ink) whose top-left
// lies `left` pixels right of the pen and `top` rows above the baseline.
struct Glyph {
    int advance = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<std::uint8_t> ink;
};

} // namespace

struct Font::Impl {
    std::filesystem::path file;
    // FreeType reads only the parts of the file it needs, through `stream`.
    std::optional<ReadOnlyFile> data;
    FT_StreamRec stream {};
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int pixelSize = 0;
    int ascent = 0;
    int descent = 0;

    // Glyphs are rendered on first use; the lock lets one Font serve several
    // threads through its const methods.
    mutable std::mutex mutex;
    mutable std::map<char32_t, Glyph> glyphs;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }

    void load(const std::filesystem::path& path, int size);
    // FreeType's reader: `count` bytes at `offset` (0 bytes: only a seek,
    // answered 0 when it is inside the file); a failed read gives 0 bytes,
    // which FreeType takes for a broken file.
    static unsigned long readStream(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                                    unsigned long count) noexcept;
    Glyph renderGlyph(char32_t cp) const;
    const Glyph& glyph(char32_t cp) const; // caller holds the lock
    std::vector<const Glyph*> shape(std::string_view utf8) const;
};

void Font::Impl::load(const std::filesystem::path& path, int size)
{
    file = path;
    pixelSize = size;
    if (size < kMinPixelSize || size > kMaxPixelSize)
        throw VantorError("font size " + std::to_string(size) + " is out of range (" +
                          std::to_string(kMinPixelSize) + ".." + std::to_string(kMaxPixelSize) +
                          " pixels) for " + platform::utf8(path));

    data.emplace(path, kMaxFontFileBytes, "64 MB");
    if (data->size() == 0)
        throw VantorError(invalidFont(path, "empty file"));
    stream.size = static_cast<unsigned long>(data->size());
    stream.descriptor.pointer = this;
    stream.read = &Impl::readStream;

    if (FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        throw VantorError("Cannot start the font engine for " + platform::utf8(path));
    }
    FT_UInt version = kInterpreterVersion;
    FT_Property_Set(library, "truetype", "interpreter-version", &version);

    FT_Open_Args args {};
    args.flags = FT_OPEN_STREAM;
    args.stream = &stream;
    if (FT_Open_Face(library, &args, 0, &face) != 0) {
        face = nullptr;
        throw VantorError(invalidFont(path, "not a font FreeType can read"));
    }
    if (!FT_IS_SCALABLE(face))
        throw VantorError(invalidFont(path, "not a scalable font"));
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0)
        throw VantorError(invalidFont(path, "cannot be set to " + std::to_string(size) + " pixels"));

    // Whole pixels, rounded outwards; a broken font cannot make a line
    // absurdly tall.
    const FT_Size_Metrics& m = face->size->metrics;
    const long long limit = 4LL * size;
    ascent = static_cast<int>(std::clamp((static_cast<long long>(m.ascender) + 63) / 64, 0LL, limit));
    descent = static_cast<int>(std::clamp((-static_cast<long long>(m.descender) + 63) / 64, 0LL, limit));
    if (ascent + descent == 0)
        ascent = size;
}

unsigned long Font::Impl::readStream(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                                     unsigned long count) noexcept
{
    const auto* impl = static_cast<const Impl*>(stream->descriptor.pointer);
    if (count == 0)
        return offset <= stream->size ? 0 : 1;
    try {
        return static_cast<unsigned long>(impl->data->readAt(offset, buffer, count));
    } catch (const VantorError&) {
        return 0;
    }
}

Glyph Font::Impl::renderGlyph(char32_t cp) const
{
    Glyph g;
    const FT_UInt index = FT_Get_Char_Index(face, cp);
    if (index == 0)
        return g;
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0)
        return g;
    FT_GlyphSlot slot = face->glyph;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return g;

    const long long maxAdvance = 16LL * pixelSize;
    g.advance = static_cast<int>(std::clamp((static_cast<long long>(slot->advance.x) + 32) / 64, 0LL, maxAdvance));
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;

    const FT_Bitmap& bm = slot->bitmap;
    const bool mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
    const bool gray = bm.pixel_mode == FT_PIXEL_MODE_GRAY;
    if ((!mono && !gray) || bm.buffer == nullptr || bm.width == 0 || bm.rows == 0)
        return g;
    // A glyph far larger than the em square comes from a broken font.
    if (bm.width > 16u * static_cast<unsigned>(pixelSize) || bm.rows > 16u * static_cast<unsigned>(pixelSize))
        return g;

    g.width = static_cast<int>(bm.width);
    g.rows = static_cast<int>(bm.rows);
    g.ink.assign(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.rows), 0);
    const std::size_t pitch = static_cast<std::size_t>(bm.pitch < 0 ? -bm.pitch : bm.pitch);
    for (int r = 0; r < g.rows; ++r) {
        // A negative pitch means the rows are stored bottom row first.
        const std::size_t stored = bm.pitch < 0 ? static_cast<std::size_t>(g.rows - 1 - r) : static_cast<std::size_t>(r);
        const unsigned char* src = bm.buffer + stored * pitch;
        std::uint8_t* dst = &g.ink[static_cast<std::size_t>(r) * static_cast<std::size_t>(g.width)];
        if (mono) {
            for (int c = 0; c < g.width; ++c)
                dst[c] = static_cast<std::uint8_t>((src[c >> 3] >> (7 - (c & 7))) & 1u);
        } else {
            for (int c = 0; c < g.width; ++c)
                dst[c] = src[c] >= 128 ? 1 : 0;
        }
    }
    return g;
}

const Glyph& Font::Impl::glyph(char32_t cp) const
{
    if (isControl(cp))
        cp = kReplacement;
    auto it = glyphs.find(cp);
    if (it != glyphs.end())
        return it->second;
    // Characters the font lacks are shown as '?'.
    if (cp != kReplacement && FT_Get_Char_Index(face, cp) == 0)
        return glyphs.emplace(cp, glyph(kReplacement)).first->second;
    return glyphs.emplace(cp, renderGlyph(cp)).first->second;
}

std::vector<const Glyph*> Font::Impl::shape(std::string_view utf8) const
{
    std::vector<const Glyph*> line;
    line.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        line.push_back(&glyph(nextCodePoint(utf8, i)));
    return line;
}

Font::Font(const std::filesystem::path& file, int pixelSize) : impl_(std::make_unique<Impl>())
{
    impl_->load(file, pixelSize);
}

Font::~Font() = default;
Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;

int Font::lineHeight() const
{
    if (!impl_)
        return 0;
    return impl_->ascent + impl_->descent;
}

int Font::textWidth(std::string_view utf8) const
{
    if (!impl_)
        return 0;
    std::lock_guard lock(impl_->mutex);
    long long width = 0;
    for (const Glyph* g : impl_->shape(utf8))
        width += g->advance;
    return static_cast<int>(std::min<long long>(width, INT_MAX));
}

Font::Bitmap Font::render(std::string_view utf8) const
{
    if (!impl_)
        return {};
    std::lock_guard lock(impl_->mutex);
    const std::vector<const Glyph*> line = impl_->shape(utf8);

    long long pen = 0;
    long long right = 0;
    for (const Glyph* g : line) {
        if (g->width > 0)
            right = std::max(right, pen + g->left + g->width);
        pen += g->advance;
    }

    Bitmap out;
    out.width = static_cast<int>(std::min(std::max(pen, right), kMaxRenderWidth));
    out.height = lineHeight();
    out.ink.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0);

    pen = 0;
    for (const Glyph* g : line) {
        if (pen >= out.width)
            break;
        const long long x0 = pen + g->left;
        const long long c0 = std::max(0LL, -x0);
        const long long c1 = std::min<long long>(g->width, out.width - x0);
        for (int r = 0; r < g->rows && c0 < c1; ++r) {
            const int y = impl_->ascent - g->top + r;
            if (y < 0 || y >= out.height)
                continue;
            const std::uint8_t* src = &g->ink[static_cast<std::size_t>(r) * static_cast<std::size_t>(g->width)];
            std::uint8_t* dst = &out.ink[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width)];
            for (long long c = c0; c < c1; ++c)
                dst[x0 + c] |= src[c];
        }
        pen += g->advance;
    }
    return out;
}

} // namespace vantor
