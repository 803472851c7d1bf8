// The reader on small files built here byte by byte: every layout it must
// decode, with pixels worked out by hand, and every malformed file it must refuse.

#include "BmpReader.h"
#include "BmpError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The fields of a bitmap file to build; the defaults make a valid 2 x 2 24-bit file.
struct Fields {
    std::uint32_t HeaderSize = 40;
    std::int32_t Width = 2;
    std::int32_t Height = 2;
    std::uint16_t Planes = 1;
    std::uint16_t BitCount = 24;
    std::uint32_t Compression = 0;
    std::uint32_t ColoursUsed = 0;
    std::vector<std::uint32_t> Masks = {};   // after a 40-byte header, else inside the header
    std::vector<std::uint32_t> Palette = {}; // 0xRRGGBB
    Bytes Pixels = {0x30, 0x20, 0x10, 0x60, 0x50, 0x40, 0, 0,  // bottom row
                    0xC0, 0xB0, 0xA0, 0xF0, 0xE0, 0xD0, 0, 0}; // top row
    std::int64_t PixelOffset = -1; // -1: right after the palette; larger leaves a gap
};

// The default file's pixels, top row first.
const std::vector<std::uint32_t> DefaultPixels = {0xFFA0B0C0, 0xFFD0E0F0, 0xFF102030, 0xFF405060};

