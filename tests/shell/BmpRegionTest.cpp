#include "shell/BmpFile.hpp"
#include "shell/VantorError.hpp"

#include "ProcessRunner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantor {
namespace {

namespace fs = std::filesystem;

Image crop(const Image& image, int width, int height)
{
    Image out(std::min(width, image.width()), std::min(height, image.height()));
    for (int y = 0; y < out.height(); ++y)
        std::copy_n(image.row(y), static_cast<std::size_t>(out.width()) * 3, out.row(y));
    return out;
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

void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// A picture whose every pixel differs, so a row or column out of place shows.
Image pattern(int width, int height)
{
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, {static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(y * 3),
                                  static_cast<std::uint8_t>(x ^ y)});
    return image;
}

// The top-left part read from the file equals the same part of the whole
// picture, for the shipped pictures and for stored rows in both orders and
// row sizes that need padding, across the reader's chunk size.
TEST(BmpReadTopLeft, EqualsTheTopLeftOfTheWholePicture)
{
    const fs::path dir = fs::temp_directory_path() / ("vantor-bmp-region-" + std::to_string(test::currentProcessId()));
    fs::create_directories(dir);
    std::vector<fs::path> files;
    for (const char* name : {"dirt1.bmp", "roadNS.bmp", "spaceportshadow.bmp", "moonBase.bmp", "intro.bmp"})
        files.push_back(fs::path(VANTOR_BIN_DIR) / "data" / name);
    for (const auto& [w, h] : {std::pair{3, 2}, {1, 1}, {97, 1500}, {1030, 300}}) {
        const Image picture = pattern(w, h);
        std::vector<std::uint8_t> bottomUp = BmpFile::encode(picture);
        const fs::path a = dir / ("bottom-up-" + std::to_string(w) + ".bmp");
        writeBytes(a, bottomUp);
        files.push_back(a);
        // The same picture stored top row first: negative height, rows reversed.
        const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
        std::vector<std::uint8_t> topDown(bottomUp.begin(), bottomUp.begin() + 54);
        for (int row = h - 1; row >= 0; --row)
            topDown.insert(topDown.end(), bottomUp.begin() + 54 + static_cast<std::ptrdiff_t>(row * stride),
                           bottomUp.begin() + 54 + static_cast<std::ptrdiff_t>((row + 1) * stride));
        const auto negative = static_cast<std::uint32_t>(-h);
        for (int i = 0; i < 4; ++i)
            topDown[22 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(negative >> (8 * i));
        const fs::path b = dir / ("top-down-" + std::to_string(w) + ".bmp");
        writeBytes(b, topDown);
        ASSERT_EQ(BmpFile::read(b), picture);
        files.push_back(b);
    }
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const Image whole = BmpFile::read(file);
        for (const auto& [w, h] : {std::pair{16384, 16384}, {1, 1}, {128, 128}, {2, 1000}, {1000, 3}}) {
            EXPECT_EQ(BmpFile::readTopLeft(file, w, h), crop(whole, w, h)) << w << " x " << h;
        }
    }
    fs::remove_all(dir);
}

// Every malformed picture is refused by both readers with the same reason.
TEST(BmpReadTopLeft, RefusesWhatReadRefuses)
{
    const fs::path dir = VANTOR_TEST_DATA_DIR "/bmp-malformed";
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().string());
        const std::string whole = errorOf([&] { BmpFile::read(entry.path()); });
        const std::string part = errorOf([&] { BmpFile::readTopLeft(entry.path(), 16384, 16384); });
        ASSERT_NE(whole, "(no error)");
        EXPECT_EQ(part, whole);
        ++checked;
    }
    EXPECT_GE(checked, 20);
    EXPECT_NE(errorOf([] { BmpFile::readTopLeft("/nonexistent/dirt1.bmp", 8, 8); }).find("/nonexistent/dirt1.bmp"),
              std::string::npos);
}

} // namespace
} // namespace vantor
