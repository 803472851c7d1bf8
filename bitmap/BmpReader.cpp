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
        : shift(std::countr_zero(mask)), bits(std::popcount(mask)), max(mask >> shift) {}

    // Scales the channel to 8 bits. Short channels repeat their bits, so full
    // scale stays 255: a 5-bit v becomes (v << 3) | (v >> 2).
    std::uint32_t Expand(std::uint32_t word) const {
        const std::uint32_t value = (word >> shift) & max;
        if (bits >= 8) {
            return value >> (bits - 8);
        }
        std::uint32_t repeated = 0;
        int filled = 0;
        while (filled < 8) {
            repeated = repeated << bits | value;
            filled += bits;
        }
        return repeated >> (filled - 8);
    }

private:
    int shift = 0;
    int bits = 8;
    std::uint32_t max = 0xFF;
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
        : data(data), size(size), maxPixels(maxPixels) {}

    BmpImage Decode() {
        ReadFileHeader();
        ReadInfoHeader();
        CheckFormat();
        ReadMasks();
        ReadPalette();
        image.Width = static_cast<std::int32_t>(width);
        image.Height = static_cast<std::int32_t>(height);
        if (compression == BiRle8 || compression == BiRle4) {
            DecodeRle();
        } else {
            DecodeUncompressed();
        }
        return std::move(image);
    }

