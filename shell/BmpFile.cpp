#include "shell/BmpFile.hpp"

#include "shell/AtomicFile.hpp"
#include "shell/VantorError.hpp"

namespace vantor {

namespace {

void putLe16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void putLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    putLe16(out, at, v & 0xFFFFu);
    putLe16(out, at + 2, v >> 16);
}

} // namespace

std::vector<std::uint8_t> BmpFile::encode(const Image& image)
{
    constexpr std::size_t kHeaderSize = 54;
    const auto width = static_cast<std::size_t>(image.width());
    const auto height = static_cast<std::size_t>(image.height());
    const std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
    const std::size_t pixelBytes = stride * height;
    std::vector<std::uint8_t> out(kHeaderSize + pixelBytes, 0);

    out[0] = 'B';
    out[1] = 'M';
    putLe32(out, 2, static_cast<std::uint32_t>(out.size()));
    putLe32(out, 10, kHeaderSize);
    putLe32(out, 14, 40);
    putLe32(out, 18, static_cast<std::uint32_t>(width));
    putLe32(out, 22, static_cast<std::uint32_t>(height)); // positive: bottom-up
    putLe16(out, 26, 1);                                   // planes
    putLe16(out, 28, 24);                                  // bits per pixel
    putLe32(out, 30, 0);                                   // BI_RGB
    putLe32(out, 34, static_cast<std::uint32_t>(pixelBytes));
    putLe32(out, 38, 2835); // 72 dpi
    putLe32(out, 42, 2835);

    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* src = image.row(static_cast<int>(height - 1 - y));
        std::uint8_t* dst = &out[kHeaderSize + y * stride];
        for (std::size_t x = 0; x < width; ++x) {
            dst[x * 3] = src[x * 3 + 2];
            dst[x * 3 + 1] = src[x * 3 + 1];
            dst[x * 3 + 2] = src[x * 3];
        }
    }
    return out;
}

void BmpFile::write(const Image& image, const std::filesystem::path& path)
{
    writeFileAtomically(path, encode(image));
}

} // namespace vantor
