#include "HaarDWT.h"
#include "ReferenceTransforms.h"
#include "ThresholdTiles.h"
#include "Transform.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Threshold has no pure operations of its own to stand on, so any concrete class serves.
using Tested = HaarDWT;

std::vector<std::uint64_t> Bits(const std::vector<double>& values) {
    std::vector<std::uint64_t> bits;
    for (double v : values) {
        bits.push_back(std::bit_cast<std::uint64_t>(v));
    }
    return bits;
}

// Threshold gives the same bits as the plain rule, both for the coefficients and for
// KeptPercent (including when it is left from the call before).
void ExpectPlainRule(Transform& transform, const std::vector<double>& tile, std::uint32_t n,
                     double x) {
    std::vector<double> expected = tile;
    double expectedKept = 33.0;
    Reference::Threshold(expected, x, expectedKept);
    std::vector<double> actual = tile;
    transform.KeptPercent = 33.0;
    transform.Threshold(actual.data(), n, x);
    ASSERT_EQ(Bits(actual), Bits(expected));
    ASSERT_EQ(std::bit_cast<std::uint64_t>(transform.KeptPercent),
              std::bit_cast<std::uint64_t>(expectedKept));
}

void ExpectPlainRule(const std::vector<double>& tile, std::uint32_t n, double x) {
    Tested transform;
    ExpectPlainRule(transform, tile, n, x);
}

std::string SideName(const ::testing::TestParamInfo<std::uint32_t>& info) {
    return "side" + std::to_string(info.param);
}

struct Case {
    std::vector<double> Data;
    double X;
    std::vector<double> Expected;
    double Kept;
};

TEST(ThresholdTest, SmallTileFromTheRule) {
    const std::vector<double> tile{3, -4, 0, 1};
    const Case cases[] = {
        {tile, 0.0, tile, 75.0},
        {tile, 0.19, tile, 50.0},
        {tile, 0.2, {3, -4, 0, 0}, 25.0},
        {tile, 1.0, {0, -4, 0, 0}, 0.0},
        {tile, -0.5, tile, 75.0},
        {{2, 2, 2, 2}, 0.4, {2, 2, 2, 2}, 75.0},
        {{0, 0, -7.5, 0}, 0.3, {0, 0, -7.5, 0}, 0.0},
        {{0, 0, -7.5, 0}, 1.0, {0, 0, -7.5, 0}, 0.0},
        {{-1, 5, -0.0, 0}, 0.5, {0, 5, 0, 0}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "x " << c.X << " first value " << c.Data[0]);
        Tested transform;
        transform.KeptPercent = -1.0;
        std::vector<double> data = c.Data;
        transform.Threshold(data.data(), 2, c.X);
        EXPECT_EQ(Bits(data), Bits(c.Expected));
        EXPECT_EQ(transform.KeptPercent, c.Kept);
    }
}

TEST(ThresholdTest, ZeroErrorKeepsAllAndCountsAllButOne) {
    for (std::uint32_t n : {8u, 256u}) {
        SCOPED_TRACE(::testing::Message() << "side " << n);
        std::vector<double> data = ThresholdTile(std::size_t{n} * n, {TileKind::Normal}, 7);
        const std::vector<double> original = data;
        Tested transform;
        transform.Threshold(data.data(), n, 0.0);
        EXPECT_EQ(Bits(data), Bits(original));
        EXPECT_EQ(transform.KeptPercent, n == 8 ? 98.4375 : 99.99847412109375);
    }
}

TEST(ThresholdTest, ZeroEnergyResetsKeptPercent) {
    Tested transform;
    transform.KeptPercent = 42.0;
    std::vector<double> zeros{0.0, -0.0, 0.0, 0.0};
    transform.Threshold(zeros.data(), 2, 0.5);
    EXPECT_EQ(Bits(zeros), Bits({0.0, -0.0, 0.0, 0.0}));
    EXPECT_EQ(transform.KeptPercent, 0.0);

    transform.KeptPercent = 42.0;
    transform.Threshold(nullptr, 0, 0.5);
    EXPECT_EQ(transform.KeptPercent, 0.0);
}

TEST(ThresholdTest, WalkWithoutStopLeavesKeptPercent) {
    Tested transform;
    transform.KeptPercent = 75.0;
    // Summed in array order the energy rounds above its ascending sum, so even at the largest
    // magnitude the ratio stays just below 1.
    std::vector<double> data{2.395317, 0.35705, 0.249702, 0.754145};
    transform.Threshold(data.data(), 2, 1.0);
    EXPECT_EQ(Bits(data), Bits({2.395317, 0.0, 0.0, 0.0}));
    EXPECT_EQ(transform.KeptPercent, 75.0);

    std::vector<double> above{3, -4, 0, 1};
    transform.Threshold(above.data(), 2, 1.5);
    EXPECT_EQ(Bits(above), Bits({0.0, -4.0, 0.0, 0.0}));
    EXPECT_EQ(transform.KeptPercent, 75.0);
}

