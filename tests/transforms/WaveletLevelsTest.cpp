#include "WaveletLevels.h"
#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"
#include "HaarDWT.h"
#include "HaarDWT2D.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Line = std::vector<long double>;

// The D4 filter in long double, from its definition: c0..c3 = (1 + sqrt 3, 3 + sqrt 3,
// 3 - sqrt 3, 1 - sqrt 3) / (4 sqrt 2).
struct Filter {
    long double C[4];
};

Filter D4Filter() {
    const long double s3 = std::sqrt(3.0L);
    const long double d = 4.0L * std::sqrt(2.0L);
    return {{(1 + s3) / d, (3 + s3) / d, (3 - s3) / d, (1 - s3) / d}};
}

// One periodic step on the first length values: smooth s_i = sum c_k a_(2i+k), detail
// d_i = c3 a_2i - c2 a_(2i+1) + c1 a_(2i+2) - c0 a_(2i+3), indices modulo length; the smooth
// values first, then the details.
void D4Step(Line& a, std::size_t length) {
    const Filter f = D4Filter();
    Line out(length);
    const std::size_t h = length / 2;
    for (std::size_t i = 0; i < h; ++i) {
        const auto at = [&](std::size_t k) { return a[(2 * i + k) % length]; };
        out[i] = f.C[0] * at(0) + f.C[1] * at(1) + f.C[2] * at(2) + f.C[3] * at(3);
        out[h + i] = f.C[3] * at(0) - f.C[2] * at(1) + f.C[1] * at(2) - f.C[0] * at(3);
    }
    std::copy(out.begin(), out.end(), a.begin());
}

// The step repeated on the smooth half while it has an even length of at least 4.
void D4Levels(Line& a, std::size_t length, int levels) {
    int steps = 0;
    for (std::size_t len = length; len >= 4 && len % 2 == 0 && MoreLevels(levels, steps);
         len /= 2, ++steps) {
        D4Step(a, len);
    }
}

// Haar's level: scaled pair sums, then scaled pair differences.
void HaarStep(Line& a, std::size_t length) {
    const long double k = 1.0L / std::sqrt(2.0L);
    Line out(length);
    for (std::size_t i = 0; i < length / 2; ++i) {
        out[i] = (a[2 * i] + a[2 * i + 1]) * k;
        out[length / 2 + i] = (a[2 * i] - a[2 * i + 1]) * k;
    }
    std::copy(out.begin(), out.end(), a.begin());
}

void HaarLevels(Line& a, std::size_t length, int levels) {
    int steps = 0;
    for (std::size_t len = length; len >= 2 && MoreLevels(levels, steps); len /= 2, ++steps) {
        HaarStep(a, len);
    }
}

using LevelsOf = void (*)(Line&, std::size_t, int);

// Every row through its levels, then every column.
Line Reference2D(const std::vector<double>& tile, std::size_t n, int levels, LevelsOf line) {
    Line t(tile.begin(), tile.end());
    for (std::size_t r = 0; r < n; ++r) {
        Line row(t.begin() + static_cast<std::ptrdiff_t>(r * n),
                 t.begin() + static_cast<std::ptrdiff_t>((r + 1) * n));
        line(row, n, levels);
        std::copy(row.begin(), row.end(), t.begin() + static_cast<std::ptrdiff_t>(r * n));
    }
    for (std::size_t c = 0; c < n; ++c) {
        Line column(n);
        for (std::size_t r = 0; r < n; ++r) {
            column[r] = t[r * n + c];
        }
        line(column, n, levels);
        for (std::size_t r = 0; r < n; ++r) {
            t[r * n + c] = column[r];
        }
    }
    return t;
}

std::vector<double> RandomTile(std::size_t count, std::uint64_t variant) {
    std::mt19937_64 random(variant);
    std::uniform_int_distribution<int> pixel(0, 255);
    std::vector<double> tile(count);
    for (double& v : tile) {
        v = pixel(random);
    }
    return tile;
}

long double Energy(const std::vector<double>& values) {
    long double sum = 0;
    for (double v : values) {
        sum += static_cast<long double>(v) * v;
    }
    return sum;
}

enum class Kind { D4, D4_2D, Haar, Haar2D };

std::string Name(Kind kind) {
    switch (kind) {
    case Kind::D4:
        return "D4";
    case Kind::D4_2D:
        return "D4_2D";
    case Kind::Haar:
        return "Haar";
    case Kind::Haar2D:
        return "Haar2D";
    }
    return "?";
}

// The levels a line of the kind at the side can take, every level beyond them ending early.
int MaxLevels(Kind kind, std::uint32_t n) {
    const std::size_t length = kind == Kind::D4 || kind == Kind::Haar ? std::size_t{n} * n : n;
    int levels = 0;
    for (std::size_t len = length; kind == Kind::D4 || kind == Kind::D4_2D ? len >= 4 : len >= 2;
         len /= 2) {
        ++levels;
    }
    return levels;
}

std::unique_ptr<Transform> Make(Kind kind, int levels) {
    switch (kind) {
    case Kind::D4: {
        auto t = std::make_unique<Daubechies4DWT>();
        t->SetLevels(levels);
        return t;
    }
    case Kind::D4_2D: {
        auto t = std::make_unique<Daubechies4DWT2D>();
        t->SetLevels(levels);
        return t;
    }
    case Kind::Haar: {
        auto t = std::make_unique<HaarDWT>();
        t->SetLevels(levels);
        return t;
    }
    case Kind::Haar2D: {
        auto t = std::make_unique<HaarDWT2D>();
        t->SetLevels(levels);
        return t;
    }
    }
    return nullptr;
}

