#pragma once
// A TrueType font rasterised with FreeType into crisp one-bit glyphs (no
// anti-aliasing, no hinting differences between runs), so text drawn with it
// is identical on every machine with the same font file. The plan and the
// Moon map use it at a pixel size that reads like an 8-point sans-serif.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace vantor {

class Font {
public:
    // Pixel size of the small sans-serif used for labels (8 points at 96 dpi).
    static constexpr int kLabelPixelSize = 11;

    // Loads a TrueType file; throws VantorError naming the file when it
    // cannot be read or is not a font.
    Font(const std::filesystem::path& file, int pixelSize = kLabelPixelSize);
    ~Font();
    Font(Font&&) noexcept;
    Font& operator=(Font&&) noexcept;

    // One rendered line of text: a width x height coverage mask, 1 = ink.
    // Height is the font's line height; the text's top-left is (0, 0).
    struct Bitmap {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> ink; // row-major, width * height
    };

    // Renders UTF-8 text (one line) at the top-left origin. Bytes that are
    // not valid UTF-8, control characters and characters the font lacks show
    // as '?'. The width is textWidth(), widened by any ink past the last
    // advance, and cut at 65536 pixels.
    Bitmap render(std::string_view utf8) const;
    // Sum of the glyphs' whole-pixel advances (no kerning); 0 for "".
    int textWidth(std::string_view utf8) const;
    // Rows of a rendered line: ascender plus descender, rounded up.
    int lineHeight() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vantor
