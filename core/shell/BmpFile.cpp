#include "shell/BmpFile.hpp"
#include "platform/Platform.hpp"

#include "shell/AtomicFile.hpp"
#include "shell/FileReading.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>
#include <cstring>
#include <cstdio>

namespace vantor {

namespace {

// ---- Reading ---------------------------------------------------------------
//
// A BMP file is a 14-byte file header ("BM", file size, reserved, offset of
// the pixel data), an info header whose first field is its own size, for
// BI_BITFIELDS with the 40-byte header three colour masks, then an optional
// palette, then rows of pixels, each padded to a multiple of 4 bytes. A
// positive height stores the bottom row first, a negative one the top row.
// Example: a 3 x 2 picture at 24 bits per pixel has rows of 9 + 3 padding
// bytes, pixel data at offset 54 and a file of 54 + 2 * 12 = 78 bytes.
//
// The file size in the file header and the image size in the info header
// are often wrong in files written by other tools and are ignored; only the
// bytes actually present count.

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;   // OS/2 BITMAPCOREHEADER
constexpr std::size_t kInfoHeaderSize = 40;   // BITMAPINFOHEADER
constexpr std::size_t kMaskBytes = 12;        // red, green and blue masks

// Info header sizes read: core, info, the V2/V3 info headers with the masks
// inside, V4 and V5. The 64-byte OS/2 2.x header gives its compression codes
// other meanings and is refused with the other sizes.
constexpr std::array<std::size_t, 6> kKnownHeaderSizes{12, 40, 52, 56, 108, 124};

enum Compression : std::uint32_t {
    kBiRgb = 0,
    kBiRle8 = 1,
    kBiRle4 = 2,
    kBiBitfields = 3,
};

// Reading a file takes its first kHeadBytes (every header, the masks and a
// full palette), checks them, and only then reads up to the end of the
// pixel data the header describes.
constexpr std::size_t kHeadBytes = kFileHeaderSize + 124 + kMaskBytes + 256 * 4;

// The pixel data starts at most this far into the file: past the largest
// headers and palette there is nothing a picture needs, and a file that says
// otherwise would make the reader hold a gigabyte of gap.
constexpr std::uint32_t kMaxPixelOffset = 1u << 20;

std::uint32_t getLe16(std::span<const std::uint8_t> d, std::size_t at)
{
    return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8;
}

std::uint32_t getLe32(std::span<const std::uint8_t> d, std::size_t at)
{
    return getLe16(d, at) | getLe16(d, at + 2) << 16;
}

std::string hex(std::uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

// One colour channel of a bit-field pixel: the masked bits, shifted down and
// scaled to 0..255 (wider channels keep their top 8 bits, narrower ones are
// stretched so that all ones gives 255).
class Channel {
public:
    Channel() = default;
    explicit Channel(std::uint32_t mask) : mask_(mask)
    {
        if (mask == 0)
            return;
        shift_ = std::countr_zero(mask);
        bits_ = std::popcount(mask);
        if (bits_ <= 8) {
            const std::uint32_t top = (std::uint32_t{1} << bits_) - 1;
            for (std::uint32_t v = 0; v <= top; ++v)
                scale_[v] = static_cast<std::uint8_t>((v * 255 + top / 2) / top);
        }
    }

    // The mask is one run of set bits (or empty).
    static bool contiguous(std::uint32_t mask)
    {
        if (mask == 0)
            return true;
        const std::uint32_t m = mask >> std::countr_zero(mask);
        return (m & (m + 1)) == 0;
    }

    std::uint8_t operator()(std::uint32_t px) const noexcept
    {
        const std::uint32_t v = (px & mask_) >> shift_;
        return bits_ > 8 ? static_cast<std::uint8_t>(v >> (bits_ - 8)) : scale_[v];
    }

private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    int bits_ = 0;
    std::array<std::uint8_t, 256> scale_{};
};


// Unaligned 64-bit load and store, one word each: going through an array
// would put the words on the stack and stall the loads behind the stores.
inline std::uint64_t load64(const std::uint8_t* p) noexcept
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store64(std::uint8_t* p, std::uint64_t v) noexcept
{
    std::memcpy(p, &v, sizeof v);
}

// Swaps the first and third byte of every 3-byte pixel (BGR <-> RGB) from
// `src` into `dst`, `pixels` pixels. Eight pixels are 24 bytes, three 64-bit
// words: seen as one 192-bit number V, the result is
//   (V & middle bytes) | ((V >> 16) & first bytes) | ((V << 16) & third bytes),
// a handful of word operations instead of 48 byte moves. The pixels left
// over at the end are moved one by one.
void swapRedBlue(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels) noexcept
{
    std::size_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kP = 0x00FF0000FF0000FFull; // bytes 0, 3, 6 of a word
        constexpr std::uint64_t kQ = 0xFF0000FF0000FF00ull; // bytes 1, 4, 7
        constexpr std::uint64_t kS = 0x0000FF0000FF0000ull; // bytes 2, 5
        for (; x + 8 <= pixels; x += 8) {
            const std::uint64_t w[3] = {load64(src + 3 * x), load64(src + 3 * x + 8), load64(src + 3 * x + 16)};
            const std::uint64_t down0 = w[0] >> 16 | w[1] << 48;
            const std::uint64_t down1 = w[1] >> 16 | w[2] << 48;
            const std::uint64_t down2 = w[2] >> 16;
            const std::uint64_t up0 = w[0] << 16;
            const std::uint64_t up1 = w[1] << 16 | w[0] >> 48;
            const std::uint64_t up2 = w[2] << 16 | w[1] >> 48;
            store64(dst + 3 * x, (w[0] & kQ) | (down0 & kP) | (up0 & kS));
            store64(dst + 3 * x + 8, (w[1] & kS) | (down1 & kQ) | (up1 & kP));
            store64(dst + 3 * x + 16, (w[2] & kP) | (down2 & kS) | (up2 & kQ));
        }
    }
    for (; x < pixels; ++x) {
        const std::uint8_t first = src[3 * x];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 2] = first;
    }
}

// Everything needed to turn the pixel bytes into an Image, checked against
// the data before any pixel is touched.
struct Layout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::size_t pixelOffset = 0;
    std::size_t stride = 0;
    std::array<Rgb, 256> palette{};
    std::size_t paletteSize = 0;
    std::array<Channel, 3> channels; // red, green, blue (16 and 32 bits)
};

