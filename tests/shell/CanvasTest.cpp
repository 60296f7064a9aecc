#include "shell/Canvas.hpp"
#include "shell/Font.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

namespace vantor {
namespace {

constexpr int kW = 12;
constexpr int kH = 10;
constexpr Rgb kPen{255, 0, 0};
constexpr Rgb kBrush{150, 150, 150};
constexpr Rgb kBackground{192, 192, 192};

using Pixels = std::set<std::pair<int, int>>;

Pixels pixelsOf(const Image& image, Rgb c)
{
    Pixels out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == c)
                out.insert({x, y});
    return out;
}

struct Box {
    int x1, y1, x2, y2;
    bool contains(int x, int y) const { return x >= x1 && x < x2 && y >= y1 && y < y2; }
};

TEST(Canvas, FillRectCoversX1ToX2MinusOne)
{
    struct Case {
        const char* name;
        Box box;
    };
    const Case cases[] = {
        {"inside", {2, 3, 7, 8}},
        {"one pixel", {4, 4, 5, 5}},
        {"whole picture", {0, 0, kW, kH}},
        {"clipped left and top", {-3, -2, 2, 3}},
        {"clipped right and bottom", {9, 7, 20, 30}},
        {"larger on every side", {-5, -5, kW + 5, kH + 5}},
        {"x2 equals x1", {5, 2, 5, 8}},
        {"y2 equals y1", {2, 5, 8, 5}},
        {"inverted", {8, 8, 2, 2}},
        {"left of the picture", {-9, 2, 0, 8}},
        {"below the picture", {2, kH, 8, kH + 4}},
        {"extreme coordinates", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image(kW, kH, kBackground);
        Canvas canvas(image);
        canvas.setBrushColor(kBrush);
        canvas.setPenColor(kPen);
        canvas.fillRect(c.box.x1, c.box.y1, c.box.x2, c.box.y2);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                ASSERT_EQ(image.pixel(x, y), c.box.contains(x, y) ? kBrush : kBackground) << x << "," << y;
    }
}

TEST(Canvas, RectangleHasPenBorderInsideItsBoundsAndBrushInside)
{
    struct Case {
        const char* name;
        Box box;
    };
    const Case cases[] = {
        {"wall", {0, 3, 10, 7}},
        {"gate", {1, 1, 9, 9}},
        {"one pixel", {5, 5, 6, 6}},
        {"two by two", {5, 5, 7, 7}},
        {"one row", {2, 4, 9, 5}},
        {"clipped left and top", {-2, -3, 4, 5}},
        {"clipped right and bottom", {8, 6, 15, 14}},
        {"larger on every side", {-1, -1, kW + 1, kH + 1}},
        {"x2 equals x1", {4, 2, 4, 8}},
        {"inverted", {9, 9, 3, 3}},
        {"off the picture", {kW, 0, kW + 5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image(kW, kH, kBackground);
        Canvas canvas(image);
        canvas.setBrushColor(kBrush);
        canvas.setPenColor(kPen);
        canvas.rectangle(c.box.x1, c.box.y1, c.box.x2, c.box.y2);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                Rgb expected = kBackground;
                if (c.box.contains(x, y)) {
                    const bool edge = x == c.box.x1 || x == c.box.x2 - 1 || y == c.box.y1 || y == c.box.y2 - 1;
                    expected = edge ? kPen : kBrush;
                }
                ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
            }
    }
}

TEST(Canvas, LineLeavesOutItsEndPoint)
{
    struct Case {
        const char* name;
        Box ends; // (x1, y1) -> (x2, y2)
        Pixels expected;
    };
    const Case cases[] = {
        {"lamp dot", {8, 1, 9, 1}, {{8, 1}}},
        {"east", {2, 4, 6, 4}, {{2, 4}, {3, 4}, {4, 4}, {5, 4}}},
        {"west", {6, 4, 2, 4}, {{6, 4}, {5, 4}, {4, 4}, {3, 4}}},
        {"south", {3, 1, 3, 4}, {{3, 1}, {3, 2}, {3, 3}}},
        {"north", {3, 4, 3, 1}, {{3, 4}, {3, 3}, {3, 2}}},
        {"south-east", {1, 1, 4, 4}, {{1, 1}, {2, 2}, {3, 3}}},
        {"north-west", {4, 4, 1, 1}, {{4, 4}, {3, 3}, {2, 2}}},
        {"north-east", {1, 4, 4, 1}, {{1, 4}, {2, 3}, {3, 2}}},
        {"south-west", {4, 1, 1, 4}, {{4, 1}, {3, 2}, {2, 3}}},
        {"shallow", {0, 0, 4, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {"steep", {0, 0, 1, 3}, {{0, 0}, {0, 1}, {1, 2}}},
        {"zero length", {5, 5, 5, 5}, {}},
        {"clipped both ends", {-5, 2, kW + 5, 2}, {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2},
                                                   {6, 2}, {7, 2}, {8, 2}, {9, 2}, {10, 2}, {11, 2}}},
        {"ends on the right edge", {9, 0, kW, 0}, {{9, 0}, {10, 0}, {11, 0}}},
        {"far diagonal", {-1000, -1000, 1000, 1000}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4},
                                                      {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}}},
        {"extreme row", {INT_MIN, 7, INT_MAX, 7}, {{0, 7}, {1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7},
                                                   {6, 7}, {7, 7}, {8, 7}, {9, 7}, {10, 7}, {11, 7}}},
        {"extreme column", {3, INT_MAX, 3, INT_MIN}, {{3, 0}, {3, 1}, {3, 2}, {3, 3}, {3, 4},
                                                      {3, 5}, {3, 6}, {3, 7}, {3, 8}, {3, 9}}},
        {"above the picture", {0, -1, kW, -1}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image(kW, kH, kBackground);
        Canvas canvas(image);
        canvas.setPenColor(kPen);
        canvas.setBrushColor(kBrush);
        canvas.line(c.ends.x1, c.ends.y1, c.ends.x2, c.ends.y2);
        EXPECT_EQ(pixelsOf(image, kPen), c.expected);
        EXPECT_EQ(pixelsOf(image, kPen).size() + pixelsOf(image, kBackground).size(),
                  static_cast<std::size_t>(kW * kH));
    }
}

// Every line between two points of a small square: one pixel per step of the
// longer distance, starting at the start point, each next to the previous,
// and the end point left out.
TEST(Canvas, EveryLineIsConnectedAndStopsBeforeItsEnd)
{
    for (int x1 = 0; x1 < 7; ++x1)
        for (int y1 = 0; y1 < 7; ++y1)
            for (int x2 = 0; x2 < 7; ++x2)
                for (int y2 = 0; y2 < 7; ++y2) {
                    Image image(7, 7, kBackground);
                    Canvas canvas(image);
                    canvas.setPenColor(kPen);
                    canvas.line(x1, y1, x2, y2);
                    const Pixels drawn = pixelsOf(image, kPen);
                    const std::size_t steps = static_cast<std::size_t>(std::max(std::abs(x2 - x1), std::abs(y2 - y1)));
                    ASSERT_EQ(drawn.size(), steps) << x1 << "," << y1 << " -> " << x2 << "," << y2;
                    if (steps == 0)
                        continue;
                    ASSERT_TRUE(drawn.count({x1, y1}));
                    ASSERT_FALSE(drawn.count({x2, y2}));
                    for (const auto& [x, y] : drawn) {
                        // Each pixel lies within half a pixel of the exact line.
                        const long cross = static_cast<long>(x - x1) * (y2 - y1) - static_cast<long>(y - y1) * (x2 - x1);
                        ASSERT_LE(2 * std::abs(cross), static_cast<long>(steps)) << x << "," << y;
                    }
                }
}

TEST(Canvas, DrawImageCopiesOpaqueAndClipped)
{
    Image icon(4, 3);
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            icon.setPixel(x, y, {static_cast<std::uint8_t>(x * 60), static_cast<std::uint8_t>(y * 100), 255});
    icon.setPixel(1, 1, kWhite); // drawn whole, white included

    const std::pair<int, int> corners[] = {
        {3, 2}, {0, 0}, {-2, 4}, {5, -1}, {10, 8}, {kW - 4, kH - 3}, {-4, 0}, {0, kH}, {INT_MIN, INT_MAX}, {INT_MAX, 0},
    };
    for (const auto& [cx, cy] : corners) {
        SCOPED_TRACE(testing::Message() << cx << "," << cy);
        Image image(kW, kH, kBackground);
        Canvas canvas(image);
        canvas.drawImage(cx, cy, icon);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const long long ix = static_cast<long long>(x) - cx;
                const long long iy = static_cast<long long>(y) - cy;
                const bool covered = ix >= 0 && iy >= 0 && ix < icon.width() && iy < icon.height();
                const Rgb expected = covered ? icon.pixel(static_cast<int>(ix), static_cast<int>(iy)) : kBackground;
                ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
            }
    }
    Image image(kW, kH, kBackground);
    Canvas(image).drawImage(2, 2, Image());
    EXPECT_EQ(image, Image(kW, kH, kBackground));
}

class CanvasText : public testing::Test {
protected:
    static const Font& font()
    {
        static const Font f(VANTOR_BIN_DIR "/data/DejaVuSans.ttf");
        return f;
    }
};

TEST_F(CanvasText, InkInFontColourOverClearBrush)
{
    const Rgb red{255, 0, 0};
    // A patterned background shows that only ink pixels are written.
    Image image(80, 30);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 77});
    const Image before = image;
    Canvas canvas(image);
    canvas.setFont(&font());
    canvas.setFontColor(red);
    canvas.setBrushColor(kBrush);
    canvas.textOut(7, 7, "Spaceport");

