#include "CoefficientMap.h"

#include "ConversionCancelled.h"
#include "PageConversion.h"
#include "RenderCoefficients.h"
#include "TileSelection.h"
#include "Transform.h"
#include "TransformKind.h"
#include "ZigzagReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Smooth shading with noise in every channel; size width x height.
std::vector<std::uint32_t> NoisyImage(int width, int height, unsigned variant) {
    std::mt19937 generator(variant);
    std::uniform_int_distribution<int> noise(-30, 30);
    std::vector<std::uint32_t> pixels(std::size_t(width) * height);
    const auto level = [&](double v) {
        return std::uint32_t(std::clamp(int(v) + noise(generator), 0, 255));
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[std::size_t(y) * width + x] =
                0xFF000000u | level(128 + 90 * std::sin(0.21 * x) * std::cos(0.13 * y)) << 16 |
                level(100 + 60 * std::cos(0.3 * x + 0.17 * y)) << 8 | level((x * 5 + y * 3) % 200);
        }
    }
    return pixels;
}

struct Image {
    std::vector<std::uint32_t> Pixels;
    int Width;
    int Height;
    RgbView View() const { return RgbView{Pixels.data(), Width, Height, Width}; }
    // White outside the image, as the page pads it.
    double At(int x, int y, std::size_t channel) const {
        return x >= Width || y >= Height
                   ? 255.0
                   : double(Pixels[std::size_t(y) * Width + x] >> (16 - 8 * channel) & 0xFFu);
    }
};

struct Transforms {
    std::vector<std::unique_ptr<Transform>> Owned;
    std::vector<Transform*> Pointers;
    Transforms(TransformKind kind, int jobs) {
        for (int j = 0; j < jobs; ++j) {
            Owned.push_back(MakeTransform(kind));
            Pointers.push_back(Owned.back().get());
        }
    }
};

// Whole tiles, several tiles, and a side the tiles do not cover (34 = 4 x 8 + 2).
const std::pair<int, int> Layouts[] = {{16, 1}, {16, 4}, {32, 2}, {34, 4}};

ConversionSettings SettingsOf(TransformKind kind, std::pair<int, int> layout, double percent) {
    ConversionSettings s;
    s.Side = layout.first;
    s.TileCount = layout.second;
    s.SetErrorPercent(percent);
    s.Order = Describe(kind).Order();
    return s;
}

std::string Describe(TransformKind kind, const ConversionSettings& s, const Image& image) {
    std::ostringstream out;
    out << Describe(kind).Caption << ", side " << s.Side << ", " << s.TileCount << " tiles, error "
        << s.ErrorPercent << "%, scaling " << ScalingName(s.Options.Scaling) << ", levels "
        << LevelsName(s.Options.Levels) << ", rule " << RuleName(s.Options.Rule) << ", image "
        << image.Width << " x " << image.Height;
    return out.str();
}

// Calls check(channel, x0, y0, u, v) for every entry of every tile: tile at (x0, y0), entry
// (x0 + u, y0 + v).
void ForEachEntry(const CoefficientMap& map,
                  const std::function<void(std::size_t, int, int, int, int)>& check) {
    const int n = map.TileSide();
    for (std::size_t c = 0; c < 3; ++c) {
        for (int x0 = 0; x0 < map.Covered(); x0 += n) {
            for (int y0 = 0; y0 < map.Covered(); y0 += n) {
                for (int k = 0; k < n * n; ++k) {
                    check(c, x0, y0, k / n, k % n);
                }
            }
        }
    }
}

std::string Where(std::size_t c, int x0, int y0, int u, int v) {
    return "channel " + std::to_string(c) + ", tile at (" + std::to_string(x0) + ", " +
           std::to_string(y0) + "), entry (" + std::to_string(u) + ", " + std::to_string(v) + ")";
}

} // namespace