class BmpDecoder {
public:
    BmpDecoder(std::span<const std::uint8_t> data, const std::string& name) : data_(data), name_(name) {}

    // The bytes a whole picture needs (headers, palette and pixel data), from
    // the headers alone: `head` is the start of a file of `fileSize` bytes
    // and holds at least min(fileSize, kHeadBytes) of them.
    static std::uint64_t neededBytes(std::span<const std::uint8_t> head, std::uint64_t fileSize, const std::string& name)
    {
        BmpDecoder decoder(head, name);
        decoder.declaredSize_ = fileSize;
        const Layout l = decoder.parse(false);
        return l.pixelOffset + static_cast<std::uint64_t>(l.stride) * static_cast<std::uint64_t>(l.height);
    }

    Image decode()
    {
        const Layout layout = parse(true);
        Image image = Image::forOverwrite(layout.width, layout.height); // every row is decoded below
        for (int y = 0; y < layout.height; ++y) {
            const int fileRow = layout.topDown ? y : layout.height - 1 - y;
            const std::uint8_t* src =
                data_.data() + layout.pixelOffset + static_cast<std::size_t>(fileRow) * layout.stride;
            decodeRow(layout, src, image.row(y), layout.width);
        }
        return image;
    }

private:
    friend class vantor::BmpFile; // readTopLeft decodes a few rows at a time

    [[noreturn]] void fail(const std::string& reason) const
    {
        throw VantorError(VantorError::Kind::InvalidPicture, name_, reason);
    }

