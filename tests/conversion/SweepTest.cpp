#include "Sweep.h"

#include "ConversionCancelled.h"
#include "ConversionFigures.h"
#include "ConvertImage.h"
#include "PageConversion.h"
#include "Transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

// Shading, edges and noise, different in every channel, so that the channels keep different
// shares and some reconstructions leave 0..255 (colour correction then has work to do).
std::vector<std::uint32_t> TestImage(int width, int height, unsigned variant) {
    std::mt19937 generator(variant);
    std::uniform_int_distribution<int> noise(-14, 14);
    std::vector<std::uint32_t> pixels(std::size_t(width) * height);
    const auto clamp = [](int v) { return std::uint32_t(std::clamp(v, 0, 255)); };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int r = int(120 + 110 * std::sin(0.09 * x) * std::cos(0.06 * y));
            const int g = (x / 7 + y / 5) % 2 ? 250 : 5;
            const int b = (x * 5 + y * 3) % 256;
            pixels[std::size_t(y) * width + x] = 0xFF000000u | clamp(r + noise(generator)) << 16 |
                                                 clamp(g) << 8 | clamp(b + noise(generator));
        }
    }
    return pixels;
}

// Wider than the side and not as high: the region is cut on the right, white fills below it.
constexpr int Width = 70;
constexpr int Height = 50;
constexpr int Side = 64;

const std::vector<std::uint32_t>& Image() {
    static const std::vector<std::uint32_t> pixels = TestImage(Width, Height, 29);
    return pixels;
}

RgbView View() {
    return RgbView{Image().data(), Width, Height, Width};
}

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

std::vector<TransformKind> AllKinds() {
    std::vector<TransformKind> kinds;
    for (const auto& info : TransformKinds()) {
        kinds.push_back(info.Kind);
    }
    return kinds;
}

// Everything a point and a separate conversion must share, bit for bit.
void ExpectSameResult(const ConversionResult& sweep, const ConversionResult& separate) {
    for (int c = 0; c < 3; ++c) {
        EXPECT_TRUE(SameBits(sweep.KeptPercent[c], separate.KeptPercent[c]))
            << "kept percentage of channel " << c << ": " << sweep.KeptPercent[c] << " against "
            << separate.KeptPercent[c];
    }
    EXPECT_TRUE(SameBits(sweep.MeanKeptPercent, separate.MeanKeptPercent))
        << sweep.MeanKeptPercent << " against " << separate.MeanKeptPercent;
    EXPECT_TRUE(SameBits(sweep.Quality.Mse, separate.Quality.Mse));
    EXPECT_TRUE(SameBits(sweep.Quality.PsnrDb, separate.Quality.PsnrDb));
    EXPECT_EQ(sweep.Quality.MaxError, separate.Quality.MaxError);
    ASSERT_EQ(sweep.Quality.Ssim.has_value(), separate.Quality.Ssim.has_value());
    if (sweep.Quality.Ssim) {
        EXPECT_TRUE(SameBits(*sweep.Quality.Ssim, *separate.Quality.Ssim));
    }
    EXPECT_EQ(sweep.Pixels, separate.Pixels);
    EXPECT_EQ(sweep.ErrorMap, separate.ErrorMap);
    ASSERT_EQ(sweep.Tiles.size(), separate.Tiles.size());
    for (std::size_t i = 0; i < sweep.Tiles.size(); ++i) {
        EXPECT_TRUE(SameBits(sweep.Tiles[i].KeptPercent, separate.Tiles[i].KeptPercent))
            << "tile " << i;
        EXPECT_TRUE(SameBits(sweep.Tiles[i].Mse, separate.Tiles[i].Mse)) << "tile " << i;
    }
    EXPECT_EQ(sweep.Settings.ErrorFraction, separate.Settings.ErrorFraction);
    EXPECT_EQ(sweep.Settings.Order, separate.Settings.Order);
    EXPECT_EQ(sweep.RegionWidth, separate.RegionWidth);
    EXPECT_EQ(sweep.RegionHeight, separate.RegionHeight);
}

// Tile count, colour correction, threads.
using Params = std::tuple<int, bool, int>;

class SweepEqualsSeparateConversions : public testing::TestWithParam<Params> {};

} // namespace

