// Feeds arbitrary bytes to the BMP decoder. A refused file must end in a
// VantorError; an accepted one must survive an encode/decode round trip.
#include "shell/BmpFile.hpp"
#include "shell/VantorError.hpp"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vantor::Image image;
    try {
        image = vantor::BmpFile::decode(std::span(data, size), "fuzz.bmp");
    } catch (const vantor::VantorError&) {
        return 0;
    }
    if (image.empty() || image.width() > vantor::Image::kMaxSide || image.height() > vantor::Image::kMaxSide)
        std::abort();
    if (vantor::BmpFile::decode(vantor::BmpFile::encode(image), "round trip") != image)
        std::abort();
    return 0;
}