// A constant has energy only in the smooth coefficients (the first one; D4 through every level
// keeps two per line), a pattern along x only in the 2D tiles' first rows, along y their first
// columns. A 1D tile's first two zigzag positions are (0, 0) and (1, 0).
TEST(CoefficientMap, PatternsKeepToTheTilesFirstCoefficients) {
    for (const auto& info : TransformKinds()) {
        const int smooth = info.Kind == TransformKind::D4_1D || info.Kind == TransformKind::D4_2D;
        for (const auto& layout : Layouts) {
            for (const int pattern : {0, 1, 2}) { // constant, along x, along y
                if (pattern != 0 && !info.TwoDimensional) {
                    continue;
                }
                ConversionSettings s = SettingsOf(info.Kind, layout, 5.0);
                s.Options.Levels = AllWaveletLevels;
                Image image{std::vector<std::uint32_t>(std::size_t(s.Side) * s.Side), s.Side,
                            s.Side};
                for (int i = 0; i < s.Side * s.Side; ++i) {
                    const int t = pattern == 0 ? 3 : pattern == 1 ? i % s.Side : i / s.Side;
                    image.Pixels[std::size_t(i)] =
                        0xFF000000u | std::uint32_t(128 + 100 * std::sin(0.9 * t + 0.3)) << 16 |
                        std::uint32_t(40 + 17 * (t % 5)) << 8 | std::uint32_t(t * 37 % 256);
                }
                SCOPED_TRACE(Describe(info.Kind, s, image) + ", pattern " +
                             std::to_string(pattern));
                Transforms t(info.Kind, 2);
                const CoefficientMap map(s, image.View(), t.Pointers);
                const int n = map.TileSide();
                ForEachEntry(map, [&](std::size_t c, int x0, int y0, int u, int v) {
                    float largest = 0.0F;
                    for (int k = 0; k < n * n; ++k) {
                        largest = std::max(largest, map.Magnitude(c, x0 + k / n, y0 + k % n));
                    }
                    const bool smoothU = u <= smooth, smoothV = v <= smooth;
                    const bool mayHold = !info.TwoDimensional ? v == 0 && smoothU
                                         : pattern == 0       ? smoothU && smoothV
                                         : pattern == 1       ? smoothV
                                                              : smoothU;
                    if (!mayHold) {
                        ASSERT_LE(map.Magnitude(c, x0 + u, y0 + v), 1e-9 * largest)
                            << Where(c, x0, y0, u, v);
                    } else if (pattern == 0 && u == 0 && v == 0 && smooth == 0) {
                        ASSERT_EQ(map.Magnitude(c, x0, y0), largest) << Where(c, x0, y0, u, v);
                    }
                });
                for (int i = 0; i < s.Side * s.Side; ++i) {
                    if (i % s.Side >= map.Covered() || i / s.Side >= map.Covered()) {
                        ASSERT_EQ(map.Magnitudes(0)[std::size_t(i)], 0.0F) << "uncovered " << i;
                    }
                }
            }
        }
    }
}

TEST(CoefficientMap, OneDimensionalPagesPlaceCoefficientsInZigzagOrder) {
    // The zigzag position of each pixel of a 4 x 4 tile, by image rows: the JPEG sequence.
    const int literal[4][4] = {{0, 1, 5, 6}, {2, 4, 7, 12}, {3, 8, 11, 13}, {9, 10, 14, 15}};
    const Image image{NoisyImage(8, 8, 5), 8, 8};
    for (const TransformKind kind :
         {TransformKind::Dct1D, TransformKind::D4_1D, TransformKind::Haar1D}) {
        const ConversionSettings s = SettingsOf(kind, {8, 2}, 0.0);
        SCOPED_TRACE(Describe(kind, s, image));
        Transforms t(kind, 1);
        const CoefficientMap map(s, image.View(), t.Pointers);
        const auto reference = MakeTransform(kind);
        for (std::size_t c = 0; c < 3; ++c) {
            for (int x0 = 0; x0 < 8; x0 += 4) {
                for (int y0 = 0; y0 < 8; y0 += 4) {
                    std::vector<double> line(16);
                    for (int i = 0; i < 16; ++i) {
                        line[literal[i / 4][i % 4]] = image.At(x0 + i % 4, y0 + i / 4, c);
                    }
                    reference->Forward(line.data(), 4);
                    for (int i = 0; i < 16; ++i) {
                        EXPECT_EQ(map.Magnitude(c, x0 + i % 4, y0 + i / 4),
                                  float(std::fabs(line[literal[i / 4][i % 4]])))
                            << Where(c, x0, y0, i % 4, i / 4);
                    }
                }
            }
        }
    }
}

