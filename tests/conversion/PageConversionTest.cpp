#include "PageConversion.h"

#include "ConversionCancelled.h"
#include "ConvertImage.h"
#include "GreyLevel.h"
#include "Transform.h"
#include "TransformKind.h"
#include "Transformer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A photograph-like test image: smooth shading, edges and noise, different in every channel,
// so the channels keep different shares and some reconstructions leave 0..255.
std::vector<std::uint32_t> TestImage(int width, int height, unsigned variant) {
    std::mt19937 generator(variant);
    std::uniform_int_distribution<int> noise(-12, 12);
    std::vector<std::uint32_t> pixels(std::size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto clamp = [](int v) { return std::uint32_t(std::clamp(v, 0, 255)); };
            const int r =
                int(128 + 100 * std::sin(0.07 * x) * std::cos(0.05 * y)) + noise(generator);
            const int g = (x / 9 + y / 7) % 2 ? 230 : 20;
            const int b = (x * 3 + y * 5) % 256;
            pixels[std::size_t(y) * width + x] =
                0xFF000000u | clamp(r) << 16 | clamp(g) << 8 | clamp(b + noise(generator));
        }
    }
    return pixels;
}

RgbView View(const std::vector<std::uint32_t>& pixels, int width, int height) {
    return RgbView{pixels.data(), width, height, width};
}

int Channel(std::uint32_t pixel, int channel) {
    return static_cast<int>(pixel >> (16 - 8 * channel) & 0xFFu);
}

// The reference: one Transformer per channel on one shared transform object, run red, green,
// blue one after another, as a page converted before the conversion core existed.
struct Reference {
    std::vector<std::vector<double>> Planes;
    std::vector<double> Kept;
    // Per channel, each tile's kept percentage as the Transformer holds it: tile (l, m) of the
    // plane, image column l and row m, at l * TileCount + m.
    std::vector<std::vector<double>> TileKept;
};

Reference RunReference(const std::vector<std::uint32_t>& pixels, int width, int height,
                       const ConversionSettings& s, Transform& transform) {
    Reference reference;
    for (int channel = 0; channel < 3; ++channel) {
        Transformer t(s.Side, s.TileCount, s.ErrorFraction, &transform);
        for (int x = 0; x < s.Side; ++x) {
            for (int y = 0; y < s.Side; ++y) {
                t.Plane[std::size_t(x) * s.Side + y] =
                    x < width && y < height ? Channel(pixels[std::size_t(y) * width + x], channel)
                                            : 255;
            }
        }
        t.Run(s.Order == ScanOrder::Raster ? 1 : 0);
        reference.Kept.push_back(t.MeanKeptPercent());
        reference.TileKept.emplace_back(
            t.TileResults.get(), t.TileResults.get() + std::size_t(s.TileCount) * s.TileCount);
        reference.Planes.emplace_back(t.Plane.get(), t.Plane.get() + std::size_t(s.Side) * s.Side);
    }
    return reference;
}

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

struct Case {
    TransformKind Kind;
    int TileCount;
    double Error;
};

std::string Describe(const Case& c, int jobs) {
    std::ostringstream out;
    out << Describe(c.Kind).Caption << ", " << c.TileCount << " tiles, error " << c.Error << ", "
        << jobs << " threads";
    return out.str();
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (const auto& info : TransformKinds()) {
        for (int tiles : {1, 2, 8}) {
            for (double error : {0.0, 0.05, 0.3, 1.0}) {
                cases.push_back({info.Kind, tiles, error});
            }
        }
    }
    return cases;
}

} // namespace

