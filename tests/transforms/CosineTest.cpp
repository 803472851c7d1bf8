#include "CosineFFT.h"
#include "CosineFFT2D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

long double CosineOf(std::size_t k, std::size_t j, std::size_t n) {
    // cos(pi k (j + 1/2) / n) = cos(pi k (2j + 1) / 2n), the multiple reduced mod 4n exactly.
    const std::size_t multiple = (k * (2 * j + 1)) % (4 * n);
    return std::cos(std::numbers::pi_v<long double> * static_cast<long double>(multiple) /
                    static_cast<long double>(2 * n));
}

std::vector<long double> DirectForward(const std::vector<double>& y) {
    const std::size_t n = y.size();
    std::vector<long double> result(n, 0.0L);
    for (std::size_t k = 0; k < n; ++k) {
        for (std::size_t j = 0; j < n; ++j) {
            result[k] += y[j] * CosineOf(k, j, n);
        }
    }
    return result;
}

std::vector<long double> DirectInverse(const std::vector<double>& c) {
    const std::size_t n = c.size();
    std::vector<long double> result(n);
    for (std::size_t j = 0; j < n; ++j) {
        long double sum = c[0] / 2.0L;
        for (std::size_t k = 1; k < n; ++k) {
            sum += c[k] * CosineOf(k, j, n);
        }
        result[j] = 2.0L / n * sum;
    }
    return result;
}

long double MaxAbs(const std::vector<long double>& values) {
    long double largest = 0;
    for (long double v : values) {
        largest = std::max(largest, std::fabs(v));
    }
    return largest;
}

// 1-based working copy of values.
std::vector<double> OneBased(const std::vector<double>& values) {
    std::vector<double> result{0.0};
    result.insert(result.end(), values.begin(), values.end());
    return result;
}

TEST(CosineTransformTest, MatchesDirectCosineSums) {
    std::mt19937_64 random(17);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (std::uint32_t n = 2; n <= 1024; n *= 2) {
        SCOPED_TRACE(::testing::Message() << "n " << n);
        std::vector<double> input(n);
        for (double& v : input) {
            v = value(random);
        }
        const std::vector<long double> forward = DirectForward(input);
        const double forwardTolerance = static_cast<double>(1e-15L * n * MaxAbs(forward));
        std::vector<double> work = OneBased(input);
        CosineFFT::CosineTransform(work.data(), n, 1);
        for (std::uint32_t k = 0; k < n; ++k) {
            EXPECT_NEAR(work[k + 1], static_cast<double>(forward[k]), forwardTolerance)
                << "k " << k;
        }

        const std::vector<long double> inverse = DirectInverse(input);
        const double inverseTolerance = static_cast<double>(1e-15L * n * MaxAbs(inverse));
        work = OneBased(input);
        CosineFFT::CosineTransform(work.data(), n, -1);
        for (std::uint32_t j = 0; j < n; ++j) {
            EXPECT_NEAR(work[j + 1], static_cast<double>(inverse[j]), inverseTolerance)
                << "j " << j;
        }
        EXPECT_EQ(work[0], 0.0);
    }
}

TEST(CosineTransformTest, KnownValues) {
    std::vector<double> ramp{0, 1, 2, 3, 4};
    CosineFFT::CosineTransform(ramp.data(), 4, 1);
    EXPECT_NEAR(ramp[1], 10.0, 1e-14);
    EXPECT_NEAR(ramp[2], -3.15432202989895, 1e-14);
    EXPECT_NEAR(ramp[3], 0.0, 1e-14);
    EXPECT_NEAR(ramp[4], -0.224170764583983, 1e-14);
    CosineFFT::CosineTransform(ramp.data(), 4, -1);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_NEAR(ramp[i], i, 1e-14) << "element " << i;
    }

    // (a - b) cos(pi/4): double arithmetic lands within one unit of -sqrt(2).
    std::vector<double> pair{0, 3, 5};
    CosineFFT::CosineTransform(pair.data(), 2, 1);
    EXPECT_EQ(pair[1], 8.0);
    EXPECT_NEAR(pair[2], -1.4142135623730951, 3e-16);

    std::vector<double> constant(17, 5.0);
    CosineFFT::CosineTransform(constant.data(), 16, 1);
    EXPECT_NEAR(constant[1], 80.0, 1e-13);
    for (int i = 2; i <= 16; ++i) {
        EXPECT_NEAR(constant[i], 0.0, 1e-13) << "element " << i;
    }

    // The constant term carries the sum, so its inverse divides by N.
    std::vector<double> term{0, 1, 0, 0, 0};
    CosineFFT::CosineTransform(term.data(), 4, -1);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_NEAR(term[i], 0.25, 1e-16) << "element " << i;
    }
}

