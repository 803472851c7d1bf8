#include "BestPerTile.h"
#include "ConvertImage.h"
#include "Quality.h"
#include "Sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <vector>

namespace {

// A smooth sky above and left, hard edges and noise below and right: tiles that different
// transforms win. Wider than the side and not as high, so the region is cut on two sides.
constexpr int Width = 70;
constexpr int Height = 50;
constexpr int Side = 64;

std::vector<std::uint32_t> Picture() {
    std::mt19937 generator(7);
    std::uniform_int_distribution<int> noise(-20, 20);
    std::vector<std::uint32_t> pixels(std::size_t(Width) * Height);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const bool rough = x > 30 && y > 20;
            const int base = rough ? ((x / 4 + y / 3) % 2 ? 230 : 20) + noise(generator)
                                   : int(90 + 60 * std::sin(0.05 * x + 0.03 * y));
            const auto v = std::uint32_t(std::clamp(base, 0, 255));
            pixels[std::size_t(y) * Width + x] =
                0xFF000000u | v << 16 | std::uint32_t(std::clamp(base / 2 + 40, 0, 255)) << 8 |
                std::uint32_t(255 - v);
        }
    }
    return pixels;
}

std::vector<ConversionResult> SixConversions(const RgbView& view, int tiles, double percent,
                                             const TransformOptions& options) {
    std::vector<ConversionResult> results;
    for (const TransformKindInfo& kind : TransformKinds()) {
        ConversionSettings s;
        s.Side = Side;
        s.TileCount = tiles;
        s.SetErrorPercent(percent);
        s.Options = options;
        results.push_back(ConvertImage(view, kind.Kind, s, 2));
    }
    return results;
}

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

} // namespace

TEST(BestPerTile, OneConversionEverywhereIsThatConversionToTheBit) {
    const std::vector<std::uint32_t> pixels = Picture();
    const RgbView view{pixels.data(), Width, Height, Width};
    const std::vector<ConversionResult> six = SixConversions(view, 4, 5.0, {});
    for (std::size_t k = 0; k < six.size(); ++k) {
        const std::vector<ConversionResult> same(6, six[k]);
        const std::vector<std::size_t> winners = TileWinners(same);
        EXPECT_TRUE(std::all_of(winners.begin(), winners.end(), [](auto w) { return w == 0; }));
        const ConversionResult best = ComposeBestPerTile(same, winners, view);
        EXPECT_EQ(best.Pixels, six[k].Pixels) << "kind " << k;
        EXPECT_EQ(best.ErrorMap, six[k].ErrorMap) << "kind " << k;
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_TRUE(SameBits(best.KeptPercent[c], six[k].KeptPercent[c])) << "kind " << k;
        }
        EXPECT_TRUE(SameBits(best.MeanKeptPercent, six[k].MeanKeptPercent)) << "kind " << k;
        EXPECT_TRUE(SameBits(best.Quality.Mse, six[k].Quality.Mse)) << "kind " << k;
        EXPECT_EQ(best.Quality.Ssim, six[k].Quality.Ssim) << "kind " << k;
    }
}

class BestPerTileRules : public ::testing::TestWithParam<std::tuple<KeepRule, int, double>> {};

