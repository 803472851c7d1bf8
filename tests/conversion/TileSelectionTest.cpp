#include "TileSelection.h"

#include "Transform.h"
#include "TransformKind.h"
#include "TransformOptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

// An image-like tile: smooth shading, an edge and a little noise, whole pixel values.
std::vector<double> ImageTile(std::uint32_t n, std::uint64_t variant) {
    std::mt19937_64 random(variant);
    std::uniform_int_distribution<int> noise(-6, 6);
    std::vector<double> tile(std::size_t{n} * n);
    for (std::uint32_t r = 0; r < n; ++r) {
        for (std::uint32_t c = 0; c < n; ++c) {
            const double shade = 128 + 90 * std::sin(0.3 * r + 0.2 * c + variant);
            const double edge = c > n / 2 ? 40 : 0;
            tile[std::size_t{r} * n + c] =
                std::round(std::clamp(shade + edge + noise(random), 0.0, 255.0));
        }
    }
    return tile;
}

// The share of the signal's energy a coefficient carries per unit of its square, from the
// definition of the unnormalised DCT-II (the first coefficient 1/N, the others 2/N, per axis in
// 2D); the wavelets are orthonormal as they are.
long double Weight(TransformKind kind, std::size_t i, std::uint32_t n) {
    const auto axis = [](std::size_t k, long double length) {
        return (k == 0 ? 1.0L : 2.0L) / length;
    };
    switch (kind) {
    case TransformKind::Dct1D:
        return axis(i, static_cast<long double>(n) * n);
    case TransformKind::Dct2D:
        return axis(i / n, n) * axis(i % n, n);
    default:
        return 1.0L;
    }
}

long double Squares(const std::vector<double>& a, const std::vector<double>& b) {
    long double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const long double d = static_cast<long double>(a[i]) - b[i];
        sum += d * d;
    }
    return sum;
}

class OrthonormalTest : public ::testing::TestWithParam<std::tuple<TransformKind, std::uint32_t>> {
};

} // namespace

// Parseval: with the orthonormal scaling and every wavelet level, the squared error of a tile's
// reconstruction (before rounding to pixels) is the energy of the coefficients discarded,
// weighed as an orthonormal basis weighs them, and stays below the permitted fraction squared of
// the tile's energy.
TEST_P(OrthonormalTest, TheErrorIsTheEnergyDiscarded) {
    const auto [kind, n] = GetParam();
    for (double x : {0.01, 0.05, 0.2, 0.6}) {
        SCOPED_TRACE(std::string(Describe(kind).Caption) + ", side " + std::to_string(n) +
                     ", error fraction " + std::to_string(x));
        ConversionSettings settings;
        settings.ErrorFraction = x;
        settings.Options = {DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Error};
        const auto transform = MakeTransform(kind);
        ApplyLevels(*transform, settings.Options.Levels);
        const std::vector<double> tile = ImageTile(n, n + static_cast<unsigned>(kind));
        long double energy = 0;
        for (double v : tile) {
            energy += static_cast<long double>(v) * v;
        }
        std::vector<double> coefficients = tile;
        transform->Forward(coefficients.data(), n);
        long double weighed = 0;
        for (std::size_t i = 0; i < coefficients.size(); ++i) {
            weighed += Weight(kind, i, n) * coefficients[i] * coefficients[i];
        }
        ASSERT_LE(std::fabs(weighed - energy), 1e-12L * energy) << "the basis is orthonormal";

        std::vector<double> kept = coefficients;
        TileSelection selection(settings);
        const double percent = selection.Select(*transform, kept.data(), n);
        long double discarded = 0;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (kept[i] == 0.0) {
                discarded += Weight(kind, i, n) * coefficients[i] * coefficients[i];
            } else {
                ASSERT_EQ(kept[i], coefficients[i]) << "kept coefficients are untouched";
            }
        }
        EXPECT_GE(percent, 0.0);
        EXPECT_LT(percent, 100.0);
        std::vector<double> reconstructed = kept;
        transform->Inverse(reconstructed.data(), n);
        const long double error = Squares(reconstructed, tile);
        EXPECT_LE(std::fabs(error - discarded), 1e-10L * energy);
        EXPECT_LE(error, x * x * energy * (1 + 1e-9L));
    }
}

INSTANTIATE_TEST_SUITE_P(
    KindsAndSides, OrthonormalTest,
    ::testing::Combine(::testing::Values(TransformKind::Dct1D, TransformKind::D4_1D,
                                         TransformKind::Haar1D, TransformKind::Dct2D,
                                         TransformKind::D4_2D, TransformKind::Haar2D),
                       ::testing::Values(4u, 8u, 16u, 32u, 64u)),
    [](const ::testing::TestParamInfo<std::tuple<TransformKind, std::uint32_t>>& param) {
        std::string name(Describe(std::get<0>(param.param)).Caption);
        std::erase(name, ' ');
        return name + "_side" + std::to_string(std::get<1>(param.param));
    });

// The kept-share rule keeps floor(p count / 100 + 0.5) coefficients, chosen on the scaled
// coefficients under the orthonormal scaling, and reports that share whatever the tile.
TEST(TileSelectionTest, KeptShareKeepsItsCountAndReportsIt) {
    const std::uint32_t n = 16;
    for (const auto scaling : {DctScaling::Plain, DctScaling::Orthonormal}) {
        for (double percent : {0.0, 0.1, 10.0, 33.3, 100.0}) {
            SCOPED_TRACE(ScalingName(scaling) + ", keep " + std::to_string(percent) + " %");
            ConversionSettings settings;
            settings.ErrorPercent = percent;
            settings.Options = {scaling, PageLevels, KeepRule::Kept};
            const auto transform = MakeTransform(TransformKind::Dct2D);
            std::vector<double> coefficients = ImageTile(n, 9);
            transform->Forward(coefficients.data(), n);
            std::vector<double> kept = coefficients;
            TileSelection selection(settings);
            const double reported = selection.Select(*transform, kept.data(), n);
            const auto m = static_cast<std::size_t>(std::floor(percent * 256 / 100 + 0.5));
            EXPECT_EQ(reported, static_cast<double>(m) * 100.0 / 256.0);
            EXPECT_EQ(transform->KeptPercent, reported);
            std::size_t survivors = 0;
            long double smallestKept = INFINITY;
            long double largestDropped = 0;
            for (std::size_t i = 0; i < kept.size(); ++i) {
                const long double rank = std::fabs(coefficients[i]) *
                                         (scaling == DctScaling::Orthonormal
                                              ? std::sqrt(Weight(TransformKind::Dct2D, i, n))
                                              : 1.0L);
                if (kept[i] != 0.0) {
                    ++survivors;
                    smallestKept = std::min(smallestKept, rank);
                } else {
                    largestDropped = std::max(largestDropped, rank);
                }
            }
            EXPECT_EQ(survivors, m);
            if (m > 0 && m < 256) {
                EXPECT_GE(smallestKept, largestDropped * (1 - 1e-15L));
            }
        }
    }
    // An all-zero tile reports its share too.
    ConversionSettings settings;
    settings.ErrorPercent = 25.0;
    settings.Options.Rule = KeepRule::Kept;
    const auto transform = MakeTransform(TransformKind::Haar2D);
    std::vector<double> zeros(64, 0.0);
    EXPECT_EQ(TileSelection(settings).Select(*transform, zeros.data(), 8), 25.0);
}