    // Checks every header field against the file's size; with `withPalette`
    // also reads the palette (which needs the bytes up to the pixel data).
    Layout parse(bool withPalette) const
    {
        const std::uint64_t size = declaredSize_ != 0 ? declaredSize_ : data_.size();
        if (size < kFileHeaderSize + 4)
            fail("file is too short for a bitmap header");
        if (data_[0] != 'B' || data_[1] != 'M')
            fail("not a BMP file");
        const std::uint32_t pixelOffset = getLe32(data_, 10);
        const std::uint32_t headerSize = getLe32(data_, 14);
        if (std::find(kKnownHeaderSizes.begin(), kKnownHeaderSizes.end(), headerSize) == kKnownHeaderSizes.end())
            fail("unsupported header size " + std::to_string(headerSize));
        if (size < kFileHeaderSize + headerSize)
            fail("header is truncated");

        Layout l;
        const bool core = headerSize == kCoreHeaderSize;
        std::int64_t width = 0;
        std::int64_t height = 0;
        std::uint32_t planes = 0;
        std::uint32_t clrUsed = 0;
        if (core) {
            width = getLe16(data_, 18);
            height = getLe16(data_, 20);
            planes = getLe16(data_, 22);
            l.bitsPerPixel = static_cast<int>(getLe16(data_, 24));
        } else {
            width = static_cast<std::int32_t>(getLe32(data_, 18));
            height = static_cast<std::int32_t>(getLe32(data_, 22));
            planes = getLe16(data_, 26);
            l.bitsPerPixel = static_cast<int>(getLe16(data_, 28));
            l.compression = getLe32(data_, 30);
            clrUsed = getLe32(data_, 46);
        }

        if (planes != 1)
            fail("planes is " + std::to_string(planes) + ", expected 1");
        const int bpp = l.bitsPerPixel;
        const bool paletted = bpp == 1 || bpp == 4 || bpp == 8;
        if (!paletted && bpp != 24 && !(bpp == 16 && !core) && !(bpp == 32 && !core))
            fail("unsupported bit depth " + std::to_string(bpp));
        if (l.compression == kBiRle8 || l.compression == kBiRle4)
            fail("RLE compression is not supported");
        if (l.compression != kBiRgb && l.compression != kBiBitfields)
            fail("compression " + std::to_string(l.compression) + " is not supported");
        if (l.compression == kBiBitfields && bpp != 16 && bpp != 32)
            fail("bit fields need 16 or 32 bits per pixel, not " + std::to_string(bpp));

        l.topDown = height < 0;
        if (height < 0)
            height = -height; // int64: no overflow even for INT32_MIN
        if (width < 1 || width > BmpFile::kMaxReadSide || height < 1 || height > BmpFile::kMaxReadSide)
            fail("size " + std::to_string(width) + " x " + std::to_string(l.topDown ? -height : height) +
                 " is out of range (1.." + std::to_string(BmpFile::kMaxReadSide) + ")");
        l.width = static_cast<int>(width);
        l.height = static_cast<int>(height);

        // Colour masks: after a 40-byte header, inside the larger ones.
        std::size_t headersEnd = kFileHeaderSize + headerSize;
        if (l.compression == kBiBitfields && headerSize == kInfoHeaderSize) {
            if (size < headersEnd + kMaskBytes)
                fail("colour masks are truncated");
            headersEnd += kMaskBytes;
        }
        if (bpp == 16 || bpp == 32)
            l.channels = readChannels(l, bpp);

        if (pixelOffset < headersEnd)
            fail("pixel data offset " + std::to_string(pixelOffset) + " is inside the header");
        if (pixelOffset > size)
            fail("pixel data offset " + std::to_string(pixelOffset) + " is past the end of the file");
        if (pixelOffset > kMaxPixelOffset)
            fail("pixel data offset " + std::to_string(pixelOffset) + " is too far into the file");
        l.pixelOffset = pixelOffset;

        // Sides are at most kMaxReadSide, so none of this can overflow 64 bits.
        const auto bitsPerRow = static_cast<std::uint64_t>(l.width) * static_cast<std::uint64_t>(bpp);
        l.stride = static_cast<std::size_t>((bitsPerRow + 31) / 32 * 4);
        const std::uint64_t pixelBytes = static_cast<std::uint64_t>(l.stride) * static_cast<std::uint64_t>(l.height);
        if (pixelBytes > size - l.pixelOffset)
            fail("pixel data is truncated: " + std::to_string(pixelBytes) + " bytes needed, " +
                 std::to_string(size - l.pixelOffset) + " present");

        if (paletted && withPalette)
            readPalette(l, core, clrUsed, headersEnd);
        return l;
    }