TEST(ThresholdTest, NanErrorFractionThrowsAndChangesNothing) {
    Tested transform;
    transform.KeptPercent = 12.5;
    std::vector<double> data{3, -4, 0, 1};
    EXPECT_THROW(transform.Threshold(data.data(), 2, std::numeric_limits<double>::quiet_NaN()),
                 std::invalid_argument);
    EXPECT_EQ(Bits(data), Bits({3, -4, 0, 1}));
    EXPECT_EQ(transform.KeptPercent, 12.5);
}

TEST(ThresholdTest, NanCoefficientSurvivesAndStopsNothing) {
    Tested transform;
    transform.KeptPercent = 12.5;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> data{1, nan, -2, 3};
    transform.Threshold(data.data(), 2, 0.5);
    EXPECT_EQ(data[0], 1.0);
    EXPECT_TRUE(std::isnan(data[1]));
    EXPECT_EQ(data[2], -2.0);
    EXPECT_EQ(data[3], 3.0);
    EXPECT_EQ(transform.KeptPercent, 12.5);

    // A larger tile: no coefficient ranks above the NaN, so none is below the cut either.
    std::vector<double> large = ThresholdTile(64 * 64, {TileKind::WithNaN}, 100);
    std::vector<double> original = large;
    transform.Threshold(large.data(), 64, 0.5);
    EXPECT_EQ(Bits(large), Bits(original));
    EXPECT_EQ(transform.KeptPercent, 12.5);
}

TEST(WriteCoefficientsTest, TabAfterEveryValueInTheStreamsFormat) {
    Tested transform;
    const double values[] = {1.5, -2.0, 0.25};
    std::ostringstream plain;
    transform.WriteCoefficients(values, 3, plain);
    EXPECT_EQ(plain.str(), "1.5\t-2\t0.25\t");

    std::ostringstream fixed;
    fixed.setf(std::ios::fixed);
    fixed.precision(2);
    transform.WriteCoefficients(values, 3, fixed);
    EXPECT_EQ(fixed.str(), "1.50\t-2.00\t0.25\t");

    std::ostringstream none;
    transform.WriteCoefficients(values, 0, none);
    EXPECT_EQ(none.str(), "");
}

class ThresholdSidesTest : public ::testing::TestWithParam<std::uint32_t> {};

// Random tiles of several kinds at many error fractions: the same bits as the plain rule, both
// for the coefficients and for KeptPercent (including when it is left from the call before).
TEST_P(ThresholdSidesTest, MatchesPlainRuleBitForBit) {
    const std::uint32_t n = GetParam();
    const std::vector<double> fractions{-0.1, 0.0,      1e-9, 1e-4, 0.001, 0.01, 0.03,
                                        0.05, 0.1,      0.2,  0.35, 0.5,   0.75, 0.9,
                                        0.99, 0.999999, 1.0,  1.01, 2.0};
    for (TileKind kind : {TileKind::Spread, TileKind::Ties, TileKind::Integers, TileKind::Normal}) {
        const TileRecipe recipe{kind};
        const std::vector<double> tile =
            ThresholdTile(std::size_t{n} * n, recipe, n * 17 + static_cast<unsigned>(kind));
        for (double x : fractions) {
            SCOPED_TRACE(::testing::Message()
                         << "side " << n << " tile " << Describe(recipe) << " x " << x);
            ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(tile, n, x));
        }
    }
}

// Wavelet coefficients of whole-number pixels come in clusters of nearly equal values: multiples
// of a power of two apart from rounding in their last bits, on both sides of the multiple.
TEST_P(ThresholdSidesTest, NearlyEqualClustersMatchPlainRuleBitForBit) {
    const std::uint32_t n = GetParam();
    // Many small clusters, on large tiles few of thousands of values, or a single one
    // (spread 2 and 50: about 3.0 give or take a few units); the rounding over 2 to 11 bits.
    for (int spread : {2, 50, 3, 100, 300, 1000}) {
        const int multiples = spread < 3 || spread == 50 ? 0 : n >= 64 ? 6 : 40;
        const TileRecipe recipe{TileKind::Clusters, spread, multiples};
        const std::vector<double> tile = ThresholdTile(std::size_t{n} * n, recipe, n + 99);
        for (double x : {0.001, 0.05, 0.3, 0.9, 2.0}) {
            SCOPED_TRACE(::testing::Message()
                         << "side " << n << " tile " << Describe(recipe) << " x " << x);
            ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(tile, n, x));
        }
    }
}