TEST_P(BestPerTileRules, EachTileHoldsItsWinnerAndTheFiguresAddUp) {
    // Named, not bound: the lambda below takes rule.
    const KeepRule rule = std::get<0>(GetParam());
    const int tiles = std::get<1>(GetParam());
    const double percent = std::get<2>(GetParam());
    const std::vector<std::uint32_t> pixels = Picture();
    const RgbView view{pixels.data(), Width, Height, Width};
    TransformOptions options{DctScaling::Orthonormal, AllWaveletLevels, rule};
    const std::vector<ConversionResult> six = SixConversions(view, tiles, percent, options);
    const std::vector<std::size_t> winners = TileWinners(six);
    const ConversionResult best = ComposeBestPerTile(six, winners, view);
    const int side = Side / tiles;
    std::vector<int> won(6, 0);
    for (int t = 0; t < tiles * tiles; ++t) {
        const std::size_t w = winners[t];
        ++won[w];
        // Nobody beats the winner by the rule, and an equal one comes later in page order.
        for (std::size_t k = 0; k < six.size(); ++k) {
            const TileFigures& a = six[k].Tiles[t];
            const TileFigures& b = six[w].Tiles[t];
            const auto key = [&](const TileFigures& f) {
                return rule == KeepRule::Kept ? std::pair(0.0, f.SquaredErrors)
                                              : std::pair(f.KeptPercent, f.SquaredErrors);
            };
            EXPECT_TRUE(key(b) < key(a) || (key(a) == key(b) && w <= k))
                << "tile " << t << " winner " << w << " against " << k << " tiles " << tiles
                << " percent " << percent;
        }
        // The tile's pixels inside the region are the winner's.
        for (int y = (t / tiles) * side; y < std::min(Height, (t / tiles + 1) * side); ++y) {
            for (int x = (t % tiles) * side; x < std::min(Width, (t % tiles + 1) * side); ++x) {
                const std::size_t i = std::size_t(y) * std::min(Width, Side) + x;
                ASSERT_EQ(best.Pixels[i], six[w].Pixels[i])
                    << "tile " << t << " x " << x << " y " << y;
            }
        }
    }
    // Tiles of the sky and of the edges do not all go the same way.
    EXPECT_LT(*std::max_element(won.begin(), won.end()), tiles * tiles) << "tiles " << tiles;

    // The MSE from the composed pixels, summed here in long double, and from the tiles' sums.
    const int w = std::min(Width, Side);
    const int h = std::min(Height, Side);
    long double squares = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t a = pixels[std::size_t(y) * Width + x];
            const std::uint32_t b = best.Pixels[std::size_t(y) * w + x];
            for (int shift : {16, 8, 0}) {
                const long double d = int(a >> shift & 0xFF) - int(b >> shift & 0xFF);
                squares += d * d;
            }
        }
    }
    const double mse = static_cast<double>(squares / (3.0L * w * h));
    EXPECT_DOUBLE_EQ(best.Quality.Mse, mse);
    const BestPerTileFigures figures = BestFigures(six, winners);
    EXPECT_TRUE(SameBits(figures.Mse, best.Quality.Mse));
    EXPECT_TRUE(SameBits(figures.MeanKeptPercent, best.MeanKeptPercent));
    for (std::size_t c = 0; c < 3; ++c) {
        long double kept = 0;
        for (int t = 0; t < tiles * tiles; ++t) {
            kept += six[winners[t]].Tiles[t].ChannelKept[c];
        }
        EXPECT_NEAR(best.KeptPercent[c], static_cast<double>(kept / (tiles * tiles)), 1e-12);
    }
    if (rule == KeepRule::Kept) {
        EXPECT_NEAR(best.MeanKeptPercent, six[0].MeanKeptPercent, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(RulesTilesErrors, BestPerTileRules,
                         ::testing::Combine(::testing::Values(KeepRule::Error, KeepRule::Kept),
                                            ::testing::Values(4, 8), ::testing::Values(2.0, 10.0)));

TEST(BestPerTile, RefusesConversionsOfDifferentSettings) {
    const std::vector<std::uint32_t> pixels = Picture();
    const RgbView view{pixels.data(), Width, Height, Width};
    std::vector<ConversionResult> six = SixConversions(view, 4, 5.0, {});
    six[3] = SixConversions(view, 4, 6.0, {})[3];
    EXPECT_THROW(TileWinners(six), std::invalid_argument);
    EXPECT_THROW(TileWinners({}), std::invalid_argument);
    six = SixConversions(view, 4, 5.0, {});
    EXPECT_THROW(ComposeBestPerTile(six, std::vector<std::size_t>(15, 0), view),
                 std::invalid_argument);
    EXPECT_THROW(ComposeBestPerTile(six, std::vector<std::size_t>(16, 6), view),
                 std::invalid_argument);
}

TEST(BestPerTile, TheSweepsCurveIsTheSeparateConversionsBest) {
    const std::vector<std::uint32_t> pixels = Picture();
    const RgbView view{pixels.data(), Width, Height, Width};
    SweepSettings settings;
    settings.Side = Side;
    settings.TileCount = 4;
    settings.ErrorPercents = {1.0, 5.0, 20.0};
    std::vector<SweepPoint> points = Sweep(settings).Run(view, 2);
    const auto curve = BestPerTileCurve(points, settings);
    ASSERT_EQ(curve.size(), 3u);
    for (std::size_t e = 0; e < curve.size(); ++e) {
        const std::vector<ConversionResult> six =
            SixConversions(view, 4, settings.ErrorPercents[e], {});
        const BestPerTileFigures expected = BestFigures(six, TileWinners(six));
        ASSERT_TRUE(curve[e]) << "error " << settings.ErrorPercents[e];
        EXPECT_TRUE(SameBits(curve[e]->MeanKeptPercent, expected.MeanKeptPercent));
        EXPECT_TRUE(SameBits(curve[e]->PsnrDb, expected.PsnrDb));
    }
    // A point missing leaves its error out, and only that one.
    points.erase(points.begin() + 4); // D4 1D at 5 %
    const auto partial = BestPerTileCurve(points, settings);
    EXPECT_TRUE(partial[0] && !partial[1] && partial[2]);
}
