#include "shell/Image.hpp"

#include "shell/VantorError.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};

TEST(Image, SetPixelOutsideIsIgnored)
{
    Image img(3, 2, kWhite);
    const Image before = img;
    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {-100000, 100000}})
        img.setPixel(x, y, kRed);
    EXPECT_EQ(img, before);
    img.setPixel(2, 1, kRed);
    EXPECT_EQ(img.pixel(2, 1), kRed);
    EXPECT_EQ(img.row(1)[6], 255);
}

TEST(Image, ResizeKeepsTopLeftAndFillsTheRest)
{
    struct Case {
        int w, h;
    };
    for (const Case c : {Case{5, 4}, Case{2, 1}, Case{2, 5}, Case{0, 0}, Case{3, 2}}) {
        Image img(3, 2, kWhite);
        img.setPixel(0, 0, kRed);
        img.setPixel(1, 1, kBlue);
        img.resize(c.w, c.h, kBlack);
        ASSERT_EQ(img.width(), c.w);
        ASSERT_EQ(img.height(), c.h);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const bool old = x < 3 && y < 2;
                const Rgb expected = x == 0 && y == 0 ? kRed : x == 1 && y == 1 ? kBlue : old ? kWhite : kBlack;
                EXPECT_EQ(img.pixel(x, y), expected) << c.w << "x" << c.h << " at " << x << "," << y;
            }
    }
}

TEST(Image, RefusesSidesOutOfRange)
{
    for (const auto& [w, h] : {std::pair{-1, 1}, {1, -1}, {Image::kMaxSide + 1, 1}, {1, Image::kMaxSide + 1}})
        EXPECT_THROW(Image(w, h), VantorError) << w << "x" << h;
    Image img(1, 1);
    EXPECT_THROW(img.resize(Image::kMaxSide + 1, 1), VantorError);
    EXPECT_EQ(img.width(), 1);
}

} // namespace
} // namespace vantor