TEST(CosineTransformTest, AnyDirectionButOneIsTheInverse) {
    const std::vector<double> coefficients{0, 10, -3, 0.5, -0.25, 2, 1, 0, 7};
    std::vector<double> expected = coefficients;
    CosineFFT::CosineTransform(expected.data(), 8, -1);
    for (std::int8_t direction : {0, 2, -128}) {
        std::vector<double> work = coefficients;
        CosineFFT::CosineTransform(work.data(), 8, direction);
        EXPECT_EQ(work, expected) << "direction " << int{direction};
    }
}

TEST(CosineTransformTest, ShortVectorsUnchangedOtherLengthsRejected) {
    std::vector<double> one{4.0, -2.5};
    CosineFFT::CosineTransform(one.data(), 1, 1);
    CosineFFT::CosineTransform(one.data(), 1, -1);
    CosineFFT::CosineTransform(nullptr, 0, 1);
    EXPECT_EQ(one, (std::vector<double>{4.0, -2.5}));

    for (std::uint32_t n : {3u, 6u, 12u}) {
        std::vector<double> guard(16, 1.5);
        try {
            CosineFFT::CosineTransform(guard.data(), n, 1);
            ADD_FAILURE() << "no exception for " << n;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(std::to_string(n)), std::string::npos);
        }
        EXPECT_EQ(guard, std::vector<double>(16, 1.5));
    }
}

// The 2D transform against the separable double cosine sum.
TEST(CosineFFT2DTest, MatchesDirectSeparableSum) {
    const std::size_t n = 8;
    std::mt19937_64 random(23);
    std::uniform_real_distribution<double> value(0.0, 255.0);
    std::vector<double> tile(n * n);
    for (double& v : tile) {
        v = value(random);
    }
    std::vector<double> work = tile;
    CosineFFT2D transform;
    transform.Forward(work.data(), n);
    EXPECT_EQ(transform.Buffer, nullptr);
    for (std::size_t u = 0; u < n; ++u) {
        for (std::size_t v = 0; v < n; ++v) {
            long double sum = 0;
            for (std::size_t r = 0; r < n; ++r) {
                for (std::size_t c = 0; c < n; ++c) {
                    sum += tile[r * n + c] * CosineOf(u, r, n) * CosineOf(v, c, n);
                }
            }
            EXPECT_NEAR(work[u * n + v], static_cast<double>(sum), 1e-10)
                << "row " << u << " column " << v;
        }
    }
}

TEST(CosineTileTest, ConstantTileGivesSumAtFirstElement) {
    CosineFFT oneDimensional;
    CosineFFT2D twoDimensional;
    for (CosineFFT* transform : {&oneDimensional, static_cast<CosineFFT*>(&twoDimensional)}) {
        for (std::uint32_t n : {2u, 4u, 16u}) {
            SCOPED_TRACE(::testing::Message()
                         << (transform == &oneDimensional ? "1D" : "2D") << " side " << n);
            std::vector<double> tile(std::size_t{n} * n, 3.0);
            transform->Forward(tile.data(), n);
            EXPECT_NEAR(tile[0], 3.0 * n * n, 1e-12);
            for (std::size_t i = 1; i < tile.size(); ++i) {
                EXPECT_NEAR(tile[i], 0.0, 1e-12) << "element " << i;
            }
        }
    }
}

TEST(CosineTileTest, DegenerateSidesUnchangedBadSidesRejected) {
    CosineFFT oneDimensional;
    CosineFFT2D twoDimensional;
    for (CosineFFT* transform : {&oneDimensional, static_cast<CosineFFT*>(&twoDimensional)}) {
        SCOPED_TRACE(transform == &oneDimensional ? "1D" : "2D");
        double single = 7.25;
        transform->Forward(&single, 1);
        transform->Inverse(&single, 1);
        transform->Forward(nullptr, 0);
        transform->Inverse(nullptr, 0);
        EXPECT_EQ(single, 7.25);

        std::vector<double> tile(9, 2.0);
        tile[4] = -1.0;
        const std::vector<double> original = tile;
        EXPECT_THROW(transform->Forward(tile.data(), 3), std::invalid_argument);
        EXPECT_THROW(transform->Inverse(tile.data(), 3), std::invalid_argument);
        EXPECT_EQ(tile, original);
        EXPECT_EQ(transform->Buffer, nullptr);
    }
    // A vector of 65536 squared values would not fit the kernels' 32-bit count.
    EXPECT_THROW(oneDimensional.Forward(nullptr, 65536), std::invalid_argument);
}

} // namespace