TEST(PageConversion, EqualsChannelsRunOneAfterAnotherBitForBit) {
    const int width = 70, height = 50, side = 64;
    const auto pixels = TestImage(width, height, 7);
    for (const Case& c : Cases()) {
        ConversionSettings s;
        s.Side = side;
        s.TileCount = c.TileCount;
        s.ErrorFraction = c.Error;
        s.Order = ::Describe(c.Kind).Order();
        const auto referenceTransform = MakeTransform(c.Kind);
        const Reference reference = RunReference(pixels, width, height, s, *referenceTransform);
        for (int jobs : {1, 2, 3}) {
            SCOPED_TRACE(Describe(c, jobs));
            PageConversion conversion(s, width, height);
            conversion.Read(View(pixels, width, height));
            std::vector<std::unique_ptr<Transform>> owned;
            std::vector<Transform*> transforms;
            for (int j = 0; j < jobs; ++j) {
                owned.push_back(MakeTransform(c.Kind));
                transforms.push_back(owned.back().get());
            }
            conversion.Run(transforms);
            for (int channel = 0; channel < 3; ++channel) {
                ASSERT_TRUE(SameBits(conversion.KeptPercent(channel), reference.Kept[channel]))
                    << "channel " << channel << ": " << conversion.KeptPercent(channel)
                    << " against " << reference.Kept[channel];
                const auto plane = conversion.Plane(channel);
                for (std::size_t i = 0; i < plane.size(); ++i) {
                    ASSERT_TRUE(SameBits(plane[i], reference.Planes[channel][i]))
                        << "channel " << channel << ", plane element " << i;
                }
            }
            // The next conversion of the page starts from where the shared object stopped.
            EXPECT_TRUE(SameBits(transforms[0]->KeptPercent, referenceTransform->KeptPercent));
            // The result lists its tiles row by row over the image.
            const ConversionResult result = conversion.Finish();
            ASSERT_EQ(result.Tiles.size(), std::size_t(c.TileCount) * c.TileCount);
            for (int row = 0; row < c.TileCount; ++row) {
                for (int column = 0; column < c.TileCount; ++column) {
                    const std::size_t plane = std::size_t(column) * c.TileCount + row;
                    const double expected =
                        (reference.TileKept[0][plane] + reference.TileKept[1][plane] +
                         reference.TileKept[2][plane]) /
                        3.0;
                    ASSERT_TRUE(
                        SameBits(result.Tiles[std::size_t(row) * c.TileCount + column].KeptPercent,
                                 expected))
                        << "tile in row " << row << ", column " << column;
                }
            }
        }
    }
}

TEST(PageConversion, CarriesTheKeptPercentageIntoTheNextConversion) {
    // At error 1 few tiles stop their walk; those that do not keep the figure of the tile
    // before them, the first one that of the page's previous conversion.
    const int side = 64;
    const auto pixels = TestImage(side, side, 3);
    for (const auto& info : TransformKinds()) {
        SCOPED_TRACE(std::string(info.Caption));
        const auto shared = MakeTransform(info.Kind);
        const auto page = MakeTransform(info.Kind);
        const auto helper = MakeTransform(info.Kind);
        for (double error : {0.3, 1.0, 1.0}) {
            ConversionSettings s;
            s.Side = side;
            s.TileCount = 4;
            s.ErrorFraction = error;
            s.Order = info.Order();
            const Reference reference = RunReference(pixels, side, side, s, *shared);
            PageConversion conversion(s, side, side);
            conversion.Read(View(pixels, side, side));
            Transform* transforms[] = {page.get(), helper.get()};
            conversion.Run(transforms);
            for (int channel = 0; channel < 3; ++channel) {
                EXPECT_TRUE(SameBits(conversion.KeptPercent(channel), reference.Kept[channel]))
                    << "error " << error << ", channel " << channel;
            }
        }
    }
}

TEST(PageConversion, ResultMatchesItsPlanesAndTheOriginal) {
    const int width = 90, height = 40;
    const auto pixels = TestImage(width, height, 11);
    ConversionSettings s;
    s.Side = 64;
    s.TileCount = 4;
    s.ErrorFraction = 0.2;
    s.Order = ScanOrder::Raster;
    s.ColorCorrection = true;
    PageConversion conversion(s, width, height);
    conversion.Read(View(pixels, width, height));
    const auto transform = MakeTransform(TransformKind::Dct2D);
    Transform* transforms[] = {transform.get()};
    conversion.Run(transforms);
    conversion.CorrectColors();
    const ConversionResult result = conversion.Finish();

    ASSERT_EQ(result.RegionWidth, 64);
    ASSERT_EQ(result.RegionHeight, 40);
    ASSERT_EQ(result.Pixels.size(), 64u * 40u);
    ASSERT_EQ(result.Tiles.size(), 16u);
    std::vector<double> tileSquares(16, 0.0), tileValues(16, 0.0);
    long double squares = 0;
    int largest = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 64; ++x) {
            const std::uint32_t before = pixels[std::size_t(y) * width + x];
            const std::uint32_t after = result.Pixels[std::size_t(y) * 64 + x];
            int pixelLargest = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const double v = conversion.Plane(channel)[std::size_t(x) * 64 + y];
                ASSERT_EQ(Channel(after, channel), GreyLevel(v)) << "pixel " << x << ", " << y;
                const int d = Channel(after, channel) - Channel(before, channel);
                squares += d * d;
                tileSquares[(y / 16) * 4 + x / 16] += d * d;
                tileValues[(y / 16) * 4 + x / 16] += 1;
                pixelLargest = std::max(pixelLargest, std::abs(d));
            }
            ASSERT_EQ(result.ErrorMap[std::size_t(y) * 64 + x], pixelLargest);
            largest = std::max(largest, pixelLargest);
        }
    }
    EXPECT_DOUBLE_EQ(result.Quality.Mse, double(squares / (64.0L * 40 * 3)));
    EXPECT_EQ(result.Quality.MaxError, largest);
    EXPECT_TRUE(result.Quality.Ssim.has_value());
    for (int tile = 0; tile < 16; ++tile) {
        // Rows 48..63 of the square, the last row of tiles, lie below the image.
        if (tile / 4 == 3) {
            EXPECT_TRUE(std::isnan(result.Tiles[tile].Mse)) << "tile " << tile;
        } else {
            EXPECT_DOUBLE_EQ(result.Tiles[tile].Mse, tileSquares[tile] / tileValues[tile])
                << "tile " << tile;
        }
    }
    EXPECT_DOUBLE_EQ(result.MeanKeptPercent,
                     (result.KeptPercent[0] + result.KeptPercent[1] + result.KeptPercent[2]) / 3);
    EXPECT_GE(result.ComputeMilliseconds, 0.0);
}

