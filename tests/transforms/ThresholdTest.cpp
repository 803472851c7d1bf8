#include "HaarDWT.h"
#include "Transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <stdexcept>
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

// The thresholding rule written out plainly, step by step: magnitudes, total in array order,
// a descending std::sort, the walk from the smallest up with a square root and a division at
// every step, the cut.
void NaiveThreshold(std::vector<double>& data, double x, double& keptPercent) {
    const std::size_t count = data.size();
    std::vector<double> magnitude(count);
    double total = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        magnitude[i] = std::fabs(data[i]);
        total += magnitude[i] * magnitude[i];
    }
    if (total == 0.0) {
        keptPercent = 0.0;
        return;
    }
    const double rootTotal = std::sqrt(total);
    std::sort(magnitude.begin(), magnitude.end(), std::greater<>());
    double cut = magnitude[0];
    double partial = 0.0;
    for (std::size_t k = count; k-- > 0;) {
        partial += magnitude[k] * magnitude[k];
        if (std::sqrt(partial) / rootTotal >= x) {
            cut = magnitude[k];
            keptPercent = static_cast<double>(k) * 100.0 / static_cast<double>(count);
            break;
        }
    }
    for (double& v : data) {
        if (std::fabs(v) < cut) {
            v = 0.0;
        }
    }
}

// Threshold gives the same bits as the plain rule, both for the coefficients and for
// KeptPercent (including when it is left from the call before).
void ExpectPlainRule(const std::vector<double>& tile, std::uint32_t n, double x) {
    std::vector<double> expected = tile;
    double expectedKept = 33.0;
    NaiveThreshold(expected, x, expectedKept);
    std::vector<double> actual = tile;
    Tested transform;
    transform.KeptPercent = 33.0;
    transform.Threshold(actual.data(), n, x);
    ASSERT_EQ(Bits(actual), Bits(expected));
    ASSERT_EQ(std::bit_cast<std::uint64_t>(transform.KeptPercent),
              std::bit_cast<std::uint64_t>(expectedKept));
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
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> value(-300.0, 300.0);
    for (std::uint32_t n : {8u, 256u}) {
        SCOPED_TRACE(::testing::Message() << "side " << n);
        std::vector<double> data(std::size_t{n} * n);
        for (double& v : data) {
            v = value(random);
        }
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
    std::vector<double> large(64 * 64);
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<double>(i % 97) - 48.0;
    }
    large[100] = nan;
    std::vector<double> original = large;
    transform.Threshold(large.data(), 64, 0.5);
    EXPECT_EQ(Bits(large), Bits(original));
    EXPECT_EQ(transform.KeptPercent, 12.5);
}

// Random tiles of several kinds at many error fractions: the same bits as the plain rule, both
// for the coefficients and for KeptPercent (including when it is left from the call before).
TEST(ThresholdTest, MatchesPlainRuleBitForBit) {
    std::mt19937_64 random(2024);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_int_distribution<int> small(-3, 3);
    std::uniform_real_distribution<double> exponent(-40.0, 20.0);
    const std::vector<double> fractions{-0.1, 0.0,      1e-9, 1e-4, 0.001, 0.01, 0.03,
                                        0.05, 0.1,      0.2,  0.35, 0.5,   0.75, 0.9,
                                        0.99, 0.999999, 1.0,  1.01, 2.0};
    for (std::uint32_t n : {1u, 2u, 4u, 8u, 16u, 32u, 64u, 128u}) {
        for (int kind = 0; kind < 4; ++kind) {
            std::vector<double> tile(std::size_t{n} * n);
            for (double& v : tile) {
                switch (kind) {
                case 0: // spread like transform coefficients of an image
                    v = normal(random) * std::exp2(exponent(random));
                    break;
                case 1: // many ties and signed zeros
                    v = small(random) == 0 ? -0.0 : small(random) * 0.5;
                    break;
                case 2: // integers, one dominant value
                    v = small(random);
                    break;
                default: // plain normal values
                    v = normal(random) * 100.0;
                }
            }
            if (kind == 2) {
                tile[0] = 1e6;
            }
            for (double x : fractions) {
                SCOPED_TRACE(::testing::Message()
                             << "side " << n << " kind " << kind << " x " << x);
                ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(tile, n, x));
            }
        }
    }
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

} // namespace