    const Font::Bitmap text = font().render("Spaceport");
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int tx = x - 7;
            const int ty = y - 7;
            const bool ink = tx >= 0 && ty >= 0 && tx < text.width && ty < text.height &&
                             text.ink[static_cast<std::size_t>(ty * text.width + tx)];
            inked += ink;
            ASSERT_EQ(image.pixel(x, y), ink ? red : before.pixel(x, y)) << x << "," << y;
        }
    EXPECT_GT(inked, 40);
    EXPECT_EQ(canvas.textWidth("Spaceport"), font().textWidth("Spaceport"));
}

TEST_F(CanvasText, SameTextTwiceGivesIdenticalPixels)
{
    Image first(60, 20, kBackground);
    Image second(60, 20, kBackground);
    for (Image* image : {&first, &second}) {
        Canvas canvas(*image);
        canvas.setFont(&font());
        canvas.setFontColor({0, 0, 255});
        canvas.textOut(3, 2, "RebelHQ");
    }
    EXPECT_EQ(first, second);
    EXPECT_NE(first, Image(60, 20, kBackground));
}

TEST_F(CanvasText, ClippedAtEveryEdgeAndHarmlessWithoutFont)
{
    const Font::Bitmap text = font().render("Garage");
    const std::pair<int, int> corners[] = {{-4, 3}, {5, -5}, {30, 3}, {5, 15}, {-100, 3}, {100, 100}};
    for (const auto& [cx, cy] : corners) {
        SCOPED_TRACE(testing::Message() << cx << "," << cy);
        Image image(40, 20, kWhite);
        Canvas canvas(image);
        canvas.setFont(&font());
        canvas.setFontColor(kBlack);
        canvas.textOut(cx, cy, "Garage");
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int tx = x - cx;
                const int ty = y - cy;
                const bool ink = tx >= 0 && ty >= 0 && tx < text.width && ty < text.height &&
                                 text.ink[static_cast<std::size_t>(ty * text.width + tx)];
                ASSERT_EQ(image.pixel(x, y), ink ? kBlack : kWhite) << x << "," << y;
            }
    }

    Image image(40, 20, kWhite);
    Canvas canvas(image);
    canvas.textOut(5, 3, "Garage");
    EXPECT_EQ(canvas.textWidth("Garage"), 0);
    canvas.setFont(&font());
    canvas.textOut(INT_MIN, INT_MIN, "Garage");
    canvas.textOut(INT_MAX, 0, "Garage");
    canvas.textOut(0, INT_MAX, "Garage");
    EXPECT_EQ(image, Image(40, 20, kWhite));
}

} // namespace
} // namespace vantor
