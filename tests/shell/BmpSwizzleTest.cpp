// The 24-bit rows are converted between the file's blue-green-red order and
// the picture's red-green-blue order eight pixels at a time, with the rest
// done pixel by pixel. These cases check every width around that block
// (1..17 and a few wider ones), both stored row orders, the row padding and
// the partial reads, against files and pictures built here byte by byte.

#include "shell/BmpFile.hpp"

#include "ProcessRunner.hpp"

#include <gtest/gtest.h>


#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vantor {
namespace {

namespace fs = std::filesystem;

// Every byte of every pixel differs from its neighbours, so a swapped or
// shifted byte shows.
Rgb colourAt(int x, int y)
{
    return {static_cast<std::uint8_t>(x * 11 + y * 5 + 1), static_cast<std::uint8_t>(x * 3 + y * 17 + 2),
            static_cast<std::uint8_t>(x * 29 + y * 7 + 3)};
}

Image pattern(int width, int height)
{
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colourAt(x, y));
    return image;
}

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 24-bit BI_RGB file written the plain way: rows padded with `padByte`
// (readers must ignore it), bottom row first unless `topDown`.
std::vector<std::uint8_t> referenceFile(int width, int height, bool topDown, std::uint8_t padByte)
{
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> out(54 + stride * static_cast<std::size_t>(height), padByte);
    std::fill(out.begin(), out.begin() + 54, std::uint8_t{0});
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<std::uint32_t>(out.size()));
    put32(out, 10, 54);
    put32(out, 14, 40);
    put32(out, 18, static_cast<std::uint32_t>(width));
    put32(out, 22, static_cast<std::uint32_t>(topDown ? -height : height));
    out[26] = 1;
    out[28] = 24;
    put32(out, 34, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height)));
    put32(out, 38, 2835);
    put32(out, 42, 2835);
    for (int y = 0; y < height; ++y) {
        const int stored = topDown ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const Rgb c = colourAt(x, y);
            std::uint8_t* p = &out[54 + static_cast<std::size_t>(stored) * stride + static_cast<std::size_t>(x) * 3];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
    return out;
}

std::vector<int> widths()
{
    std::vector<int> w;
    for (int i = 1; i <= 17; ++i)
        w.push_back(i);
    for (int i : {23, 24, 25, 64, 67})
        w.push_back(i);
    return w;
}

TEST(BmpSwizzle, DecodeMatchesTheStoredBytesForEveryWidthAndRowOrder)
{
    for (const int width : widths()) {
        for (const bool topDown : {false, true}) {
            SCOPED_TRACE("width " + std::to_string(width) + (topDown ? " top-down" : " bottom-up"));
            const Image decoded = BmpFile::decode(referenceFile(width, 3, topDown, 0xA5), "reference.bmp");
            EXPECT_EQ(decoded, pattern(width, 3));
        }
    }
}

// Both encoders, whole and streamed through the small buffer, write the
// plain file: every width of the pixel blocks, every row padding, and
// pictures of several buffers, up to rows so wide (16384 pixels) that only
// one fits beside the header. The streamed pieces are whole rows (the first
// with the header), none larger than the buffer.
TEST(BmpSwizzle, EncodeWritesThePlainFileForEveryWidth)
{
    std::vector<std::pair<int, int>> sizes;
    for (const int width : widths())
        sizes.emplace_back(width, 3);
    for (const auto& size : {std::pair{1, 1}, {7, 9}, {333, 250}, {5461, 9}, {16384, 2}, {0, 0}})
        sizes.push_back(size);
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const Image picture = pattern(width, height);
        const std::vector<std::uint8_t> expected = referenceFile(width, height, false, 0);
        EXPECT_EQ(BmpFile::encode(picture), expected);
        EXPECT_EQ(BmpFile::encodedSize(width, height), expected.size());

        std::vector<std::uint8_t> streamed;
        const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
        BmpFile::encode(picture, [&](std::span<const std::uint8_t> piece) {
            EXPECT_LE(piece.size(), BmpFile::kEncodeBufferBytes);
            if (stride > 0) {
                EXPECT_EQ((streamed.size() + piece.size() - 54) % stride, 0u) << "a piece ends mid-row";
            }
            streamed.insert(streamed.end(), piece.begin(), piece.end());
        });
        EXPECT_EQ(streamed, expected);
    }
}

TEST(BmpSwizzle, TopLeftReadMatchesTheStoredBytesForEveryWidthAndRowOrder)
{
    const fs::path dir = fs::temp_directory_path() / ("vantor-bmp-swizzle-" + std::to_string(test::currentProcessId()));
    fs::create_directories(dir);
    const fs::path file = dir / "reference.bmp";
    for (const int width : widths()) {
        for (const bool topDown : {false, true}) {
            SCOPED_TRACE("width " + std::to_string(width) + (topDown ? " top-down" : " bottom-up"));
            const std::vector<std::uint8_t> bytes = referenceFile(width, 4, topDown, 0x5A);
            std::ofstream(file, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            for (const int cut : {1, width - 1, width}) {
                if (cut < 1)
                    continue;
                const Image part = BmpFile::readTopLeft(file, cut, 3);
                Image expected(cut, 3);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < cut; ++x)
                        expected.setPixel(x, y, colourAt(x, y));
                EXPECT_EQ(part, expected) << "cut to " << cut;
            }
        }
    }
    fs::remove_all(dir);
}

} // namespace
} // namespace vantor