// Tiles of more than 16 values tally their exponents, and the tallies must start from zero on
// every call: an all-zero tile, which stops before any way of finding the stop runs, and then
// a tile with energy and zeros of its own, on one object.
TEST_P(ThresholdSidesTest, ZeroTileThenTileWithEnergyOnOneObject) {
    const std::uint32_t n = GetParam();
    const std::size_t count = std::size_t{n} * n;
    Tested transform;
    const std::vector<double> zeros(count, 0.0);
    const TileRecipe recipe{TileKind::Ties};
    const std::vector<double> tile = ThresholdTile(count, recipe, n + 5);
    for (double x : {0.05, 0.5}) {
        SCOPED_TRACE(::testing::Message() << "side " << n << " x " << x << ", zero tile");
        ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(transform, zeros, n, x));
        SCOPED_TRACE(::testing::Message() << "then tile " << Describe(recipe));
        ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(transform, tile, n, x));
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, ThresholdSidesTest,
                         ::testing::Values(1u, 2u, 4u, 5u, 8u, 16u, 32u, 64u, 128u, 256u),
                         SideName);

class ThresholdStopsTest : public ::testing::TestWithParam<std::uint32_t> {};

// The walk can be placed without sorting everything, but only when no partial sum lies within
// rounding of the least passing one. Error fractions equal to the walk's own ratios, and one unit
// either side, put the stop right on such a sum; tiles scaled to the largest and to subnormal
// squares test the edges of the arithmetic.
TEST_P(ThresholdStopsTest, StopsOnTheWalksOwnRatiosMatchPlainRule) {
    const std::uint32_t n = GetParam();
    for (const TileRecipe& shape : {TileRecipe{TileKind::Normal}, TileRecipe{TileKind::Ties},
                                    TileRecipe{TileKind::Clusters, 40, 0}}) {
        for (int scale : {0, 500, -560}) {
            TileRecipe recipe = shape;
            recipe.Scale = scale;
            const std::vector<double> tile =
                ThresholdTile(std::size_t{n} * n, recipe, n * 7 + static_cast<unsigned>(scale));
            const Reference::ThresholdRule rule(tile);
            for (std::size_t position : {std::size_t{0}, tile.size() / 100, tile.size() / 3,
                                         tile.size() * 9 / 10, tile.size() - 2}) {
                const double ratio = rule.Ratio(position);
                if (std::isnan(ratio)) {
                    continue; // squares all below the subnormals: no energy at all
                }
                for (double x : {ratio, std::nextafter(ratio, 0.0), std::nextafter(ratio, 2.0)}) {
                    SCOPED_TRACE(::testing::Message()
                                 << "side " << n << " tile " << Describe(recipe) << " position "
                                 << position << " x " << x);
                    ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(tile, n, x));
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, ThresholdStopsTest, ::testing::Values(32u, 64u, 256u), SideName);

// Tiles of 4 Mi values are sorted a range of magnitudes at a time; a range can be one value
// repeated past the range size (ties) or hold more than the range size of different values in
// one narrow band, and the walk can cross several ranges, stop in the last one or never stop. The
// plain rule's sort is shared by the error fractions of one tile.
TEST(ThresholdTest, LargestTilesMatchPlainRuleBitForBit) {
    constexpr std::uint32_t N = 2048;
    for (TileKind kind : {TileKind::Spread, TileKind::Ties, TileKind::NarrowBand}) {
        const TileRecipe recipe{kind};
        const std::vector<double> tile =
            ThresholdTile(std::size_t{N} * N, recipe, 77 + static_cast<unsigned>(kind));
        const Reference::ThresholdRule rule(tile);
        for (double x : {0.001, 0.05, 0.4, 0.999999, 2.0}) {
            SCOPED_TRACE(::testing::Message()
                         << "side " << N << " tile " << Describe(recipe) << " x " << x);
            double expectedKept = 33.0;
            const double cut = rule.Cut(x, expectedKept);
            std::vector<double> actual = tile;
            Tested transform;
            transform.KeptPercent = 33.0;
            transform.Threshold(actual.data(), N, x);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(transform.KeptPercent),
                      std::bit_cast<std::uint64_t>(expectedKept));
            for (std::size_t i = 0; i < tile.size(); ++i) {
                const double expected = std::fabs(tile[i]) < cut ? 0.0 : tile[i];
                ASSERT_EQ(std::bit_cast<std::uint64_t>(actual[i]),
                          std::bit_cast<std::uint64_t>(expected))
                    << "at " << i;
            }
        }
    }
}

// The largest tiles tally too: an all-zero one and then one with energy, on one object.
TEST(ThresholdTest, LargestZeroTileThenTileWithEnergyOnOneObject) {
    constexpr std::uint32_t N = 2048;
    constexpr std::size_t Count = std::size_t{N} * N;
    Tested transform;
    {
        SCOPED_TRACE(::testing::Message() << "side " << N << ", zero tile");
        ASSERT_NO_FATAL_FAILURE(
            ExpectPlainRule(transform, std::vector<double>(Count, 0.0), N, 0.3));
    }
    const TileRecipe recipe{TileKind::Ties};
    SCOPED_TRACE(::testing::Message() << "side " << N << ", then tile " << Describe(recipe));
    ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(transform, ThresholdTile(Count, recipe, 3), N, 0.3));
}

} // namespace