TEST_P(SweepEqualsSeparateConversions, ForEveryKindAndError) {
    const auto [tiles, correction, jobs] = GetParam();
    SweepSettings settings;
    settings.Side = Side;
    settings.TileCount = tiles;
    // 0 keeps everything; at 100 most walks never stop and the carried percentage decides.
    settings.ErrorPercents = {0.0, 0.1, 5.0, 35.0, 100.0};
    settings.ColorCorrection = correction;
    settings.KeepPixels = true;
    const std::vector<SweepPoint> points = Sweep(settings).Run(View(), jobs);
    ASSERT_EQ(points.size(), AllKinds().size() * settings.ErrorPercents.size());

    std::size_t at = 0;
    for (TransformKind kind : AllKinds()) {
        for (double percent : settings.ErrorPercents) {
            const SweepPoint& point = points[at++];
            SCOPED_TRACE(std::string(Describe(kind).Caption) + ", " + std::to_string(tiles) +
                         " tiles, error " + std::to_string(percent) + " %, correction " +
                         (correction ? "on" : "off") + ", " + std::to_string(jobs) + " threads");
            ASSERT_EQ(point.Kind, kind);
            ASSERT_EQ(point.ErrorPercent(), percent);
            ConversionSettings s;
            s.Side = Side;
            s.TileCount = tiles;
            s.ErrorFraction = ErrorFractionOfPercent(percent);
            s.ColorCorrection = correction;
            ExpectSameResult(point.Result, ConvertImage(View(), kind, s, 1));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(TileCountsCorrectionThreads, SweepEqualsSeparateConversions,
                         testing::Combine(testing::Values(1, 2, 8), testing::Bool(),
                                          testing::Values(1, 2)),
                         [](const testing::TestParamInfo<Params>& info) {
                             return std::to_string(std::get<0>(info.param)) + "tiles_" +
                                    (std::get<1>(info.param) ? "corrected" : "uncorrected") + "_" +
                                    std::to_string(std::get<2>(info.param)) + "threads";
                         });

TEST(Sweep, KeepsWhatLiesBeyondTheLastWholeTile) {
    // Five tiles of 8 cover 40 of the 44 columns and rows; the image ends at row 40.
    const std::vector<std::uint32_t> pixels = TestImage(47, 40, 3);
    const RgbView image{pixels.data(), 47, 40, 47};
    SweepSettings settings;
    settings.Side = 44;
    settings.TileCount = 5;
    settings.ErrorPercents = {0.0, 20.0};
    settings.ColorCorrection = true;
    settings.KeepPixels = true;
    const std::vector<SweepPoint> points = Sweep(settings).Run(image, 2);
    ASSERT_EQ(points.size(), 12u);
    for (const SweepPoint& point : points) {
        SCOPED_TRACE(std::string(Describe(point.Kind).Caption) + ", error " +
                     std::to_string(point.ErrorPercent()) + " %");
        ConversionSettings s;
        s.Side = 44;
        s.TileCount = 5;
        s.SetErrorPercent(point.ErrorPercent());
        s.ColorCorrection = true;
        ExpectSameResult(point.Result, ConvertImage(image, point.Kind, s, 1));
    }
}

// With the options, the sweep still gives every point the figures of a separate conversion,
// and the options reach the result.
TEST(Sweep, EqualsSeparateConversionsWithTheOptions) {
    const std::vector<TransformOptions> optionSets = {
        {DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Error},
        {DctScaling::Plain, 2, KeepRule::Kept},
        {DctScaling::Orthonormal, PageLevels, KeepRule::Kept}};
    for (const TransformOptions& options : optionSets) {
        SweepSettings settings;
        settings.Side = Side;
        settings.TileCount = 2;
        settings.ErrorPercents = {1.0, 10.0, 50.0};
        settings.Options = options;
        settings.KeepPixels = true;
        const std::vector<SweepPoint> points = Sweep(settings).Run(View(), 2);
        for (const SweepPoint& point : points) {
            SCOPED_TRACE(std::string(Describe(point.Kind).Caption) + ", " +
                         ScalingName(options.Scaling) + ", levels " + LevelsName(options.Levels) +
                         ", rule " + RuleName(options.Rule) + ", " +
                         std::to_string(point.ErrorPercent()) + " %");
            EXPECT_EQ(point.Result.Settings.Options, options);
            ConversionSettings s;
            s.Side = Side;
            s.TileCount = 2;
            s.SetErrorPercent(point.ErrorPercent());
            s.Options = options;
            ExpectSameResult(point.Result, ConvertImage(View(), point.Kind, s, 1));
        }
    }
}

TEST(Sweep, TheCarriedPercentageMattersAtTheLargestError) {
    // Without this the comparison above could not tell a sweep that starts every point from 0
    // from one that carries the previous point's figure along.
    bool matters = false;
    for (TransformKind kind : AllKinds()) {
        ConversionSettings s;
        s.Side = Side;
        s.TileCount = 1;
        s.ErrorFraction = 1.0;
        s.Order = Describe(kind).Order();
        PageConversion conversion(s, Width, Height);
        conversion.Read(View());
        const auto transform = MakeTransform(kind);
        transform->KeptPercent = 37.5;
        Transform* transforms[] = {transform.get()};
        conversion.Run(transforms);
        const double fresh = ConvertImage(View(), kind, s, 1).KeptPercent[0];
        matters = matters || !SameBits(conversion.KeptPercent(0), fresh);
    }
    EXPECT_TRUE(matters);
}

TEST(Sweep, DeliversPointsInTheirOrderOnTheCallingThread) {
    SweepSettings settings;
    settings.Side = 32;
    settings.TileCount = 4;
    settings.Kinds = {TransformKind::Haar2D, TransformKind::Dct1D, TransformKind::D4_2D};
    settings.ErrorPercents = {5.0, 0.0, 100.0, 0.25, 20.0};
    for (std::size_t jobs : {1u, 2u, 3u, 8u}) {
        std::vector<std::pair<TransformKind, double>> seen;
        std::vector<std::size_t> done;
        bool elsewhere = false;
        const auto caller = std::this_thread::get_id();
        Sweep(settings).Run(View(), jobs,
                            [&](SweepPoint&& point, std::size_t d, std::size_t total) {
                                seen.emplace_back(point.Kind, point.ErrorPercent());
                                done.push_back(d);
                                elsewhere = elsewhere || std::this_thread::get_id() != caller;
                                EXPECT_EQ(total, 15u);
                            });
        std::vector<std::pair<TransformKind, double>> expected;
        for (TransformKind kind : settings.Kinds) {
            for (double percent : settings.ErrorPercents) {
                expected.emplace_back(kind, percent);
            }
        }
        EXPECT_EQ(seen, expected) << jobs << " threads";
        for (std::size_t i = 0; i < done.size(); ++i) {
            EXPECT_EQ(done[i], i + 1) << jobs << " threads";
        }
        EXPECT_FALSE(elsewhere) << jobs << " threads";
    }
}

TEST(Sweep, KeepsPixelsOnlyWhenAsked) {
    SweepSettings settings;
    settings.Side = 32;
    settings.Kinds = {TransformKind::Dct2D};
    settings.ErrorPercents = {10.0};
    const std::vector<SweepPoint> points = Sweep(settings).Run(View(), 1);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_TRUE(points[0].Result.Pixels.empty());
    EXPECT_TRUE(points[0].Result.ErrorMap.empty());
    EXPECT_GT(points[0].Result.Quality.Mse, 0.0);
}

TEST(Sweep, StopsWhenAsked) {
    SweepSettings settings;
    settings.Side = Side;
    settings.TileCount = 8;
    for (std::size_t jobs : {1u, 2u}) {
        std::atomic<bool> cancel{false};
        std::size_t delivered = 0;
        EXPECT_THROW(Sweep(settings).Run(
                         View(), jobs,
                         [&](SweepPoint&&, std::size_t, std::size_t) {
                             ++delivered;
                             cancel = true;
                         },
                         &cancel),
                     ConversionCancelled)
            << jobs << " threads";
        // The points already under way when the flag is seen are not handed out.
        EXPECT_EQ(delivered, 1u) << jobs << " threads";

        std::atomic<bool> stopped{true};
        EXPECT_THROW(Sweep(settings).Run(View(), jobs, &stopped), ConversionCancelled)
            << jobs << " threads";
    }
}

TEST(Sweep, RefusesSettingsWithNothingToConvert) {
    const auto refused = [](auto change) {
        SweepSettings settings;
        change(settings);
        EXPECT_THROW(Sweep{settings}, std::invalid_argument);
    };
    refused([](SweepSettings& s) { s.Kinds.clear(); });
    refused([](SweepSettings& s) { s.Kinds = {static_cast<TransformKind>(6)}; });
    refused([](SweepSettings& s) { s.ErrorPercents.clear(); });
    refused([](SweepSettings& s) { s.ErrorPercents = {5.0, -1.0}; });
    refused([](SweepSettings& s) { s.ErrorPercents = {std::numeric_limits<double>::quiet_NaN()}; });
    refused([](SweepSettings& s) { s.ErrorPercents = {std::numeric_limits<double>::infinity()}; });
    refused([](SweepSettings& s) { s.Side = 0; });
    refused([](SweepSettings& s) { s.TileCount = 0; });
    refused([](SweepSettings& s) {
        s.Side = 16;
        s.TileCount = 32;
    });
}