// Each tile gathered by hand from the image (raster element (u, v) is pixel (x0 + u, y0 + v),
// zigzag after the reference order), through Forward and the rule on one object.
TEST(CoefficientMap, EntriesAreEachTilesForwardAndWhatItsRuleZeroes) {
    const TransformOptions options[] = {
        {},
        {DctScaling::Orthonormal, PageLevels, KeepRule::Error},
        {DctScaling::Plain, 2, KeepRule::Kept},
        {DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Kept}};
    for (const auto& info : TransformKinds()) {
        for (const auto& layout : Layouts) {
            for (const TransformOptions& option : options) {
                for (const double percent : {0.0, 5.0, 30.0}) {
                    for (const Image& image : {Image{NoisyImage(40, 40, 11), 40, 40},
                                               Image{NoisyImage(20, 27, 3), 20, 27}}) {
                        ConversionSettings s = SettingsOf(info.Kind, layout, percent);
                        s.Options = option;
                        SCOPED_TRACE(Describe(info.Kind, s, image));
                        Transforms t(info.Kind, 2);
                        const CoefficientMap map(s, image.View(), t.Pointers);
                        EXPECT_EQ(map.RegionWidth(), std::min(image.Width, s.Side));
                        EXPECT_EQ(map.RegionHeight(), std::min(image.Height, s.Side));
                        const auto n = std::size_t(map.TileSide());
                        const auto reference = MakeTransform(info.Kind);
                        ApplyLevels(*reference, option.Levels);
                        TileSelection selection(s);
                        std::vector<std::size_t> positions = ZigzagPositions(n);
                        if (s.Order == ScanOrder::Raster) {
                            for (std::size_t k = 0; k < n * n; ++k) {
                                positions[k] = k;
                            }
                        }
                        std::vector<double> tile(n * n), kept;
                        std::size_t zeroed = 0;
                        ForEachEntry(map, [&](std::size_t c, int x0, int y0, int u, int v) {
                            if (u == 0 && v == 0) {
                                for (std::size_t k = 0; k < n * n; ++k) {
                                    tile[positions[k]] =
                                        image.At(x0 + int(k / n), y0 + int(k % n), c);
                                }
                                reference->Forward(tile.data(), std::uint32_t(n));
                                kept = tile;
                                selection.Select(*reference, kept.data(), std::uint32_t(n));
                            }
                            const std::size_t p = positions[std::size_t(u) * n + v];
                            const bool rule = tile[p] != 0.0 && kept[p] == 0.0;
                            zeroed += rule;
                            ASSERT_EQ(map.Magnitude(c, x0 + u, y0 + v), float(std::fabs(tile[p])))
                                << Where(c, x0, y0, u, v);
                            ASSERT_EQ(map.IsZeroed(c, x0 + u, y0 + v), rule)
                                << Where(c, x0, y0, u, v);
                        });
                        EXPECT_EQ(zeroed == 0, percent == 0.0 && option.Rule == KeepRule::Error);
                    }
                }
            }
        }
    }
}

TEST(CoefficientMap, Dct2DEqualsDirectCosineSums) {
    // cos(pi k (j + 1/2) / n), the multiple reduced mod 4n exactly.
    const auto cosine = [](std::size_t k, std::size_t j, std::size_t n) {
        return std::cos(std::numbers::pi_v<long double> * ((k * (2 * j + 1)) % (4 * n)) /
                        (2.0L * n));
    };
    const Image image{NoisyImage(16, 16, 3), 16, 16};
    for (const int tiles : {1, 2, 4}) {
        const ConversionSettings s = SettingsOf(TransformKind::Dct2D, {16, tiles}, 0.0);
        SCOPED_TRACE(Describe(TransformKind::Dct2D, s, image));
        Transforms t(TransformKind::Dct2D, 1);
        const CoefficientMap map(s, image.View(), t.Pointers);
        const auto n = std::size_t(map.TileSide());
        // X(u, v) = sum of pixel (x0 + x, y0 + y) cos(pi u (x + 1/2) / n) cos(pi v (y + 1/2) / n).
        ForEachEntry(map, [&](std::size_t c, int x0, int y0, int u, int v) {
            long double sum = 0.0L;
            for (std::size_t k = 0; k < n * n; ++k) {
                sum += image.At(x0 + int(k / n), y0 + int(k % n), c) *
                       cosine(std::size_t(u), k / n, n) * cosine(std::size_t(v), k % n, n);
            }
            const double expected = double(std::fabs(sum));
            ASSERT_NEAR(map.Magnitude(c, x0 + u, y0 + v), expected,
                        1e-6 * expected + 1e-9 * 255 * n * n)
                << Where(c, x0, y0, u, v);
        });
    }
}

