#pragma once
// The drawing operations the plan and the Moon map use, on an Image.
// Coordinates are pixels, x growing East, y growing South; everything is
// clipped to the picture.

#include "shell/Image.hpp"

#include <string_view>

namespace vantor {

class Font;

class Canvas {
public:
    explicit Canvas(Image& target) : target_(target) {}

    void setPenColor(Rgb c) { pen_ = c; }
    Rgb penColor() const { return pen_; }
    void setBrushColor(Rgb c) { brush_ = c; }
    Rgb brushColor() const { return brush_; }
    void setFont(const Font* font) { font_ = font; }
    void setFontColor(Rgb c) { fontColor_ = c; }

    // Copies `picture` whole and opaque with its top-left corner at (x, y).
    void drawImage(int x, int y, const Image& picture);
    // Fills x1..x2-1, y1..y2-1 with the brush colour.
    void fillRect(int x1, int y1, int x2, int y2);
    // One-pixel pen border inside x1..x2-1, y1..y2-1; the inside filled with the brush.
    void rectangle(int x1, int y1, int x2, int y2);
    // A pen line from (x1, y1) towards (x2, y2); the end point is not drawn.
    void line(int x1, int y1, int x2, int y2);
    // Text in the font colour over a clear brush, top-left corner at (x, y).
    // Draws nothing without a font.
    void textOut(int x, int y, std::string_view utf8);
    int textWidth(std::string_view utf8) const;

private:
    Image& target_;
    Rgb pen_ = kBlack;
    Rgb brush_ = kWhite;
    Rgb fontColor_ = kBlack;
    const Font* font_ = nullptr;
};

} // namespace vantor