    std::array<Channel, 3> readChannels(const Layout& l, int bpp) const
    {
        std::array<std::uint32_t, 3> masks{};
        if (l.compression == kBiRgb) {
            // Defaults: 5-5-5 for 16 bits, 8-8-8 (blue in the lowest byte) for 32.
            masks = bpp == 16 ? std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                              : std::array<std::uint32_t, 3>{0x00FF0000, 0x0000FF00, 0x000000FF};
        } else {
            for (std::size_t c = 0; c < 3; ++c)
                masks[c] = getLe32(data_, kFileHeaderSize + kInfoHeaderSize + 4 * c);
        }
        std::array<Channel, 3> channels;
        for (std::size_t c = 0; c < 3; ++c) {
            if (!Channel::contiguous(masks[c]))
                fail("colour mask " + hex(masks[c]) + " is not contiguous");
            if (bpp == 16 && masks[c] > 0xFFFF)
                fail("colour mask " + hex(masks[c]) + " does not fit 16 bits");
            channels[c] = Channel(masks[c]);
        }
        return channels;
    }

    // The palette lies between the headers and the pixel data. Its size is
    // biClrUsed, or 2^bpp when that is 0, but never more than fits before
    // the pixel data: some writers store fewer entries than they declare.
    // Pixels that use a missing entry are refused while decoding.
    void readPalette(Layout& l, bool core, std::uint32_t clrUsed, std::size_t paletteStart) const
    {
        const std::size_t entryBytes = core ? 3 : 4;
        const std::size_t maxEntries = std::size_t{1} << l.bitsPerPixel;
        std::size_t entries = clrUsed == 0 ? maxEntries : std::min<std::size_t>(clrUsed, maxEntries);
        entries = std::min(entries, (l.pixelOffset - paletteStart) / entryBytes);
        if (entries == 0)
            fail("the palette is missing");
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = data_.data() + paletteStart + i * entryBytes;
            l.palette[i] = Rgb{e[2], e[1], e[0]};
        }
        l.paletteSize = entries;
    }

    // Decodes the first `width` pixels of one stored row into RGB bytes.
    void decodeRow(const Layout& l, const std::uint8_t* src, std::uint8_t* dst, int width_) const
    {
        const auto width = static_cast<std::size_t>(width_);
        switch (l.bitsPerPixel) {
        case 1:
            for (std::size_t x = 0; x < width; ++x)
                putIndex(l, (src[x >> 3] >> (7 - (x & 7))) & 1u, dst + 3 * x);
            break;
        case 4:
            for (std::size_t x = 0; x < width; ++x)
                putIndex(l, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu, dst + 3 * x);
            break;
        case 8:
            for (std::size_t x = 0; x < width; ++x)
                putIndex(l, src[x], dst + 3 * x);
            break;
        case 16:
            for (std::size_t x = 0; x < width; ++x)
                putBitfields(l, static_cast<std::uint32_t>(src[2 * x] | src[2 * x + 1] << 8), dst + 3 * x);
            break;
        case 24:
            swapRedBlue(src, dst, width);
            break;
        case 32:
            if (l.compression == kBiRgb) {
                for (std::size_t x = 0; x < width; ++x) {
                    dst[3 * x] = src[4 * x + 2];
                    dst[3 * x + 1] = src[4 * x + 1];
                    dst[3 * x + 2] = src[4 * x];
                }
            } else {
                for (std::size_t x = 0; x < width; ++x) {
                    const std::uint8_t* p = src + 4 * x;
                    putBitfields(l,
                                 static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                     static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24,
                                 dst + 3 * x);
                }
            }
            break;
        default:
            fail("unsupported bit depth " + std::to_string(l.bitsPerPixel)); // parse() refuses these
        }
    }

    void putIndex(const Layout& l, std::uint32_t index, std::uint8_t* dst) const
    {
        if (index >= l.paletteSize)
            fail("palette index " + std::to_string(index) + " is out of range (palette has " +
                 std::to_string(l.paletteSize) + " colours)");
        const Rgb c = l.palette[index];
        dst[0] = c.r;
        dst[1] = c.g;
        dst[2] = c.b;
    }

    static void putBitfields(const Layout& l, std::uint32_t px, std::uint8_t* dst) noexcept
    {
        dst[0] = l.channels[0](px);
        dst[1] = l.channels[1](px);
        dst[2] = l.channels[2](px);
    }

    std::span<const std::uint8_t> data_;
    const std::string& name_;
    std::uint64_t declaredSize_ = 0; // the whole file's size when data_ is only its head
};