void Put(Bytes& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void Set32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

Bytes Build(const Fields& fields) {
    Bytes out = {'B', 'M'};
    out.resize(14); // file size, reserved words and pixel offset, set below
    Put(out, fields.HeaderSize, 4);
    if (fields.HeaderSize == 12) {
        Put(out, static_cast<std::uint16_t>(fields.Width), 2);
        Put(out, static_cast<std::uint16_t>(fields.Height), 2);
        Put(out, fields.Planes, 2);
        Put(out, fields.BitCount, 2);
    } else {
        Put(out, static_cast<std::uint32_t>(fields.Width), 4);
        Put(out, static_cast<std::uint32_t>(fields.Height), 4);
        Put(out, fields.Planes, 2);
        Put(out, fields.BitCount, 2);
        Put(out, fields.Compression, 4);
        Put(out, fields.Pixels.size(), 4);
        Put(out, 2835, 4);
        Put(out, 2835, 4);
        Put(out, fields.ColoursUsed, 4);
        Put(out, 0, 4);
        for (std::uint32_t mask : fields.Masks) {
            Put(out, mask, 4);
        }
        while (out.size() < 14 + fields.HeaderSize) {
            out.push_back(0);
        }
    }
    for (std::uint32_t colour : fields.Palette) {
        Put(out, colour, fields.HeaderSize == 12 ? 3 : 4);
    }
    const std::size_t offset = fields.PixelOffset < 0 ? out.size() : fields.PixelOffset;
    while (out.size() < offset) {
        out.push_back(0xEE);
    }
    out.insert(out.end(), fields.Pixels.begin(), fields.Pixels.end());
    Set32(out, 2, static_cast<std::uint32_t>(out.size()));
    Set32(out, 10, static_cast<std::uint32_t>(offset));
    return out;
}

Bytes Cut(Bytes file, std::size_t size) {
    file.resize(size);
    return file;
}

const std::vector<std::uint32_t> Colours = {0x123456, 0xFF0000, 0x00FF00, 0x0000FF};

std::uint32_t Px(int index) {
    return 0xFF000000u | Colours[index];
}

Fields Rle(int bitCount, std::int32_t width, std::int32_t height, const Bytes& stream) {
    return {.Width = width,
            .Height = height,
            .BitCount = static_cast<std::uint16_t>(bitCount),
            .Compression = bitCount == 8 ? 1u : 2u,
            .Palette = Colours,
            .Pixels = stream};
}

struct Layout {
    const char* Name;
    Bytes File;
    std::int32_t Width;
    std::int32_t Height;
    std::vector<std::uint32_t> Pixels;
};

TEST(BmpReader, DecodesEveryLayout) {
    const std::vector<Layout> layouts = {
        {"24-bit bottom-up", Build({}), 2, 2, DefaultPixels},
        {"24-bit top-down",
         Build({.Height = -2}),
         2,
         2,
         {0xFF102030, 0xFF405060, 0xFFA0B0C0, 0xFFD0E0F0}},
        {"24-bit with a gap before the pixels", Build({.PixelOffset = 54 + 20}), 2, 2,
         DefaultPixels},
        {"24-bit without the last row's padding", Cut(Build({}), 54 + 14), 2, 2, DefaultPixels},
        {"1-bit, padding bits set",
         Build({.Width = 10,
                .Height = 1,
                .BitCount = 1,
                .Palette = {0x112233, 0xAABBCC},
                .Pixels = {0xA6, 0x7F, 0xFF, 0xFF}}),
         10,
         1,
         {0xFFAABBCC, 0xFF112233, 0xFFAABBCC, 0xFF112233, 0xFF112233, 0xFFAABBCC, 0xFFAABBCC,
          0xFF112233, 0xFF112233, 0xFFAABBCC}},
        {"4-bit, three colours used",
         Build({.Width = 3,
                .Height = 1,
                .BitCount = 4,
                .ColoursUsed = 3,
                .Palette = {Colours[0], Colours[1], Colours[2]},
                .Pixels = {0x12, 0x0F, 0, 0}}),
         3,
         1,
         {Px(1), Px(2), Px(0)}},
        {"8-bit, palette shorter than the bit count implies",
         Build({.Width = 3,
                .Height = 1,
                .BitCount = 8,
                .Palette = {Colours[0], Colours[1], Colours[2]},
                .Pixels = {2, 0, 1, 0}}),
         3,
         1,
         {Px(2), Px(0), Px(1)}},
        {"8-bit OS/2 core header",
         Build({.HeaderSize = 12,
                .Width = 2,
                .Height = 1,
                .BitCount = 8,
                .Palette = {Colours[0], Colours[3]},
                .Pixels = {1, 0, 0, 0}}),
         2,
         1,
         {Px(3), Px(0)}},
        {"16-bit 5-5-5: full scale stays 255, 1 becomes 8",
         Build({.Width = 2, .Height = 1, .BitCount = 16, .Pixels = {0xFF, 0x7F, 0x21, 0x04}}),
         2,
         1,
         {0xFFFFFFFF, 0xFF080808}},
        {"16-bit 5-6-5 bit fields",
         Build({.Width = 2,
                .Height = 1,
                .BitCount = 16,
                .Compression = 3,
                .Masks = {0xF800, 0x07E0, 0x001F},
                .Pixels = {0x00, 0xF8, 0x20, 0x00}}),
         2,
         1,
         {0xFFFF0000, 0xFF000400}},
        {"32-bit, alpha byte ignored",
         Build({.Width = 1, .Height = 1, .BitCount = 32, .Pixels = {0x11, 0x22, 0x33, 0x00}}),
         1,
         1,
         {0xFF332211}},
        {"32-bit 10-10-10 bit fields in a V5 header",
         Build({.HeaderSize = 124,
                .Width = 1,
                .Height = 1,
                .BitCount = 32,
                .Compression = 3,
                .Masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
                .Pixels = {0x01, 0x00, 0xF8, 0x3F}}),
         1,
         1,
         {0xFFFF8000}},
        {"RLE8: runs, padded absolute run, delta, undrawn pixels in palette entry 0",
         Build(Rle(8, 4, 3,
                   {1, 1, 0, 3, 2, 3, 1, 0, // bottom row: run, absolute run with pad byte
                    0, 0,                   // end of line
                    0, 2, 2, 1,             // delta: skip the middle row and two pixels
                    2, 3, 0, 1})),          // run of two, end of bitmap
         4,
         3,
         {Px(0), Px(0), Px(3), Px(3), Px(0), Px(0), Px(0), Px(0), Px(1), Px(2), Px(3), Px(1)}},
        {"RLE4 at odd width: pixels in the row's padding are dropped",
         Build(Rle(4, 3, 2,
                   {4, 0x12, 0, 0,          // 1 2 1 and a fourth pixel in the padding
                    0, 3, 0x30, 0x20, 0, 1, // absolute run of three nibbles
                    0xAB})),                // bytes after the end are ignored
         3,
         2,
         {Px(3), Px(0), Px(2), Px(1), Px(2), Px(1)}},
        {"RLE8 run into the row's padding",
         Build(Rle(8, 3, 1, {4, 1, 0, 1})),
         3,
         1,
         {Px(1), Px(1), Px(1)}},
        {"RLE8 ending with end of line on the last row",
         Build(Rle(8, 1, 1, {1, 2, 0, 0, 0, 1})),
         1,
         1,
         {Px(2)}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.Name);
        const BmpImage image = ReadBmp(layout.File.data(), layout.File.size());
        EXPECT_EQ(image.Width, layout.Width);
        EXPECT_EQ(image.Height, layout.Height);
        EXPECT_EQ(image.Pixels, layout.Pixels);
    }
}

TEST(BmpReader, ReadsMasksInsideEveryLargerHeader) {
    for (std::uint32_t headerSize : {52u, 56u, 108u, 124u}) {
        SCOPED_TRACE("header size " + std::to_string(headerSize));
        const Bytes file = Build({.HeaderSize = headerSize,
                                  .Width = 1,
                                  .Height = 1,
                                  .BitCount = 16,
                                  .Compression = 3,
                                  .Masks = {0x001F, 0x07E0, 0xF800},
                                  .Pixels = {0x1F, 0x00, 0, 0}});
        EXPECT_EQ(ReadBmp(file.data(), file.size()).Pixels, std::vector<std::uint32_t>{0xFFFF0000});
    }
}

TEST(BmpReader, AcceptsTheLargestSizes) {
    const Bytes wide = Build({.Width = BmpMaxSide, .Height = 1, .Pixels = Bytes(3 * BmpMaxSide)});
    EXPECT_EQ(ReadBmp(wide.data(), wide.size()).Width, BmpMaxSide);
    const Bytes sixteen = Build({.Width = 4, .Height = 4, .Pixels = Bytes(4 * 12)});
    EXPECT_EQ(ReadBmp(sixteen.data(), sixteen.size(), 16).Pixels.size(), 16u);
}

struct Refusal {
    const char* Name;
    Bytes File;
    std::string Reason;
    std::uint64_t MaxPixels = BmpMaxPixels;
};

void ExpectRefused(const std::vector<Refusal>& refusals) {
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.Name);
        try {
            ReadBmp(refusal.File.data(), refusal.File.size(), refusal.MaxPixels);
            ADD_FAILURE() << "decoded, expected: " << refusal.Reason;
        } catch (const BmpError& error) {
            EXPECT_NE(std::string(error.what()).find(refusal.Reason), std::string::npos)
                << "message: " << error.what() << "\nexpected: " << refusal.Reason;
        }
    }
}