TEST(PageConversion, ErrorZeroGivesBackTheImageOnEveryKind) {
    const int width = 64, height = 64;
    const auto pixels = TestImage(width, height, 5);
    for (const auto& info : TransformKinds()) {
        for (int tiles : {1, 8}) {
            ConversionSettings s;
            s.Side = 64;
            s.TileCount = tiles;
            const ConversionResult result =
                ConvertImage(View(pixels, width, height), info.Kind, s, 2);
            EXPECT_EQ(result.Pixels, pixels) << info.Caption << ", " << tiles << " tiles";
            EXPECT_EQ(result.Quality.Mse, 0.0);
            EXPECT_TRUE(std::isinf(result.Quality.PsnrDb));
        }
    }
}

TEST(PageConversion, StopsBetweenTilesWhenAsked) {
    const auto pixels = TestImage(64, 64, 1);
    std::atomic<bool> cancel{true};
    ConversionSettings s;
    s.Side = 64;
    s.TileCount = 8;
    EXPECT_THROW(ConvertImage(View(pixels, 64, 64), TransformKind::Haar2D, s, 2, &cancel),
                 ConversionCancelled);
}

TEST(PageConversion, RefusesSidesWithoutRoomForTheTiles) {
    ConversionSettings s;
    s.Side = 16;
    s.TileCount = 32;
    EXPECT_THROW(PageConversion(s, 16, 16), std::invalid_argument);
    s.Side = 0;
    s.TileCount = 1;
    EXPECT_THROW(PageConversion(s, 16, 16), std::invalid_argument);
}

// A plane of one tile is handed back even when its tile fails halfway: what the caller reads
// afterwards is the plane's memory, not a freed one.
TEST(PageConversion, FailedOneTilePageKeepsItsPlanes) {
    class FailingInverse : public Transform {
    public:
        void Forward(double*, std::uint32_t) override {}
        void Inverse(double*, std::uint32_t) override {
            throw std::runtime_error("inverse failed");
        }
    };
    const auto pixels = TestImage(32, 32, 4);
    ConversionSettings s;
    s.Side = 32;
    s.TileCount = 1;
    s.Order = ScanOrder::Zigzag; // the plane is reordered in place and fails half done
    PageConversion conversion(s, 32, 32);
    conversion.Read(View(pixels, 32, 32));
    FailingInverse a;
    FailingInverse b;
    Transform* transforms[] = {&a, &b};
    EXPECT_THROW(conversion.Run(transforms), std::runtime_error);
    for (std::size_t c = 0; c < 3; ++c) {
        const std::span<double> plane = conversion.Plane(c);
        ASSERT_NE(plane.data(), nullptr) << "channel " << c;
        plane[0] = 1.0;
        plane[plane.size() - 1] = 2.0;
        EXPECT_EQ(plane[0] + plane[plane.size() - 1], 3.0) << "channel " << c;
    }
}

#include "ReferenceTransforms.h"
#include "ZigzagReference.h"

#include <array>

