#include "shell/Image.hpp"
#include <gtest/gtest.h>
TEST(Smoke, ImageStartsFilled) { vantor::Image img(2, 2, vantor::kWhite); EXPECT_EQ(img.pixel(1, 1), vantor::kWhite); }