Bytes WithMagic(Bytes file, std::uint8_t first, std::uint8_t second) {
    file[0] = first;
    file[1] = second;
    return file;
}

TEST(BmpReaderRefuses, BrokenFileAndInfoHeaders) {
    const Bytes valid = Build({});
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.resize(64);
    ExpectRefused({
        {"empty", {}, "empty file"},
        {"one byte", {'B'}, "truncated file header"},
        {"cut in the file header", Cut(valid, 13), "truncated file header"},
        {"wrong magic", WithMagic(valid, 'B', 'A'), "not a bitmap file: wrong magic"},
        {"a png", png, "not a bitmap file: it holds a png image"},
        {"a jpeg", WithMagic(valid, 0xFF, 0xD8), "wrong magic"},
        {"cut before the header size", Cut(valid, 16), "truncated info header"},
        {"cut in the header", Cut(valid, 40), "truncated info header"},
        {"cut in a core header", Cut(Build({.HeaderSize = 12}), 24), "truncated info header"},
        {"cut in a V5 header", Cut(Build({.HeaderSize = 124}), 100), "truncated info header"},
        {"OS/2 2.x header", Build({.HeaderSize = 64}), "unsupported header size 64"},
        {"huge header size", Build({.HeaderSize = 0xFFFFFFFF}),
         "unsupported header size 4294967295"},
    });
}