// ---- Writing ---------------------------------------------------------------

void putLe16(std::uint8_t* out, std::size_t at, std::uint32_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void putLe32(std::uint8_t* out, std::size_t at, std::uint32_t v)
{
    putLe16(out, at, v & 0xFFFFu);
    putLe16(out, at + 2, v >> 16);
}

constexpr std::size_t kHeaderSize = 54;

std::size_t rowStride(std::size_t width) noexcept
{
    return (width * 3 + 3) & ~std::size_t{3};
}

} // namespace

std::uint64_t BmpFile::encodedSize(int width, int height) noexcept
{
    return kHeaderSize + static_cast<std::uint64_t>(rowStride(static_cast<std::size_t>(std::max(width, 0)))) *
                             static_cast<std::uint64_t>(std::max(height, 0));
}

std::vector<std::uint8_t> BmpFile::encode(const Image& image)
{
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(encodedSize(image.width(), image.height())));
    encode(image, [&out](std::span<const std::uint8_t> piece) { out.insert(out.end(), piece.begin(), piece.end()); });
    return out;
}

void BmpFile::encode(const Image& image, const ByteWriter& write)
{
    const auto width = static_cast<std::size_t>(image.width());
    const auto height = static_cast<std::size_t>(image.height());
    const std::size_t stride = rowStride(width);
    const std::size_t pixelBytes = stride * height;
    // Rows are encoded straight into the buffer (red and blue swapped, the
    // padding zeroed), which goes to `write` whenever the next row would
    // not fit; the largest row (16384 pixels) fits many times.
    std::vector<std::uint8_t> buffer(std::min<std::size_t>(kEncodeBufferBytes, kHeaderSize + pixelBytes));
    std::uint8_t* const out = buffer.data();

    out[0] = 'B';
    out[1] = 'M';
    putLe32(out, 2, static_cast<std::uint32_t>(kHeaderSize + pixelBytes));
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
    std::size_t used = kHeaderSize;

    for (std::size_t y = 0; y < height; ++y) {
        if (used + stride > buffer.size()) {
            write(std::span<const std::uint8_t>(out, used));
            used = 0;
        }
        std::uint8_t* const row = out + used;
        swapRedBlue(image.row(static_cast<int>(height - 1 - y)), row, width);
        std::fill(row + width * 3, row + stride, std::uint8_t{0});
        used += stride;
    }
    write(std::span<const std::uint8_t>(out, used));
}

namespace {

// Pictures are opened as every reader opens its files (a regular file,
// without blocking on a FIFO); their size is not limited there, only what
// their headers describe is read.
constexpr std::uint64_t kNoSizeLimit = ~std::uint64_t{0};

// The first bytes of a file (every header, the masks and a full palette);
// `presentSize` is the file's size, or what could be read when it shrank.
std::vector<std::uint8_t> readHead(const ReadOnlyFile& file, std::uint64_t& presentSize)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kHeadBytes)));
    const std::size_t headBytes = file.readAt(0, bytes.data(), bytes.size());
    presentSize = std::max<std::uint64_t>(headBytes < bytes.size() ? headBytes : file.size(), 1);
    bytes.resize(headBytes);
    return bytes;
}

} // namespace