namespace {

// The literal references (the struct Reference above is the Transformer reference).
using ReferenceTransform = void (*)(std::vector<double>&, std::uint32_t, bool);

ReferenceTransform ReferenceOf(TransformKind kind) {
    switch (kind) {
    case TransformKind::Dct1D:
        return ::Reference::Cosine;
    case TransformKind::D4_1D:
        return ::Reference::Daubechies4;
    case TransformKind::Haar1D:
        return ::Reference::Haar;
    case TransformKind::Dct2D:
        return ::Reference::Cosine2D;
    case TransformKind::D4_2D:
        return ::Reference::Daubechies4_2D;
    case TransformKind::Haar2D:
        return ::Reference::Haar2D;
    }
    return nullptr;
}

struct PlainPage {
    std::array<std::vector<double>, 3> Planes;
    std::array<double, 3> Kept{};
};

// The page a tile at a time from the literal references alone: the planes as Read fills them,
// every tile gathered in its scan order, transformed, thresholded by the plain rule and
// transformed back, the kept percentages carried over the tiles whose walk never stops. side
// must be a multiple of the tile count.
PlainPage PlainConversion(const std::vector<std::uint32_t>& pixels, int width, int height,
                          const ConversionSettings& s, TransformKind kind, double keptBefore) {
    const auto side = static_cast<std::size_t>(s.Side);
    const auto tiles = static_cast<std::size_t>(s.TileCount);
    const std::size_t tileSide = side / tiles;
    const ReferenceTransform transform = ReferenceOf(kind);
    const std::vector<std::size_t> zigzag = ZigzagPositions(tileSide);
    // Where element (r, c) of a tile goes in its scan.
    const auto scan = [&](std::size_t r, std::size_t c) {
        return s.Order == ScanOrder::Zigzag ? zigzag[r * tileSide + c] : r * tileSide + c;
    };
    PlainPage page;
    double carried = keptBefore;
    for (int channel = 0; channel < 3; ++channel) {
        std::vector<double>& plane = page.Planes[static_cast<std::size_t>(channel)];
        plane.resize(side * side);
        for (std::size_t x = 0; x < side; ++x) {
            for (std::size_t y = 0; y < side; ++y) {
                plane[x * side + y] =
                    x < static_cast<std::size_t>(width) && y < static_cast<std::size_t>(height)
                        ? Channel(pixels[y * static_cast<std::size_t>(width) + x], channel)
                        : 255;
            }
        }
        double sum = 0.0;
        for (std::size_t t = 0; t < tiles * tiles; ++t) {
            const std::size_t row0 = t / tiles * tileSide;
            const std::size_t col0 = t % tiles * tileSide;
            std::vector<double> tile(tileSide * tileSide);
            for (std::size_t r = 0; r < tileSide; ++r) {
                for (std::size_t c = 0; c < tileSide; ++c) {
                    tile[scan(r, c)] = plane[(row0 + r) * side + col0 + c];
                }
            }
            const auto n = static_cast<std::uint32_t>(tileSide);
            transform(tile, n, true);
            double kept = carried;
            ::Reference::Threshold(tile, s.ErrorFraction, kept);
            transform(tile, n, false);
            for (std::size_t r = 0; r < tileSide; ++r) {
                for (std::size_t c = 0; c < tileSide; ++c) {
                    plane[(row0 + r) * side + col0 + c] = tile[scan(r, c)];
                }
            }
            sum += kept;
            carried = kept;
        }
        page.Kept[static_cast<std::size_t>(channel)] = sum / static_cast<double>(tiles * tiles);
    }
    return page;
}

} // namespace

// A black square makes tiles whose every coefficient is zero, in every channel, between tiles
// with energy: each tile still matches the plain rule, and so does the page.
TEST(PageConversion, BlackRegionMatchesThePlainRuleTileByTile) {
    const int side = 64;
    std::vector<std::uint32_t> pixels = TestImage(side, side, 13);
    // Whole tiles black at every tile count below, and parts of others.
    for (int y = 28; y < side; ++y) {
        for (int x = 0; x < 40; ++x) {
            pixels[std::size_t(y) * side + x] = 0xFF000000u;
        }
    }
    for (const auto& info : TransformKinds()) {
        for (int tiles : {2, 4, 8}) {
            for (double error : {0.05, 0.3, 1.0}) {
                ConversionSettings s;
                s.Side = side;
                s.TileCount = tiles;
                s.ErrorFraction = error;
                s.Order = info.Order();
                const PlainPage plain = PlainConversion(pixels, side, side, s, info.Kind, 0.0);
                for (int jobs : {1, 2}) {
                    SCOPED_TRACE(Describe({info.Kind, tiles, error}, jobs));
                    PageConversion conversion(s, side, side);
                    conversion.Read(View(pixels, side, side));
                    std::vector<std::unique_ptr<Transform>> owned;
                    std::vector<Transform*> transforms;
                    for (int j = 0; j < jobs; ++j) {
                        owned.push_back(MakeTransform(info.Kind));
                        transforms.push_back(owned.back().get());
                    }
                    conversion.Run(transforms);
                    for (std::size_t channel = 0; channel < 3; ++channel) {
                        ASSERT_TRUE(SameBits(conversion.KeptPercent(channel), plain.Kept[channel]))
                            << "channel " << channel << ": " << conversion.KeptPercent(channel)
                            << " against " << plain.Kept[channel];
                        const auto plane = conversion.Plane(channel);
                        for (std::size_t i = 0; i < plane.size(); ++i) {
                            ASSERT_TRUE(SameBits(plane[i], plain.Planes[channel][i]))
                                << "channel " << channel << ", plane element " << i;
                        }
                    }
                }
            }
        }
    }
}