TEST(BmpReaderRefuses, UnknownFormats) {
    ExpectRefused({
        {"no planes", Build({.Planes = 0}), "invalid plane count 0"},
        {"two planes", Build({.Planes = 2}), "invalid plane count 2"},
        {"zero width", Build({.Width = 0}), "invalid width 0"},
        {"negative width", Build({.Width = -2}), "invalid width -2"},
        {"zero height", Build({.Height = 0}), "invalid height 0"},
        {"2 bits", Build({.BitCount = 2}), "unsupported bit count 2"},
        {"0 bits", Build({.BitCount = 0}), "unsupported bit count 0"},
        {"64 bits", Build({.BitCount = 64}), "unsupported bit count 64"},
        {"16 bits in a core header", Build({.HeaderSize = 12, .BitCount = 16}),
         "unsupported bit count 16"},
        {"compression 7", Build({.Compression = 7}), "unsupported compression 7"},
        {"jpeg inside", Build({.Compression = 4}), "unsupported compression 4"},
        {"png inside", Build({.Compression = 5}), "unsupported compression 5"},
        {"rle8 at 4 bits",
         [] {
             Fields fields = Rle(4, 2, 2, {0, 1});
             fields.Compression = 1;
             return Build(fields);
         }(),
         "compression 1 (rle8) needs 8 bits per pixel, not 4"},
        {"rle4 at 8 bits",
         [] {
             Fields fields = Rle(8, 2, 2, {0, 1});
             fields.Compression = 2;
             return Build(fields);
         }(),
         "compression 2 (rle4) needs 4 bits per pixel, not 8"},
        {"bit fields at 24 bits", Build({.Compression = 3, .Masks = {0xFF0000, 0xFF00, 0xFF}}),
         "compression 3 (bit fields) needs 16 or 32 bits per pixel, not 24"},
        {"top-down rle",
         [] {
             Fields fields = Rle(8, 2, 2, {0, 1});
             fields.Height = -2;
             return Build(fields);
         }(),
         "top-down images cannot be rle compressed"},
    });
}

TEST(BmpReaderRefuses, SizesThatOverflowOrDoNotFit) {
    ExpectRefused({
        {"100000 x 100000", Build({.Width = 100000, .Height = 100000}),
         "image too large: 100000 x 100000"},
        {"too wide", Build({.Width = BmpMaxSide + 1, .Height = 1}), "image too large: 16385 x 1"},
        {"too high, top-down", Build({.Width = 1, .Height = -BmpMaxSide - 1}),
         "image too large: 1 x 16385"},
        {"lowest height", Build({.Height = std::numeric_limits<std::int32_t>::min()}),
         "image too large: 2 x 2147483648"},
        {"over the caller's limit", Build({.Width = 4, .Height = 4}), "image too large: 4 x 4", 15},
        {"largest size, no pixels", Build({.Width = BmpMaxSide, .Height = BmpMaxSide}),
         "truncated pixel data"},
        {"one byte short", Cut(Build({}), 54 + 13), "truncated pixel data: 13 of 14 bytes"},
        {"8-bit cut after one row",
         Build({.Width = 4, .Height = 3, .BitCount = 8, .Palette = Colours, .Pixels = Bytes(4)}),
         "truncated pixel data"},
        {"32-bit cut", Build({.Width = 2, .Height = 1, .BitCount = 32, .Pixels = Bytes(7)}),
         "truncated pixel data"},
        {"offset past the end", Build({.Pixels = {}, .PixelOffset = 1000}),
         "pixel data offset 1000 past the end of the file (1000 bytes)"},
        {"offset far past the end",
         [] {
             Bytes file = Build({});
             Set32(file, 10, 0xFFFFFFFF);
             return file;
         }(),
         "pixel data offset 4294967295 past the end"},
        {"offset inside the header",
         [] {
             Bytes file = Build({});
             Set32(file, 10, 20);
             return file;
         }(),
         "pixel data offset 20 lies inside the headers"},
        {"offset on the bit-field masks",
         [] {
             Bytes file = Build({.BitCount = 16, .Compression = 3, .Masks = {0xF800, 0x7E0, 0x1F}});
             Set32(file, 10, 54);
             return file;
         }(),
         "pixel data offset 54 lies inside the headers"},
    });
}