// The page's own kept figures, bit for bit; and in a tile whose magnitudes are distinct and
// non-zero, what the rule does not zero is the kept share: under the kept-share rule
// floor(p count / 100 + 0.5) coefficients, under the error rule those ranked ahead of the cut
// and the cut itself.
TEST(CoefficientMap, KeptSharesAreTheConversions) {
    const Image image{NoisyImage(36, 30, 17), 36, 30};
    std::size_t distinctTiles = 0;
    for (const auto& info : TransformKinds()) {
        for (const auto& layout : Layouts) {
            for (const KeepRule rule : {KeepRule::Error, KeepRule::Kept}) {
                for (const double percent : {2.0, 10.0, 30.0}) {
                    for (const int jobs : {1, 3}) {
                        ConversionSettings s = SettingsOf(info.Kind, layout, percent);
                        s.Options.Rule = rule;
                        SCOPED_TRACE(Describe(info.Kind, s, image) + ", " + std::to_string(jobs) +
                                     " threads");
                        Transforms pageTransforms(info.Kind, jobs);
                        PageConversion conversion(s, image.Width, image.Height);
                        conversion.Read(image.View());
                        conversion.Run(pageTransforms.Pointers);
                        const ConversionResult result = conversion.Finish();
                        Transforms t(info.Kind, jobs);
                        const CoefficientMap map(s, image.View(), t.Pointers);
                        for (std::size_t c = 0; c < 3; ++c) {
                            EXPECT_EQ(std::bit_cast<std::uint64_t>(map.KeptPercent(c)),
                                      std::bit_cast<std::uint64_t>(result.KeptPercent[c]))
                                << "channel " << c;
                        }
                        EXPECT_EQ(map.MeanKeptPercent(), result.MeanKeptPercent);
                        const int n = map.TileSide();
                        const auto count = std::size_t(n) * n;
                        std::vector<float> magnitudes;
                        std::size_t notZeroed = 0;
                        ForEachEntry(map, [&](std::size_t c, int x0, int y0, int u, int v) {
                            magnitudes.push_back(map.Magnitude(c, x0 + u, y0 + v));
                            notZeroed += !map.IsZeroed(c, x0 + u, y0 + v);
                            if (magnitudes.size() < count) {
                                return;
                            }
                            const double kept = map.TileKeptPercent(c, x0 / n, y0 / n);
                            ASSERT_EQ(kept, result.Tiles[std::size_t(y0 / n * s.TileCount + x0 / n)]
                                                .ChannelKept[c])
                                << Where(c, x0, y0, u, v);
                            std::sort(magnitudes.begin(), magnitudes.end());
                            if (magnitudes[0] > 0.0F &&
                                std::adjacent_find(magnitudes.begin(), magnitudes.end()) ==
                                    magnitudes.end()) {
                                ++distinctTiles;
                                const auto ranked =
                                    std::size_t(std::lround(kept * double(count) / 100.0));
                                const auto keep =
                                    std::size_t(std::floor(percent * double(count) / 100.0 + 0.5));
                                ASSERT_EQ(notZeroed, rule == KeepRule::Kept ? keep : ranked + 1)
                                    << Where(c, x0, y0, u, v) << ", kept " << kept;
                            }
                            magnitudes.clear();
                            notZeroed = 0;
                        });
                    }
                }
            }
        }
    }
    // Haar's sums of whole pixels tie, and the smallest DCT 2D tiles' rational coefficients can.
    EXPECT_GT(distinctTiles, 3000u);
}

TEST(CoefficientMap, LeavesKeptPercentAloneStopsWhenAskedAndRefusesBadArguments) {
    const Image image{NoisyImage(32, 32, 2), 32, 32};
    for (const auto& info : TransformKinds()) {
        const ConversionSettings s = SettingsOf(info.Kind, {32, 4}, 10.0);
        SCOPED_TRACE(Describe(info.Kind, s, image));
        Transforms t(info.Kind, 2);
        t.Pointers[0]->KeptPercent = 42.0;
        t.Pointers[1]->KeptPercent = 7.0;
        const CoefficientMap map(s, image.View(), t.Pointers);
        std::atomic<bool> cancel{true};
        EXPECT_THROW(CoefficientMap(s, image.View(), t.Pointers, &cancel), ConversionCancelled);
        EXPECT_EQ(t.Pointers[0]->KeptPercent, 42.0);
        EXPECT_EQ(t.Pointers[1]->KeptPercent, 7.0);
        EXPECT_THROW(map.Magnitude(3, 0, 0), std::invalid_argument);
        EXPECT_THROW(map.IsZeroed(0, 32, 0), std::invalid_argument);
        EXPECT_THROW(map.TileKeptPercent(0, 4, 0), std::invalid_argument);
    }
    Transforms t(TransformKind::Dct2D, 1);
    Transform* none[] = {nullptr};
    EXPECT_THROW(
        CoefficientMap(SettingsOf(TransformKind::Dct2D, {16, 32}, 1), image.View(), t.Pointers),
        std::invalid_argument);
    EXPECT_THROW(
        CoefficientMap(SettingsOf(TransformKind::Dct2D, {12, 1}, 1), image.View(), t.Pointers),
        std::invalid_argument);
    EXPECT_THROW(CoefficientMap(SettingsOf(TransformKind::Dct2D, {16, 1}, 1), image.View(), none),
                 std::invalid_argument);
    const ConversionSettings s = SettingsOf(TransformKind::Dct2D, {4096, 16}, 1);
    EXPECT_GE(CoefficientMap::BytesNeeded(s, 3),
              3ull * 4096 * 4096 * 5 + PageConversion::BytesNeeded(s, 3) + 3ull * 256 * 256 * 8);
}