private:
    void ReadFileHeader() {
        if (size == 0) {
            Fail("empty file");
        }
        if (size >= 2 && (data[0] != 'B' || data[1] != 'M')) {
            if (size >= 4 && std::memcmp(data, "\x89PNG", 4) == 0) {
                Fail("not a bitmap file: it holds a png image");
            }
            if (size >= 3 && std::memcmp(data, "\xFF\xD8\xFF", 3) == 0) {
                Fail("not a bitmap file: it holds a jpeg image");
            }
            Fail("not a bitmap file: wrong magic");
        }
        if (size < FileHeaderSize) {
            Fail("truncated file header");
        }
        // bfSize and the reserved words are ignored: writers get them wrong.
        pixelOffset = U32(data + 10);
    }

    void ReadInfoHeader() {
        if (size < FileHeaderSize + 4) {
            Fail("truncated info header");
        }
        headerSize = U32(data + FileHeaderSize);
        switch (headerSize) {
        case CoreHeaderSize: // OS/2 1.x
        case 40:             // BITMAPINFOHEADER
        case 52:             // with red, green and blue masks
        case 56:             // with an alpha mask too
        case 108:            // BITMAPV4HEADER
        case 124:            // BITMAPV5HEADER
            break;
        default:
            Fail("unsupported header size " + std::to_string(headerSize));
        }
        if (size < FileHeaderSize + headerSize) {
            Fail("truncated info header");
        }
        const std::uint8_t* header = data + FileHeaderSize;
        if (headerSize == CoreHeaderSize) {
            width = U16(header + 4);
            height = U16(header + 6);
            planes = U16(header + 8);
            bitCount = U16(header + 10);
            return;
        }
        width = static_cast<std::int32_t>(U32(header + 4));
        height = static_cast<std::int32_t>(U32(header + 8));
        topDown = height < 0;
        height = topDown ? -height : height;
        planes = U16(header + 12);
        bitCount = U16(header + 14);
        compression = U32(header + 16);
        coloursUsed = U32(header + 32);
    }

    void CheckFormat() {
        if (planes != 1) {
            Fail("invalid plane count " + std::to_string(planes));
        }
        if (width <= 0) {
            Fail("invalid width " + std::to_string(width));
        }
        if (height == 0) {
            Fail("invalid height 0");
        }
        const bool core = headerSize == CoreHeaderSize;
        switch (bitCount) {
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
            Fail("unsupported bit count " + std::to_string(bitCount));
        }
        switch (compression) {
        case BiRgb:
            break;
        case BiRle8:
            RequireBitCount(bitCount == 8, "(rle8) needs 8 bits per pixel");
            break;
        case BiRle4:
            RequireBitCount(bitCount == 4, "(rle4) needs 4 bits per pixel");
            break;
        case BiBitFields:
            RequireBitCount(bitCount == 16 || bitCount == 32,
                            "(bit fields) needs 16 or 32 bits per pixel");
            break;
        case BiJpeg:
            Fail("unsupported compression 4 (embedded jpeg)");
        case BiPng:
            Fail("unsupported compression 5 (embedded png)");
        default:
            Fail("unsupported compression " + std::to_string(compression));
        }
        if (topDown && compression != BiRgb && compression != BiBitFields) {
            Fail("top-down images cannot be rle compressed");
        }
        if (width > BmpMaxSide || height > BmpMaxSide ||
            static_cast<std::uint64_t>(width * height) > maxPixels) {
            Fail("image too large: " + std::to_string(width) + " x " + std::to_string(height));
        }
    }

    void RequireBitCount(bool fits, const char* need) const {
        if (!fits) {
            Fail("compression " + std::to_string(compression) + " " + need + ", not " +
                 std::to_string(bitCount));
        }
    }

    void ReadMasks() {
        headersEnd = FileHeaderSize + headerSize;
        if (bitCount != 16 && bitCount != 32) {
            return;
        }
        std::uint32_t redMask = bitCount == 16 ? 0x7C00 : 0xFF0000;
        std::uint32_t greenMask = bitCount == 16 ? 0x03E0 : 0x00FF00;
        std::uint32_t blueMask = bitCount == 16 ? 0x001F : 0x0000FF;
        if (compression == BiBitFields) {
            // Headers of 52 bytes and more hold the masks; the 40-byte header is
            // followed by them.
            const std::uint8_t* masks = data + FileHeaderSize + 40;
            if (headerSize == 40) {
                if (size < headersEnd + 12) {
                    Fail("truncated bit-field masks");
                }
                headersEnd += 12;
            }
            redMask = U32(masks);
            greenMask = U32(masks + 4);
            blueMask = U32(masks + 8);
        }
        red = CheckedMask(redMask, "red", bitCount);
        green = CheckedMask(greenMask, "green", bitCount);
        blue = CheckedMask(blueMask, "blue", bitCount);
        if ((redMask & greenMask) != 0 || (redMask & blueMask) != 0 ||
            (greenMask & blueMask) != 0) {
            Fail("bit-field masks overlap");
        }
    }

    void ReadPalette() {
        if (pixelOffset < headersEnd) {
            Fail("pixel data offset " + std::to_string(pixelOffset) + " lies inside the headers");
        }
        if (bitCount <= 8) {
            const std::uint32_t maxColours = std::uint32_t{1} << bitCount;
            if (coloursUsed > maxColours) {
                Fail("palette size " + std::to_string(coloursUsed) + " too large for " +
                     std::to_string(bitCount) + " bits per pixel");
            }
            const std::uint64_t declared = coloursUsed != 0 ? coloursUsed : maxColours;
            const std::uint64_t entrySize = headerSize == CoreHeaderSize ? 3 : 4;
            // The palette ends where the pixels start: some writers store fewer
            // entries than the header implies.
            const std::uint64_t count = std::min(declared, (pixelOffset - headersEnd) / entrySize);
            if (count == 0) {
                Fail("missing palette");
            }
            if (headersEnd + count * entrySize > size) {
                Fail("truncated palette");
            }
            palette.resize(count);
            for (std::uint64_t i = 0; i < count; ++i) {
                const std::uint8_t* entry = data + headersEnd + i * entrySize;
                palette[i] = Opaque(entry[2], entry[1], entry[0]);
            }
        }
        if (pixelOffset >= size) {
            Fail("pixel data offset " + std::to_string(pixelOffset) +
                 " past the end of the file (" + std::to_string(size) + " bytes)");
        }
    }

    std::uint32_t Colour(std::uint32_t index) const {
        if (index >= palette.size()) {
            Fail("palette index " + std::to_string(index) + " out of range (" +
                 std::to_string(palette.size()) + " colours)");
        }
        return palette[index];
    }

    // The output row of the row stored at position fileRow in the file.
    std::uint32_t* Row(std::int64_t fileRow) {
        const std::int64_t row = topDown ? fileRow : height - 1 - fileRow;
        return image.Pixels.data() + row * width;
    }

    void DecodeUncompressed() {
        const std::uint64_t rowBits = static_cast<std::uint64_t>(width) * bitCount;
        const std::uint64_t stride = (rowBits + 31) / 32 * 4;
        // The last row's padding holds no pixels; a file may end without it.
        const std::uint64_t needed = stride * (height - 1) + (rowBits + 7) / 8;
        const std::uint64_t available = size - pixelOffset;
        if (needed > available) {
            Fail("truncated pixel data: " + std::to_string(available) + " of " +
                 std::to_string(needed) + " bytes");
        }
        image.Pixels.resize(static_cast<std::size_t>(width * height));
        for (std::int64_t r = 0; r < height; ++r) {
            const std::uint8_t* src = data + pixelOffset + r * stride;
            std::uint32_t* dst = Row(r);
            for (std::int64_t x = 0; x < width; ++x) {
                dst[x] = Pixel(src, x);
            }
        }
    }

    std::uint32_t Pixel(const std::uint8_t* row, std::int64_t x) const {
        switch (bitCount) {
        case 1:
            return Colour(row[x >> 3] >> (7 - (x & 7)) & 1);
        case 4:
            return Colour(row[x >> 1] >> ((x & 1) != 0 ? 0 : 4) & 15);
        case 8:
            return Colour(row[x]);
        case 16: {
            const std::uint32_t word = U16(row + 2 * x);
            return Opaque(red.Expand(word), green.Expand(word), blue.Expand(word));
        }
        case 24:
            return Opaque(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        default: {
            const std::uint32_t word = U32(row + 4 * x);
            return Opaque(red.Expand(word), green.Expand(word), blue.Expand(word));
        }
        }
    }

    void DecodeRle() {
        image.Pixels.assign(static_cast<std::size_t>(width * height), palette[0]);
        const bool four = compression == BiRle4;
        // Runs may go on into the row's padding, as if the padded rows of an
        // uncompressed file were encoded (ImageMagick's RLE8 does so, GIMP's
        // RLE4 writes one pixel more at odd widths); those pixels are dropped.
        const std::int64_t rowEnd = (width * bitCount + 31) / 32 * 32 / bitCount;
        std::uint64_t at = pixelOffset;
        std::int64_t x = 0;
        std::int64_t y = 0;
        const auto take = [&](std::uint64_t count) {
            if (size - at < count) {
                Fail("truncated rle data: no end-of-bitmap marker");
            }
            const std::uint8_t* bytes = data + at;
            at += count;
            return bytes;
        };
        const auto draw = [&](std::int64_t count, const auto& indexAt) {
            if (y >= height) {
                Fail("rle data past the end of the image");
            }
            if (x + count > rowEnd) {
                Fail("rle run past the end of a row");
            }
            std::uint32_t* dst = Row(y);
            for (std::int64_t i = 0; i < count; ++i, ++x) {
                if (x < width) {
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
                if (++y > height) {
                    Fail("rle data past the end of the image");
                }
                break;
            case 1: // end of bitmap
                return;
            case 2: { // delta
                const std::uint8_t* delta = take(2);
                x += delta[0];
                y += delta[1];
                if (x > rowEnd || y > height) {
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

    const std::uint8_t* data;
    std::uint64_t size;
    std::uint64_t maxPixels;

    std::uint64_t pixelOffset = 0;
    std::uint32_t headerSize = 0;
    std::uint64_t headersEnd = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    std::uint32_t planes = 1;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = BiRgb;
    std::uint32_t coloursUsed = 0;
    ChannelMask red;
    ChannelMask green;
    ChannelMask blue;
    std::vector<std::uint32_t> palette;
    BmpImage image;
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