TEST(BmpReaderRefuses, BadMasksAndPalettes) {
    const auto masks16 = [](std::vector<std::uint32_t> masks) {
        return Build({.BitCount = 16, .Compression = 3, .Masks = masks, .Pixels = Bytes(8)});
    };
    const Fields pal8 = {
        .Width = 2, .Height = 1, .BitCount = 8, .Palette = Colours, .Pixels = {0, 1, 0, 0}};
    ExpectRefused({
        {"cut in the masks", Cut(masks16({0xF800, 0x7E0, 0x1F}), 60), "truncated bit-field masks"},
        {"zero red mask", masks16({0, 0x7E0, 0x1F}), "zero bit-field mask for red"},
        {"zero blue mask in a V4 header",
         Build({.HeaderSize = 108,
                .BitCount = 32,
                .Compression = 3,
                .Masks = {0xFF0000, 0xFF00, 0},
                .Pixels = Bytes(16)}),
         "zero bit-field mask for blue"},
        {"gap in a mask", masks16({0xF800, 0x7A0, 0x1F}),
         "bit-field mask for green is not contiguous: 0x7a0"},
        {"overlapping masks", masks16({0xF800, 0x0FE0, 0x1F}), "bit-field masks overlap"},
        {"mask wider than the pixel", masks16({0x1F0000, 0x7E0, 0x1F}),
         "bit-field mask for red exceeds 16 bits: 0x1f0000"},
        {"palette size 300", Build([&] {
             Fields fields = pal8;
             fields.ColoursUsed = 300;
             return fields;
         }()),
         "palette size 300 too large for 8 bits per pixel"},
        {"huge palette size", Build([&] {
             Fields fields = pal8;
             fields.ColoursUsed = 0xFFFFFFFF;
             return fields;
         }()),
         "palette size 4294967295 too large"},
        {"no room for a palette", Build([&] {
             Fields fields = pal8;
             fields.Palette = {};
             return fields;
         }()),
         "missing palette"},
        {"cut in the palette", Cut(Build(pal8), 54 + 6), "truncated palette"},
        {"index past the palette", Build([&] {
             Fields fields = pal8;
             fields.ColoursUsed = 2;
             fields.Palette = {Colours[0], Colours[1]};
             fields.Pixels = {1, 5, 0, 0};
             return fields;
         }()),
         "palette index 5 out of range (2 colours)"},
        {"1-bit index past a one-colour palette",
         Build({.Width = 2,
                .Height = 1,
                .BitCount = 1,
                .Palette = {0xFFFFFF},
                .Pixels = {0x40, 0, 0, 0}}),
         "palette index 1 out of range (1 colours)"},
        {"RLE index past the palette", Build([] {
             Fields fields = Rle(8, 2, 1, {2, 9, 0, 1});
             fields.ColoursUsed = 4;
             return fields;
         }()),
         "palette index 9 out of range (4 colours)"},
    });
}