TEST(RenderCoefficients, GreyIsTheLogarithmBetweenTheSmallestAndLargestMagnitude) {
    // Haar keeps a constant tile's first coefficient alone, the others exactly zero (black, not
    // marked). Channels 1, 100 and 232: red black, blue white, green 255 lg 100 / lg 232 = 215.6.
    const Image image{std::vector<std::uint32_t>(16, 0xFF0164E8u), 4, 4};
    Transforms t(TransformKind::Haar2D, 1);
    const CoefficientMap map(SettingsOf(TransformKind::Haar2D, {4, 1}, 50.0), image.View(),
                             t.Pointers);
    const std::uint32_t first[4] = {0xFF000000u, 0xFFD8D8D8u, 0xFFFFFFFFu, 0xFFFFFFFFu};
    for (const CoefficientChannel which : {CoefficientChannel::Red, CoefficientChannel::Green,
                                           CoefficientChannel::Blue, CoefficientChannel::Largest}) {
        const std::vector<std::uint32_t> pixels = RenderCoefficients(map, which);
        std::vector<std::uint32_t> expected(16, 0xFF000000u);
        expected[0] = first[int(which)];
        EXPECT_EQ(pixels, expected) << "channel " << int(which);
    }
}

TEST(RenderCoefficients, MarksZeroedCoefficientsAndLeavesUncoveredStripsTransparent) {
    const Image image{NoisyImage(34, 34, 9), 34, 34};
    for (const auto& info : TransformKinds()) {
        const ConversionSettings s = SettingsOf(info.Kind, {34, 4}, 10.0);
        SCOPED_TRACE(Describe(info.Kind, s, image));
        Transforms t(info.Kind, 1);
        const CoefficientMap map(s, image.View(), t.Pointers);
        const double low = std::log10(double(map.SmallestMagnitude()));
        const double high = std::log10(double(map.LargestMagnitude()));
        for (const CoefficientChannel which :
             {CoefficientChannel::Red, CoefficientChannel::Green, CoefficientChannel::Blue,
              CoefficientChannel::Largest}) {
            const std::vector<std::uint32_t> pixels = RenderCoefficients(map, which);
            ASSERT_EQ(pixels.size(), 34u * 34u);
            for (int i = 0; i < 34 * 34; ++i) {
                const int x = i % 34, y = i / 34;
                const std::string where = "channel " + std::to_string(int(which)) + ", pixel (" +
                                          std::to_string(x) + ", " + std::to_string(y) + ")";
                if (x >= map.Covered() || y >= map.Covered()) {
                    ASSERT_EQ(pixels[std::size_t(i)], UncoveredColor) << where;
                    continue;
                }
                // Largest: the largest magnitude, marked where a channel was zeroed and none keeps
                // a non-zero coefficient.
                float m = 0.0F;
                bool anyZeroed = false, allGone = true;
                for (std::size_t c = 0; c < 3; ++c) {
                    if (which == CoefficientChannel::Largest || std::size_t(which) == c) {
                        m = std::max(m, map.Magnitude(c, x, y));
                        anyZeroed = anyZeroed || map.IsZeroed(c, x, y);
                        allGone =
                            allGone && (map.IsZeroed(c, x, y) || map.Magnitude(c, x, y) == 0.0F);
                    }
                }
                const double grey =
                    m == 0.0F ? 0.0 : 255.0 * (std::log10(double(m)) - low) / (high - low);
                const std::uint32_t pixel = pixels[std::size_t(i)];
                if (anyZeroed && allGone) {
                    ASSERT_EQ(pixel, ZeroedCoefficientColor) << where;
                } else {
                    ASSERT_EQ(pixel, 0xFF000000u | (pixel & 0xFFu) * 0x010101u) << where;
                    ASSERT_LE(std::fabs(double(pixel & 0xFFu) - grey), 0.5 + 1e-9) << where;
                }
            }
        }
    }
}
