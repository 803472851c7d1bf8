// The library against the literal reference in ReferenceTransforms: identical bits for every
// kernel, tile transform and threshold, at every power-of-two length the build can check in a
// few seconds.

#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"
#include "HaarDWT.h"
#include "HaarDWT2D.h"
#include "ReferenceTransforms.h"
#include "ThresholdTiles.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Unoptimised and sanitized builds run the literal reference slowly: they stop at 2^16 values.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
constexpr unsigned MaxLog = 22;
#else
constexpr unsigned MaxLog = 16;
#endif

// Values like transform inputs and outputs: mostly moderate, some tiny, some huge, some
// negative, a few signed zeros.
std::vector<double> RandomValues(std::size_t count, std::uint64_t variant) {
    std::mt19937_64 random(variant);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_int_distribution<int> kind(0, 99);
    std::uniform_real_distribution<double> exponent(-30.0, 30.0);
    std::vector<double> values(count);
    for (double& v : values) {
        const int k = kind(random);
        if (k == 0) {
            v = -0.0;
        } else if (k == 1) {
            v = 0.0;
        } else if (k < 10) {
            v = normal(random) * std::exp2(exponent(random));
        } else {
            v = normal(random) * 100.0;
        }
    }
    return values;
}

// Index of the first element whose bits differ, or -1.
std::int64_t FirstDifference(const std::vector<double>& actual,
                             const std::vector<double>& expected) {
    if (actual.size() != expected.size()) {
        return 0;
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (std::bit_cast<std::uint64_t>(actual[i]) != std::bit_cast<std::uint64_t>(expected[i])) {
            return static_cast<std::int64_t>(i);
        }
    }
    return -1;
}

std::string Describe(const std::vector<double>& actual, const std::vector<double>& expected) {
    const std::int64_t i = FirstDifference(actual, expected);
    if (i < 0) {
        return "identical";
    }
    const auto at = static_cast<std::size_t>(i);
    return "first difference at index " + std::to_string(i) + ": " + std::to_string(actual.at(at)) +
           " instead of " + std::to_string(expected.at(at));
}

class KernelExactnessTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(KernelExactnessTest, ComplexRealAndCosineKernelsMatchTheReference) {
    const unsigned log = GetParam();
    const std::uint32_t length = std::uint32_t{1} << log;
    // 1-based: element 0 is a guard that no kernel may touch.
    std::vector<double> input = RandomValues(std::size_t{length} + 1, log);
    input[0] = 1234.5;
    for (int direction : {1, -1}) {
        const auto d = static_cast<std::int8_t>(direction);
        std::vector<double> expected = input;
        std::vector<double> actual = input;
        Reference::ComplexFFT(expected.data(), length / 2, direction);
        CosineFFT::ComplexFFT(actual.data(), length / 2, d);
        EXPECT_EQ(FirstDifference(actual, expected), -1)
            << "ComplexFFT of " << length / 2 << " values, direction " << direction << ": "
            << Describe(actual, expected);

        expected = input;
        actual = input;
        Reference::RealFFT(expected.data(), length, direction);
        CosineFFT::RealFFT(actual.data(), length, d);
        EXPECT_EQ(FirstDifference(actual, expected), -1)
            << "RealFFT of " << length << " values, direction " << direction << ": "
            << Describe(actual, expected);

        expected = input;
        actual = input;
        Reference::CosineTransform(expected.data(), length, direction);
        CosineFFT::CosineTransform(actual.data(), length, d);
        EXPECT_EQ(FirstDifference(actual, expected), -1)
            << "CosineTransform of " << length << " values, direction " << direction << ": "
            << Describe(actual, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(PowersOfTwo, KernelExactnessTest, ::testing::Range(1u, MaxLog + 1),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "length" + std::to_string(1u << info.param);
                         });

enum class Kind { Cosine, Cosine2D, Haar, Haar2D, Daubechies4, Daubechies4_2D };

struct TileCase {
    std::unique_ptr<::Transform> Object;
    void (*Reference)(std::vector<double>&, std::uint32_t, bool);
    const char* Name;
};

TileCase Make(Kind kind) {
    switch (kind) {
    case Kind::Cosine:
        return {std::make_unique<CosineFFT>(), Reference::Cosine, "CosineFFT"};
    case Kind::Cosine2D:
        return {std::make_unique<CosineFFT2D>(), Reference::Cosine2D, "CosineFFT2D"};
    case Kind::Haar:
        return {std::make_unique<HaarDWT>(), Reference::Haar, "HaarDWT"};
    case Kind::Haar2D:
        return {std::make_unique<HaarDWT2D>(), Reference::Haar2D, "HaarDWT2D"};
    case Kind::Daubechies4:
        return {std::make_unique<Daubechies4DWT>(), Reference::Daubechies4, "Daubechies4DWT"};
    case Kind::Daubechies4_2D:
        return {std::make_unique<Daubechies4DWT2D>(), Reference::Daubechies4_2D,
                "Daubechies4DWT2D"};
    }
    return {};
}

// Whether the side is one the class takes, and small enough for this build.
bool Runs(Kind kind, std::uint32_t side) {
    const bool oneDimensional =
        kind == Kind::Cosine || kind == Kind::Haar || kind == Kind::Daubechies4;
    const std::uint64_t values = std::uint64_t{side} * side;
    if (values > (std::uint64_t{1} << MaxLog)) {
        return false;
    }
    if (kind == Kind::Daubechies4 || kind == Kind::Daubechies4_2D) {
        return side % 2 == 0 || (oneDimensional ? values < 4 : side < 4);
    }
    return std::has_single_bit(side);
}

class TileExactnessTest : public ::testing::TestWithParam<Kind> {};

// One object runs every side in turn, up and then down again, so its scratch grows, shrinks
// and is released on the way; each result must still be the reference's.
TEST_P(TileExactnessTest, ForwardAndInverseMatchTheReference) {
    const Kind kind = GetParam();
    TileCase c = Make(kind);
    std::vector<std::uint32_t> sides{1, 2, 4, 6, 8, 12, 16, 20, 32, 64, 128, 256, 512, 1024, 2048};
    sides.insert(sides.end(), {256, 8, 64, 2});
    int call = 0;
    for (std::uint32_t side : sides) {
        if (!Runs(kind, side)) {
            continue;
        }
        const std::vector<double> input = RandomValues(std::size_t{side} * side, side * 31 + 7);
        for (bool forward : {true, false}) {
            std::vector<double> expected = input;
            c.Reference(expected, side, forward);
            std::vector<double> actual = input;
            if (forward) {
                c.Object->Forward(actual.data(), side);
            } else {
                c.Object->Inverse(actual.data(), side);
            }
            ASSERT_EQ(FirstDifference(actual, expected), -1)
                << c.Name << (forward ? " Forward" : " Inverse") << " side " << side << ": "
                << Describe(actual, expected);
            EXPECT_EQ(c.Object->Buffer, nullptr) << c.Name << " side " << side;
            if (++call % 5 == 0) {
                c.Object->ReleaseScratch();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllClasses, TileExactnessTest,
                         ::testing::Values(Kind::Cosine, Kind::Cosine2D, Kind::Haar, Kind::Haar2D,
                                           Kind::Daubechies4, Kind::Daubechies4_2D),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return std::string(Make(info.param).Name);
                         });

// Threshold tiles: coefficient-like spreads, heavy ties, one dominant value, and tiles whose
// energy overflows or holds a NaN.
class ThresholdExactnessTest
    : public ::testing::TestWithParam<std::tuple<std::uint32_t, TileKind>> {};

TEST_P(ThresholdExactnessTest, CutAndKeptPercentMatchTheReference) {
    const auto [side, kind] = GetParam();
    const std::size_t count = std::size_t{side} * side;
    if (count > (std::size_t{1} << MaxLog)) {
        GTEST_SKIP() << "side " << side << " is beyond this build's size cap";
    }
    const TileRecipe recipe{kind};
    const std::vector<double> tile =
        ThresholdTile(count, recipe, side * 13 + static_cast<unsigned>(kind));
    // The same object for every fraction: its scratch is reused from call to call.
    HaarDWT transform;
    const std::vector<double> fractions{-0.5, 0.0, 1e-12, 1e-6, 0.001,    0.01, 0.05,   0.1, 0.3,
                                        0.5,  0.7, 0.9,   0.99, 0.999999, 1.0,  1.0001, 2.0, 1e300};
    for (double x : fractions) {
        double expectedKept = -7.0;
        std::vector<double> expected = tile;
        Reference::Threshold(expected, x, expectedKept);
        transform.KeptPercent = -7.0;
        std::vector<double> actual = tile;
        transform.Threshold(actual.data(), side, x);
        ASSERT_EQ(FirstDifference(actual, expected), -1)
            << "side " << side << " tile " << Describe(recipe) << " x " << x << ": "
            << Describe(actual, expected);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(transform.KeptPercent),
                  std::bit_cast<std::uint64_t>(expectedKept))
            << "side " << side << " tile " << Describe(recipe) << " x " << x << ": KeptPercent "
            << transform.KeptPercent << " instead of " << expectedKept;
    }
}

INSTANTIATE_TEST_SUITE_P(
    SidesAndKinds, ThresholdExactnessTest,
    ::testing::Combine(::testing::Values(1u, 2u, 4u, 8u, 16u, 32u, 64u, 128u, 256u, 512u),
                       ::testing::Values(TileKind::Spread, TileKind::Ties, TileKind::Integers,
                                         TileKind::Overflowing, TileKind::Normal,
                                         TileKind::WithNaN)),
    [](const ::testing::TestParamInfo<std::tuple<std::uint32_t, TileKind>>& info) {
        return "side" + std::to_string(std::get<0>(info.param)) + "_" +
               Describe(TileRecipe{std::get<1>(info.param)});
    });

} // namespace