TEST(BmpReaderRefuses, BrokenRleStreams) {
    ExpectRefused({
        {"run past a row", Build(Rle(8, 4, 2, {5, 1, 0, 1})), "rle run past the end of a row"},
        {"absolute run past a row", Build(Rle(8, 2, 2, {0, 5, 1, 1, 1, 1, 1, 0, 0, 1})),
         "rle run past the end of a row"},
        {"second run past a row", Build(Rle(8, 4, 2, {3, 1, 2, 1, 0, 1})),
         "rle run past the end of a row"},
        {"RLE4 run past the row's padding", Build(Rle(4, 3, 2, {9, 0x11, 0, 1})),
         "rle run past the end of a row"},
        {"RLE4 run past an unpadded row", Build(Rle(4, 8, 2, {9, 0x11, 0, 1})),
         "rle run past the end of a row"},
        {"run past the image", Build(Rle(8, 2, 1, {2, 1, 0, 0, 1, 1, 0, 1})),
         "rle data past the end of the image"},
        {"end of line past the image", Build(Rle(8, 2, 1, {0, 0, 0, 0, 0, 1})),
         "rle data past the end of the image"},
        {"delta past a row", Build(Rle(8, 4, 2, {0, 2, 5, 0, 0, 1})),
         "rle delta past the end of the image"},
        {"delta past the image", Build(Rle(8, 4, 2, {0, 2, 0, 3, 0, 1})),
         "rle delta past the end of the image"},
        {"no end marker", Build(Rle(8, 2, 2, {2, 1, 0, 0, 2, 1})),
         "truncated rle data: no end-of-bitmap marker"},
        {"ends in an escape", Build(Rle(8, 2, 2, {2, 1, 0})), "truncated rle data"},
        {"ends in a delta", Build(Rle(8, 2, 2, {0, 2, 1})), "truncated rle data"},
        {"ends in an absolute run", Build(Rle(8, 8, 2, {0, 5, 1, 1, 1})), "truncated rle data"},
        {"absolute run without its pad byte", Build(Rle(8, 8, 2, {0, 3, 1, 1, 1})),
         "truncated rle data"},
        {"RLE4 ends in an absolute run", Build(Rle(4, 8, 2, {0, 6, 0x11, 0x11})),
         "truncated rle data"},
        {"no stream at all", Build(Rle(8, 2, 2, {})), "past the end of the file"},
    });
}

TEST(BmpReader, ChecksItsArguments) {
    const Bytes file = Build({});
    EXPECT_THROW(ReadBmp(nullptr, 10), std::invalid_argument);
    EXPECT_THROW(ReadBmp(file.data(), file.size(), 0), std::invalid_argument);
    EXPECT_THROW(ReadBmp(file.data(), file.size(), BmpMaxPixels + 1), std::invalid_argument);
    EXPECT_THROW(ReadBmpFile(""), std::invalid_argument);
}

std::string FileError(const std::string& path) {
    try {
        ReadBmpFile(path);
    } catch (const BmpError& error) {
        return error.what();
    }
    return "loaded";
}

// A fresh folder, removed with everything in it at the end of the test.
struct TempFolder {
    TempFolder() { fs::create_directory(Path); }
    ~TempFolder() { fs::remove_all(Path); }
    const fs::path Path =
        fs::temp_directory_path() / ("tarvish-bmp-read-" + std::to_string(std::random_device()()));
};

TEST(BmpReader, ReportsFileErrors) {
    const TempFolder folder;
    EXPECT_EQ(FileError((folder.Path / "missing.bmp").string()),
              "cannot open file: No such file or directory");
    EXPECT_EQ(FileError(folder.Path.string()), "cannot read file: Is a directory");
    // Files without a size (here from /proc) are read to their end.
    EXPECT_EQ(FileError("/proc/self/status"), "not a bitmap file: wrong magic");

    // A sparse file: refused from its size before any of it is read.
    const fs::path huge = folder.Path / "huge.bmp";
    std::ofstream{huge};
    fs::resize_file(huge, BmpMaxFileSize + 1);
    EXPECT_EQ(FileError(huge.string()),
              "file too large: " + std::to_string(BmpMaxFileSize + 1) + " bytes");

    const Bytes valid = Build({});
    std::ofstream(folder.Path / "valid.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(valid.data()), std::streamsize(valid.size()));
    EXPECT_EQ(ReadBmpFile((folder.Path / "valid.bmp").string()).Pixels, DefaultPixels);
}

} // namespace
