#include "BmpReader.h"

#include "BmpError.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;

constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiRle8 = 1;
constexpr std::uint32_t BiRle4 = 2;
constexpr std::uint32_t BiBitFields = 3;
constexpr std::uint32_t BiJpeg = 4;
constexpr std::uint32_t BiPng = 5;

[[noreturn]] void Fail(const std::string& reason) {
    throw BmpError(reason);
}

std::string Hex(std::uint32_t value) {
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
    return "0x" + std::string(digits, end);
}

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::uint32_t Opaque(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

// One colour channel of a 16- or 32-bit pixel, given by a checked nonzero,
// contiguous mask.
class ChannelMask {
public:
    ChannelMask() = default;
    explicit ChannelMask(std::uint32_t mask)
        : Shift(std::countr_zero(mask)), Bits(std::popcount(mask)), Max(mask >> Shift) {}

    // Scales the channel to 8 bits. Short channels repeat their bits, so full
    // scale stays 255: a 5-bit v becomes (v << 3) | (v >> 2).
    std::uint32_t Expand(std::uint32_t word) const {
        const std::uint32_t value = (word >> Shift) & Max;
        if (Bits >= 8) {
            return value >> (Bits - 8);
        }
        std::uint32_t repeated = 0;
        int filled = 0;
        while (filled < 8) {
            repeated = repeated << Bits | value;
            filled += Bits;
        }
        return repeated >> (filled - 8);
    }

private:
    int Shift = 0;
    int Bits = 8;
    std::uint32_t Max = 0xFF;
};

ChannelMask CheckedMask(std::uint32_t mask, const char* channel, std::uint32_t bitCount) {
    const std::string name(channel);
    if (mask == 0) {
        Fail("zero bit-field mask for " + name);
    }
    if (bitCount == 16 && mask > 0xFFFF) {
        Fail("bit-field mask for " + name + " exceeds 16 bits: " + Hex(mask));
    }
    const std::uint32_t low = mask >> std::countr_zero(mask);
    if ((low & (low + 1)) != 0) {
        Fail("bit-field mask for " + name + " is not contiguous: " + Hex(mask));
    }
    return ChannelMask(mask);
}

// Decodes one bitmap held in memory; every read is checked against the size
// before it happens.
class BmpDecoder {
public:
    BmpDecoder(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixels)
        : Data(data), Size(size), MaxPixels(maxPixels) {}

    BmpImage Decode() {
        ReadFileHeader();
        ReadInfoHeader();
        CheckFormat();
        ReadMasks();
        ReadPalette();
        Image.Width = static_cast<std::int32_t>(Width);
        Image.Height = static_cast<std::int32_t>(Height);
        if (Compression == BiRle8 || Compression == BiRle4) {
            DecodeRle();
        } else {
            DecodeUncompressed();
        }
        return std::move(Image);
    }

private:
    void ReadFileHeader() {
        if (Size == 0) {
            Fail("empty file");
        }
        if (Size >= 2 && (Data[0] != 'B' || Data[1] != 'M')) {
            if (Size >= 4 && std::memcmp(Data, "\x89PNG", 4) == 0) {
                Fail("not a bitmap file: it holds a png image");
            }
            if (Size >= 3 && std::memcmp(Data, "\xFF\xD8\xFF", 3) == 0) {
                Fail("not a bitmap file: it holds a jpeg image");
            }
            Fail("not a bitmap file: wrong magic");
        }
        if (Size < FileHeaderSize) {
            Fail("truncated file header");
        }
        // bfSize and the reserved words are ignored: writers get them wrong.
        PixelOffset = U32(Data + 10);
    }

    void ReadInfoHeader() {
        if (Size < FileHeaderSize + 4) {
            Fail("truncated info header");
        }
        HeaderSize = U32(Data + FileHeaderSize);
        switch (HeaderSize) {
        case CoreHeaderSize: // OS/2 1.x
        case 40:             // BITMAPINFOHEADER
        case 52:             // with red, green and blue masks
        case 56:             // with an alpha mask too
        case 108:            // BITMAPV4HEADER
        case 124:            // BITMAPV5HEADER
            break;
        default:
            Fail("unsupported header size " + std::to_string(HeaderSize));
        }
        if (Size < FileHeaderSize + HeaderSize) {
            Fail("truncated info header");
        }
        const std::uint8_t* header = Data + FileHeaderSize;
        if (HeaderSize == CoreHeaderSize) {
            Width = U16(header + 4);
            Height = U16(header + 6);
            Planes = U16(header + 8);
            BitCount = U16(header + 10);
            return;
        }
        Width = static_cast<std::int32_t>(U32(header + 4));
        Height = static_cast<std::int32_t>(U32(header + 8));
        TopDown = Height < 0;
        Height = TopDown ? -Height : Height;
        Planes = U16(header + 12);
        BitCount = U16(header + 14);
        Compression = U32(header + 16);
        ColoursUsed = U32(header + 32);
    }

    void CheckFormat() {
        if (Planes != 1) {
            Fail("invalid plane count " + std::to_string(Planes));
        }
        if (Width <= 0) {
            Fail("invalid width " + std::to_string(Width));
        }
        if (Height == 0) {
            Fail("invalid height 0");
        }
        const bool core = HeaderSize == CoreHeaderSize;
        switch (BitCount) {
        case 1:
        case 4:
        case 8:
        case 24:
            break;
        case 16:
        case 32:
            if (!core) {
                break;
            }
            [[fallthrough]];
        default:
            Fail("unsupported bit count " + std::to_string(BitCount));
        }
        switch (Compression) {
        case BiRgb:
            break;
        case BiRle8:
            RequireBitCount(BitCount == 8, "(rle8) needs 8 bits per pixel");
            break;
        case BiRle4:
            RequireBitCount(BitCount == 4, "(rle4) needs 4 bits per pixel");
            break;
        case BiBitFields:
            RequireBitCount(BitCount == 16 || BitCount == 32,
                            "(bit fields) needs 16 or 32 bits per pixel");
            break;
        case BiJpeg:
            Fail("unsupported compression 4 (embedded jpeg)");
        case BiPng:
            Fail("unsupported compression 5 (embedded png)");
        default:
            Fail("unsupported compression " + std::to_string(Compression));
        }
        if (TopDown && Compression != BiRgb && Compression != BiBitFields) {
            Fail("top-down images cannot be rle compressed");
        }
        if (Width > BmpMaxSide || Height > BmpMaxSide ||
            static_cast<std::uint64_t>(Width * Height) > MaxPixels) {
            Fail("image too large: " + std::to_string(Width) + " x " + std::to_string(Height));
        }
    }

    void RequireBitCount(bool fits, const char* need) const {
        if (!fits) {
            Fail("compression " + std::to_string(Compression) + " " + need + ", not " +
                 std::to_string(BitCount));
        }
    }

    void ReadMasks() {
        HeadersEnd = FileHeaderSize + HeaderSize;
        if (BitCount != 16 && BitCount != 32) {
            return;
        }
        std::uint32_t red = BitCount == 16 ? 0x7C00 : 0xFF0000;
        std::uint32_t green = BitCount == 16 ? 0x03E0 : 0x00FF00;
        std::uint32_t blue = BitCount == 16 ? 0x001F : 0x0000FF;
        if (Compression == BiBitFields) {
            // Headers of 52 bytes and more hold the masks; the 40-byte header is
            // followed by them.
            const std::uint8_t* masks = Data + FileHeaderSize + 40;
            if (HeaderSize == 40) {
                if (Size < HeadersEnd + 12) {
                    Fail("truncated bit-field masks");
                }
                HeadersEnd += 12;
            }
            red = U32(masks);
            green = U32(masks + 4);
            blue = U32(masks + 8);
        }
        Red = CheckedMask(red, "red", BitCount);
        Green = CheckedMask(green, "green", BitCount);
        Blue = CheckedMask(blue, "blue", BitCount);
        if ((red & green) != 0 || (red & blue) != 0 || (green & blue) != 0) {
            Fail("bit-field masks overlap");
        }
    }

    void ReadPalette() {
        if (PixelOffset < HeadersEnd) {
            Fail("pixel data offset " + std::to_string(PixelOffset) + " lies inside the headers");
        }
        if (BitCount <= 8) {
            const std::uint32_t maxColours = std::uint32_t{1} << BitCount;
            if (ColoursUsed > maxColours) {
                Fail("palette size " + std::to_string(ColoursUsed) + " too large for " +
                     std::to_string(BitCount) + " bits per pixel");
            }
            const std::uint64_t declared = ColoursUsed != 0 ? ColoursUsed : maxColours;
            const std::uint64_t entrySize = HeaderSize == CoreHeaderSize ? 3 : 4;
            // The palette ends where the pixels start: some writers store fewer
            // entries than the header implies.
            const std::uint64_t count = std::min(declared, (PixelOffset - HeadersEnd) / entrySize);
            if (count == 0) {
                Fail("missing palette");
            }
            if (HeadersEnd + count * entrySize > Size) {
                Fail("truncated palette");
            }
            Palette.resize(count);
            for (std::uint64_t i = 0; i < count; ++i) {
                const std::uint8_t* entry = Data + HeadersEnd + i * entrySize;
                Palette[i] = Opaque(entry[2], entry[1], entry[0]);
            }
        }
        if (PixelOffset >= Size) {
            Fail("pixel data offset " + std::to_string(PixelOffset) +
                 " past the end of the file (" + std::to_string(Size) + " bytes)");
        }
    }

    std::uint32_t Colour(std::uint32_t index) const {
        if (index >= Palette.size()) {
            Fail("palette index " + std::to_string(index) + " out of range (" +
                 std::to_string(Palette.size()) + " colours)");
        }
        return Palette[index];
    }

    // The output row of the row stored at position fileRow in the file.
    std::uint32_t* Row(std::int64_t fileRow) {
        const std::int64_t row = TopDown ? fileRow : Height - 1 - fileRow;
        return Image.Pixels.data() + row * Width;
    }

    void DecodeUncompressed() {
        const std::uint64_t rowBits = static_cast<std::uint64_t>(Width) * BitCount;
        const std::uint64_t stride = (rowBits + 31) / 32 * 4;
        // The last row's padding holds no pixels; a file may end without it.
        const std::uint64_t needed = stride * (Height - 1) + (rowBits + 7) / 8;
        const std::uint64_t available = Size - PixelOffset;
        if (needed > available) {
            Fail("truncated pixel data: " + std::to_string(available) + " of " +
                 std::to_string(needed) + " bytes");
        }
        Image.Pixels.resize(static_cast<std::size_t>(Width * Height));
        for (std::int64_t r = 0; r < Height; ++r) {
            const std::uint8_t* src = Data + PixelOffset + r * stride;
            std::uint32_t* dst = Row(r);
            for (std::int64_t x = 0; x < Width; ++x) {
                dst[x] = Pixel(src, x);
            }
        }
    }

    std::uint32_t Pixel(const std::uint8_t* row, std::int64_t x) const {
        switch (BitCount) {
        case 1:
            return Colour(row[x >> 3] >> (7 - (x & 7)) & 1);
        case 4:
            return Colour(row[x >> 1] >> ((x & 1) != 0 ? 0 : 4) & 15);
        case 8:
            return Colour(row[x]);
        case 16: {
            const std::uint32_t word = U16(row + 2 * x);
            return Opaque(Red.Expand(word), Green.Expand(word), Blue.Expand(word));
        }
        case 24:
            return Opaque(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        default: {
            const std::uint32_t word = U32(row + 4 * x);
            return Opaque(Red.Expand(word), Green.Expand(word), Blue.Expand(word));
        }
        }
    }

    void DecodeRle() {
        Image.Pixels.assign(static_cast<std::size_t>(Width * Height), Palette[0]);
        const bool four = Compression == BiRle4;
        // Runs may go on into the row's padding, as if the padded rows of an
        // uncompressed file were encoded (ImageMagick's RLE8 does so, GIMP's
        // RLE4 writes one pixel more at odd widths); those pixels are dropped.
        const std::int64_t rowEnd = (Width * BitCount + 31) / 32 * 32 / BitCount;
        std::uint64_t at = PixelOffset;
        std::int64_t x = 0;
        std::int64_t y = 0;
        const auto take = [&](std::uint64_t count) {
            if (Size - at < count) {
                Fail("truncated rle data: no end-of-bitmap marker");
            }
            const std::uint8_t* bytes = Data + at;
            at += count;
            return bytes;
        };
        const auto draw = [&](std::int64_t count, const auto& indexAt) {
            if (y >= Height) {
                Fail("rle data past the end of the image");
            }
            if (x + count > rowEnd) {
                Fail("rle run past the end of a row");
            }
            std::uint32_t* dst = Row(y);
            for (std::int64_t i = 0; i < count; ++i, ++x) {
                if (x < Width) {
                    dst[x] = Colour(indexAt(i));
                }
            }
        };
        for (;;) {
            const std::uint8_t* op = take(2);
            if (op[0] != 0) {
                const std::uint32_t value = op[1];
                draw(op[0], [&](std::int64_t i) {
                    return !four ? value : (i & 1) != 0 ? value & 15 : value >> 4;
                });
                continue;
            }
            switch (op[1]) {
            case 0: // end of line
                x = 0;
                if (++y > Height) {
                    Fail("rle data past the end of the image");
                }
                break;
            case 1: // end of bitmap
                return;
            case 2: { // delta
                const std::uint8_t* delta = take(2);
                x += delta[0];
                y += delta[1];
                if (x > rowEnd || y > Height) {
                    Fail("rle delta past the end of the image");
                }
                break;
            }
            default: { // absolute run, padded to a 16-bit boundary
                const std::int64_t count = op[1];
                const std::uint64_t bytes = four ? (count + 1) / 2 : count;
                const std::uint8_t* run = take(bytes + (bytes & 1));
                draw(count, [&](std::int64_t i) -> std::uint32_t {
                    return !four ? run[i] : (i & 1) != 0 ? run[i >> 1] & 15 : run[i >> 1] >> 4;
                });
                break;
            }
            }
        }
    }

    const std::uint8_t* Data;
    std::uint64_t Size;
    std::uint64_t MaxPixels;

    std::uint64_t PixelOffset = 0;
    std::uint32_t HeaderSize = 0;
    std::uint64_t HeadersEnd = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    bool TopDown = false;
    std::uint32_t Planes = 1;
    std::uint32_t BitCount = 0;
    std::uint32_t Compression = BiRgb;
    std::uint32_t ColoursUsed = 0;
    ChannelMask Red;
    ChannelMask Green;
    ChannelMask Blue;
    std::vector<std::uint32_t> Palette;
    BmpImage Image;
};

} // namespace

BmpImage ReadBmp(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixels) {
    if (data == nullptr && size != 0) {
        throw std::invalid_argument("data is null but size is " + std::to_string(size));
    }
    if (maxPixels == 0 || maxPixels > BmpMaxPixels) {
        throw std::invalid_argument("maxPixels " + std::to_string(maxPixels) + " outside 1.." +
                                    std::to_string(BmpMaxPixels));
    }
    return BmpDecoder(data, size, maxPixels).Decode();
}

BmpImage ReadBmpFile(const std::string& path) {
    if (path.empty()) {
        throw std::invalid_argument("path is empty");
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    if (!file) {
        Fail("cannot open file: " + std::string(std::strerror(errno)));
    }
    std::error_code error;
    const std::uintmax_t knownSize = std::filesystem::file_size(path, error);
    if (!error && knownSize > BmpMaxFileSize) {
        Fail("file too large: " + std::to_string(knownSize) + " bytes");
    }
    // Read until the end rather than trust the size: pipes and /proc files
    // have none, and a file may grow meanwhile. One byte more than the known
    // size finds the end in one pass.
    std::vector<std::uint8_t> bytes(!error ? knownSize + 1 : 1 << 16);
    std::size_t used = 0;
    for (;;) {
        used += std::fread(bytes.data() + used, 1, bytes.size() - used, file.get());
        if (used < bytes.size()) {
            break;
        }
        if (used > BmpMaxFileSize) {
            Fail("file too large: more than " + std::to_string(BmpMaxFileSize) + " bytes");
        }
        bytes.resize(std::min<std::uint64_t>(bytes.size() * 2, BmpMaxFileSize + 1));
    }
    if (std::ferror(file.get())) {
        Fail("cannot read file: " + std::string(std::strerror(errno)));
    }
    bytes.resize(used);
    return ReadBmp(bytes.data(), bytes.size());
}
