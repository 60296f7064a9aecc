#pragma once
// Windows BMP reading and writing.
//
// Writing: always 24 bits per pixel, bottom-up rows padded to 4 bytes, the
// standard 54-byte header (14-byte file header + 40-byte BITMAPINFOHEADER),
// 2835 pixels per metre. The same picture always gives the same bytes.
//
// Reading: 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up and top-down
// rows, BI_RGB and BI_BITFIELDS, the 40-byte info header, its larger V2 to V5
// forms and the 12-byte OS/2 core header. RLE and anything else is refused.
// Every header field, offset and size is checked before anything is
// allocated; a bad file gives a VantorError naming the file, never a crash or
// a huge allocation. A file is read in two steps: its headers (at most about
// 1 KiB), which are checked first, then exactly the bytes up to the end of
// the pixel data they describe; a garbage file of any size costs one small
// read.
//
// Pictures read are at most kMaxReadSide (4096) pixels a side, four times
// the largest data picture (the 1024 x 1024 dirt textures): such a picture
// decodes to 48 MiB. Larger ones are refused as not valid, naming the file.

#include "shell/Image.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vantor {

class BmpFile {
public:
    // The largest side of a picture read or decoded.
    static constexpr int kMaxReadSide = 4096;

    // Reads a picture. Missing or unreadable file: "Cannot open file <path>:
    // <the system's reason>" (systemError() is the errno, ENOENT for a
    // missing file). Not a valid bitmap: "Bitmap image is not valid: <path>
    // (<reason>)".
    static Image read(const std::filesystem::path& path);
    // Reads only the top-left part of a picture, at most maxWidth x maxHeight
    // pixels (both at least 1), as read() would decode it: the headers are
    // checked first, then only the rows wanted are read, a few at a time,
    // so neither the whole file nor more than the part is ever in memory.
    static Image readTopLeft(const std::filesystem::path& path, int maxWidth, int maxHeight);

    // The sides of a picture from its headers alone, which are checked as
    // read() checks them (the same errors); no pixel is read.
    struct Sides {
        int width = 0;
        int height = 0;
    };
    static Sides readSides(const std::filesystem::path& path);

    // Decodes BMP bytes held in memory; `name` is used in error texts.
    static Image decode(std::span<const std::uint8_t> data, const std::string& name);

    // Encodes a picture as a 24-bit bottom-up BMP.
    static std::vector<std::uint8_t> encode(const Image& image);
    // The same bytes handed to `write` in order, in pieces of at most
    // kEncodeBufferBytes (the header and whole rows), encoded into one small
    // buffer: no copy of the whole picture is ever held. An exception from
    // `write` ends the encoding.
    static constexpr std::size_t kEncodeBufferBytes = 64 * 1024;
    using ByteWriter = std::function<void(std::span<const std::uint8_t> piece)>;
    static void encode(const Image& image, const ByteWriter& write);
    // The size of the encoded file of a width x height picture.
    static std::uint64_t encodedSize(int width, int height) noexcept;

    // Writes a picture as a 24-bit BMP. The bytes go to a temporary file in the
    // same directory which then replaces `path`, so a failed write never leaves
    // a half-written picture. Failure: VantorError naming the path.
    static void write(const Image& image, const std::filesystem::path& path);
};

} // namespace vantor
