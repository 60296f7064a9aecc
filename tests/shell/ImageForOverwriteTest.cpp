// A picture made for overwriting keeps the size checks of the filling
// constructor: out-of-range sides are refused, not allocated.

#include "shell/Image.hpp"
#include "shell/VantorError.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace vantor {
namespace {

TEST(ImageForOverwrite, RefusesTheSidesTheConstructorRefusesAndSizesTheRest)
{
    const std::pair<int, int> bad[] = {{-1, 1}, {1, -1}, {Image::kMaxSide + 1, 1}, {1, Image::kMaxSide + 1}};
    for (const auto& [w, h] : bad) {
        EXPECT_THROW((void)Image::forOverwrite(w, h), VantorError) << w << " x " << h;
        EXPECT_THROW((void)Image(w, h), VantorError) << w << " x " << h;
    }
    const std::pair<int, int> good[] = {{0, 0}, {1, 1}, {5, 3}, {Image::kMaxSide, 1}};
    for (const auto& [w, h] : good) {
        const Image image = Image::forOverwrite(w, h);
        EXPECT_EQ(image.width(), w);
        EXPECT_EQ(image.height(), h);
        EXPECT_EQ(image.bytes().size(), static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
    }
}

} // namespace
} // namespace vantor