// Wavelet coefficients of whole-number pixels come in clusters of nearly equal values: multiples
// of a power of two apart from rounding in their last bits, on both sides of the multiple.
TEST(ThresholdTest, NearlyEqualClustersMatchPlainRuleBitForBit) {
    std::mt19937_64 random(99);
    std::uniform_int_distribution<int> level(0, 6);
    for (std::uint32_t n : {4u, 8u, 16u, 64u, 256u}) {
        // Many small clusters, on large tiles few of thousands of values, or a single one
        // (spread 2 and 50: about 3.0 give or take a few units); the rounding over 2 to 11 bits.
        for (int spread : {2, 50, 3, 100, 300, 1000}) {
            const int multiples = spread < 3 || spread == 50 ? 0 : n >= 64 ? 6 : 40;
            std::uniform_int_distribution<int> multiple(-multiples, multiples);
            std::uniform_int_distribution<std::int64_t> units(-spread, spread);
            std::vector<double> tile(std::size_t{n} * n);
            for (double& v : tile) {
                // The single centre lies clear of a power of two, so that its values share
                // all but their last bits.
                const double centre =
                    multiples == 0 ? std::bit_cast<double>(std::uint64_t{0x4008'0000'0000'1040})
                                   : std::ldexp(multiple(random), -level(random));
                const auto bits = static_cast<std::int64_t>(std::bit_cast<std::uint64_t>(centre));
                v = centre == 0.0
                        ? 0.0
                        : std::bit_cast<double>(static_cast<std::uint64_t>(bits + units(random)));
            }
            for (double x : {0.001, 0.05, 0.3, 0.9, 2.0}) {
                SCOPED_TRACE(::testing::Message()
                             << "side " << n << " spread " << spread << " x " << x);
                ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(tile, n, x));
            }
        }
    }
}

// Tiles of 4 Mi values are sorted a range of magnitudes at a time; a range can be one value
// repeated past the range size (ties) or hold more than the range size of different values in
// one narrow band, and the walk can cross several ranges, stop in the last one or never stop. The
// plain rule's sort is shared by the error fractions of one tile.
TEST(ThresholdTest, LargestTilesMatchPlainRuleBitForBit) {
    constexpr std::uint32_t N = 2048;
    std::mt19937_64 random(77);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_int_distribution<int> small(-3, 3);
    std::uniform_real_distribution<double> exponent(-40.0, 20.0);
    // Kind 2 puts every value in one narrow band just above 1, all of them different.
    std::uniform_int_distribution<std::uint64_t> lowBits(0, (std::uint64_t{1} << 40) - 1);
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<double> tile(std::size_t{N} * N);
        for (double& v : tile) {
            switch (kind) {
            case 0:
                v = normal(random) * std::exp2(exponent(random));
                break;
            case 1:
                v = small(random) * 0.5;
                break;
            default:
                v = std::bit_cast<double>(std::bit_cast<std::uint64_t>(1.0) + lowBits(random));
            }
        }
        std::vector<double> magnitude(tile.size());
        double total = 0.0;
        for (std::size_t i = 0; i < tile.size(); ++i) {
            magnitude[i] = std::fabs(tile[i]);
            total += magnitude[i] * magnitude[i];
        }
        std::sort(magnitude.begin(), magnitude.end(), std::greater<>());
        const double rootTotal = std::sqrt(total);
        for (double x : {0.001, 0.05, 0.4, 0.999999, 2.0}) {
            SCOPED_TRACE(::testing::Message() << "side " << N << " kind " << kind << " x " << x);
            double cut = magnitude[0];
            double expectedKept = 33.0;
            double partial = 0.0;
            for (std::size_t k = magnitude.size(); k-- > 0;) {
                partial += magnitude[k] * magnitude[k];
                if (std::sqrt(partial) / rootTotal >= x) {
                    cut = magnitude[k];
                    expectedKept = static_cast<double>(k) * 100.0 / static_cast<double>(N * N);
                    break;
                }
            }
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

// The walk can be placed without sorting everything, but only when no partial sum lies within
// rounding of the least passing one. Error fractions equal to the walk's own ratios, and one unit
// either side, put the stop right on such a sum; tiles scaled to the largest and to subnormal
// squares test the edges of the arithmetic.
TEST(ThresholdTest, StopsOnTheWalksOwnRatiosMatchPlainRule) {
    std::mt19937_64 random(31);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_int_distribution<int> small(-3, 3);
    std::uniform_int_distribution<int> units(-40, 40);
    for (std::uint32_t n : {32u, 64u, 256u}) {
        for (int kind = 0; kind < 3; ++kind) {
            for (int scale : {0, 500, -560}) {
                std::vector<double> tile(std::size_t{n} * n);
                for (double& v : tile) {
                    switch (kind) {
                    case 0:
                        v = normal(random) * 50.0;
                        break;
                    case 1:
                        v = small(random) * 0.75;
                        break;
                    default: // nearly equal values around 3
                        v = std::bit_cast<double>(std::bit_cast<std::uint64_t>(3.0) +
                                                  static_cast<std::uint64_t>(units(random) + 40));
                    }
                    v = std::ldexp(v, scale);
                }
                std::vector<double> magnitude(tile.size());
                double total = 0.0;
                for (std::size_t i = 0; i < tile.size(); ++i) {
                    magnitude[i] = std::fabs(tile[i]);
                    total += magnitude[i] * magnitude[i];
                }
                std::sort(magnitude.begin(), magnitude.end());
                double partial = 0.0;
                std::vector<double> ratios;
                for (std::size_t k = 0; k < magnitude.size(); ++k) {
                    partial += magnitude[k] * magnitude[k];
                    ratios.push_back(std::sqrt(partial) / std::sqrt(total));
                }
                for (std::size_t position : {std::size_t{0}, tile.size() / 100, tile.size() / 3,
                                             tile.size() * 9 / 10, tile.size() - 2}) {
                    const double ratio = ratios[position];
                    if (std::isnan(ratio)) {
                        continue; // squares all below the subnormals: no energy at all
                    }
                    for (double x :
                         {ratio, std::nextafter(ratio, 0.0), std::nextafter(ratio, 2.0)}) {
                        SCOPED_TRACE(::testing::Message()
                                     << "side " << n << " kind " << kind << " scale 2^" << scale
                                     << " position " << position << " x " << x);
                        ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(tile, n, x));
                    }
                }
            }
        }
    }
}