Line Reference(Kind kind, const std::vector<double>& tile, std::uint32_t n, int levels) {
    switch (kind) {
    case Kind::D4: {
        Line t(tile.begin(), tile.end());
        D4Levels(t, t.size(), levels);
        return t;
    }
    case Kind::D4_2D:
        return Reference2D(tile, n, levels, &D4Levels);
    case Kind::Haar: {
        Line t(tile.begin(), tile.end());
        HaarLevels(t, t.size(), levels);
        return t;
    }
    case Kind::Haar2D:
        return Reference2D(tile, n, levels, &HaarLevels);
    }
    return {};
}

class WaveletLevelsTest : public ::testing::TestWithParam<std::tuple<Kind, std::uint32_t>> {};

} // namespace

// Every level count from 1 past the most a line allows, and AllLevels: the coefficients are the
// long double reference's to rounding, the energy is the tile's (the steps are orthonormal), and
// Inverse gives the tile back.
TEST_P(WaveletLevelsTest, MatchTheReferenceKeepTheEnergyAndInvert) {
    const auto [kind, n] = GetParam();
    const std::size_t count = std::size_t{n} * n;
    const std::vector<double> tile = RandomTile(count, n * 7 + static_cast<unsigned>(kind));
    const long double energy = Energy(tile);
    const int most = MaxLevels(kind, n);
    for (int levels = 1; levels <= most + 1; ++levels) {
        for (const int asked : {levels, levels == most ? AllLevels : levels}) {
            SCOPED_TRACE(Name(kind) + ", side " + std::to_string(n) + ", levels " +
                         (asked == AllLevels ? std::string("all") : std::to_string(asked)));
            const auto transform = Make(kind, asked);
            std::vector<double> data = tile;
            transform->Forward(data.data(), n);
            const Line expected = Reference(kind, tile, n, asked);
            // Each level rounds every value a few times: relative to the tile's root energy.
            const long double tolerance = 1e-13L * std::sqrt(energy) * (levels + 1);
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_LE(std::fabs(data[i] - expected[i]), tolerance) << "coefficient " << i;
            }
            EXPECT_LE(std::fabs(Energy(data) - energy), 1e-12L * energy);
            transform->Inverse(data.data(), n);
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_LE(std::fabs(data[i] - tile[i]), tolerance) << "value " << i;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    KindsAndSides, WaveletLevelsTest,
    ::testing::Combine(::testing::Values(Kind::D4, Kind::D4_2D, Kind::Haar, Kind::Haar2D),
                       ::testing::Values(2u, 4u, 8u, 16u, 32u, 64u, 128u)),
    [](const ::testing::TestParamInfo<std::tuple<Kind, std::uint32_t>>& param) {
        return Name(std::get<0>(param.param)) + "_side" + std::to_string(std::get<1>(param.param));
    });

// The lengths the D4 steps take on a line that is not a power of two: 144, 72, 36, 18.
TEST(WaveletLevelsTest, D4StepsWhileTheSmoothHalfIsEvenAndLongEnough) {
    const std::uint32_t n = 12; // 144 values as one vector
    const std::vector<double> tile = RandomTile(144, 3);
    Daubechies4DWT all;
    all.SetLevels(AllLevels);
    Daubechies4DWT four;
    four.SetLevels(4);
    Daubechies4DWT five;
    five.SetLevels(5);
    std::vector<double> a = tile, b = tile, c = tile;
    all.Forward(a.data(), n);
    four.Forward(b.data(), n);
    five.Forward(c.data(), n);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, c);
    Line expected(tile.begin(), tile.end());
    for (std::size_t len : {144u, 72u, 36u, 18u}) {
        D4Step(expected, len);
    }
    for (std::size_t i = 0; i < 144; ++i) {
        ASSERT_LE(std::fabs(a[i] - expected[i]), 1e-10L) << "coefficient " << i;
    }
    EXPECT_THROW(all.SetLevels(-1), std::invalid_argument);
}

// Where a D4 2D line has room for one step only (sides 4 and 6), the levels' in-place steps give
// the page's one-step filter bit for bit, and every level of Haar is the page's Haar.
TEST(WaveletLevelsTest, OneStepOfTheLevelsIsThePagesStep) {
    const auto same = [](Transform& page, Transform& set, std::uint32_t n) {
        const std::vector<double> tile = RandomTile(std::size_t{n} * n, n);
        std::vector<double> a = tile, b = tile;
        page.Forward(a.data(), n);
        set.Forward(b.data(), n);
        EXPECT_EQ(a, b) << "side " << n;
        page.Inverse(a.data(), n);
        set.Inverse(b.data(), n);
        EXPECT_EQ(a, b) << "side " << n;
    };
    for (std::uint32_t n : {4u, 6u}) {
        Daubechies4DWT2D page, all;
        all.SetLevels(AllLevels);
        same(page, all, n);
    }
    for (std::uint32_t n : {4u, 16u, 64u}) {
        HaarDWT2D page, all;
        all.SetLevels(AllLevels);
        same(page, all, n);
    }
}