Image BmpFile::read(const std::filesystem::path& path)
{
    const std::string name = platform::utf8(path);
    const ReadOnlyFile file(path, kNoSizeLimit, "");

    // The headers first: nothing more is read from a file they refuse.
    std::uint64_t presentSize = 0;
    std::vector<std::uint8_t> bytes = readHead(file, presentSize);
    const std::uint64_t needed = BmpDecoder::neededBytes(bytes, presentSize, name);

    // Then exactly the bytes the headers describe. A file that shrank in the
    // meantime decodes the bytes present and is refused as truncated.
    if (needed > bytes.size()) {
        const std::size_t head = bytes.size();
        bytes.resize(static_cast<std::size_t>(needed));
        bytes.resize(head + file.readAt(head, bytes.data() + head, bytes.size() - head));
    } else {
        bytes.resize(static_cast<std::size_t>(needed));
    }
    return decode(bytes, name);
}

BmpFile::Sides BmpFile::readSides(const std::filesystem::path& path)
{
    const std::string name = platform::utf8(path);
    const ReadOnlyFile file(path, kNoSizeLimit, "");
    std::uint64_t presentSize = 0;
    const std::vector<std::uint8_t> head = readHead(file, presentSize);
    BmpDecoder probe(head, name);
    probe.declaredSize_ = presentSize;
    const Layout layout = probe.parse(false);
    return {layout.width, layout.height};
}

Image BmpFile::readTopLeft(const std::filesystem::path& path, int maxWidth, int maxHeight)
{
    const std::string name = platform::utf8(path);
    const ReadOnlyFile file(path, kNoSizeLimit, "");

    // The headers are checked first, as for read(); then the bytes up to the
    // pixel data (the palette) are held, and only the rows wanted are read.
    std::uint64_t presentSize = 0;
    std::vector<std::uint8_t> head = readHead(file, presentSize);
    BmpDecoder probe(head, name);
    probe.declaredSize_ = presentSize;
    const std::uint32_t pixelOffset = probe.parse(false).pixelOffset; // at most kMaxPixelOffset
    if (pixelOffset > head.size()) {
        const std::size_t held = head.size();
        head.resize(pixelOffset);
        if (file.readAt(held, head.data() + held, head.size() - held) != head.size() - held)
            probe.fail("the palette is truncated");
    }
    BmpDecoder decoder(head, name);
    decoder.declaredSize_ = presentSize;
    const Layout layout = decoder.parse(true);

    const int width = std::min(layout.width, std::max(maxWidth, 1));
    const int height = std::min(layout.height, std::max(maxHeight, 1));
    Image image = Image::forOverwrite(width, height); // every row is decoded below
    // The rows wanted are consecutive in the file (the top rows of the
    // picture: the last ones stored when it is bottom-up); they are read a
    // few at a time into one small buffer and decoded from there.
    constexpr std::size_t kChunkBytes = 64 * 1024;
    const std::size_t rowsPerChunk = std::max<std::size_t>(1, kChunkBytes / layout.stride);
    std::vector<std::uint8_t> chunk(std::min<std::size_t>(rowsPerChunk, static_cast<std::size_t>(height)) * layout.stride);
    const int firstFileRow = layout.topDown ? 0 : layout.height - height;
    for (int done = 0; done < height;) {
        const int rows = static_cast<int>(std::min<std::size_t>(rowsPerChunk, static_cast<std::size_t>(height - done)));
        const std::size_t bytes = static_cast<std::size_t>(rows) * layout.stride;
        const std::uint64_t offset = layout.pixelOffset + static_cast<std::uint64_t>(firstFileRow + done) * layout.stride;
        if (file.readAt(offset, chunk.data(), bytes) != bytes)
            decoder.fail("pixel data is truncated");
        for (int r = 0; r < rows; ++r) {
            const int fileRow = firstFileRow + done + r;
            const int y = layout.topDown ? fileRow : layout.height - 1 - fileRow;
            decoder.decodeRow(layout, chunk.data() + static_cast<std::size_t>(r) * layout.stride, image.row(y), width);
        }
        done += rows;
    }
    return image;
}

Image BmpFile::decode(std::span<const std::uint8_t> data, const std::string& name)
{
    return BmpDecoder(data, name).decode();
}

void BmpFile::write(const Image& image, const std::filesystem::path& path)
{
    writeFileAtomically(path, encode(image));
}

} // namespace vantor
