#include "CosineFFT.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Complex = std::complex<long double>;

// X_k = sum_j x_j e^(sign 2 pi i jk / N) in long double, the angle reduced exactly first.
std::vector<Complex> DirectDft(const std::vector<Complex>& x, int sign) {
    const std::size_t n = x.size();
    std::vector<Complex> result(n);
    for (std::size_t k = 0; k < n; ++k) {
        Complex sum = 0;
        for (std::size_t j = 0; j < n; ++j) {
            const long double angle = sign * 2 * std::numbers::pi_v<long double> *
                                      static_cast<long double>((j * k) % n) / n;
            sum += x[j] * Complex(std::cos(angle), std::sin(angle));
        }
        result[k] = sum;
    }
    return result;
}

long double Norm(const std::vector<Complex>& values) {
    long double sum = 0;
    for (const Complex& v : values) {
        sum += std::norm(v);
    }
    return std::sqrt(sum);
}

// The recurrence-driven twiddles lose a little with every step of a stage, so the bound grows
// with the length, far below what a wrong twiddle or index would give.
double Tolerance(std::size_t n, long double scale) {
    return static_cast<double>(1e-15L * static_cast<long double>(n) * scale) + 1e-300;
}

TEST(ComplexFftTest, MatchesDirectTransformBothDirections) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (std::uint32_t nn = 1; nn <= 1024; nn *= 2) {
        std::vector<Complex> input(nn);
        std::vector<double> data(2 * std::size_t{nn} + 1, 0.0);
        for (std::uint32_t k = 0; k < nn; ++k) {
            data[2 * k + 1] = value(random);
            data[2 * k + 2] = value(random);
            input[k] = Complex(data[2 * k + 1], data[2 * k + 2]);
        }
        for (int direction : {1, -1}) {
            SCOPED_TRACE(::testing::Message() << "nn " << nn << " direction " << direction);
            std::vector<double> work = data;
            CosineFFT::ComplexFFT(work.data(), nn, static_cast<std::int8_t>(direction));
            const std::vector<Complex> expected = DirectDft(input, direction);
            const double tolerance = Tolerance(nn, Norm(expected));
            for (std::uint32_t k = 0; k < nn; ++k) {
                EXPECT_NEAR(work[2 * k + 1], static_cast<double>(expected[k].real()), tolerance);
                EXPECT_NEAR(work[2 * k + 2], static_cast<double>(expected[k].imag()), tolerance);
            }
            EXPECT_EQ(work[0], 0.0);
        }
    }
}

TEST(ComplexFftTest, ImpulseOfFourAndSingleValue) {
    std::vector<double> impulse{0, 0, 0, 1, 0, 0, 0, 0, 0};
    std::vector<double> forward = impulse;
    CosineFFT::ComplexFFT(forward.data(), 4, 1);
    const double expectedForward[] = {1, 0, 0, 1, -1, 0, 0, -1};
    std::vector<double> inverse = impulse;
    CosineFFT::ComplexFFT(inverse.data(), 4, -1);
    const double expectedInverse[] = {1, 0, 0, -1, -1, 0, 0, 1};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(::testing::Message() << "element " << i + 1);
        EXPECT_NEAR(forward[i + 1], expectedForward[i], 1e-15);
        EXPECT_NEAR(inverse[i + 1], expectedInverse[i], 1e-15);
    }

    std::vector<double> single{9, 2.5, -3.25};
    CosineFFT::ComplexFFT(single.data(), 1, 1);
    EXPECT_EQ(single, (std::vector<double>{9, 2.5, -3.25}));
}

// The packed spectrum of the forward real FFT read against the direct transform; the inverse
// must give back n/2 times the input.
TEST(RealFftTest, PackedSpectrumMatchesDirectTransform) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (std::uint32_t n = 2; n <= 1024; n *= 2) {
        SCOPED_TRACE(::testing::Message() << "n " << n);
        std::vector<double> data(n + 1, 0.0);
        std::vector<Complex> input(n);
        for (std::uint32_t j = 0; j < n; ++j) {
            data[j + 1] = value(random);
            input[j] = data[j + 1];
        }
        const std::vector<Complex> spectrum = DirectDft(input, 1);
        const double tolerance = Tolerance(n, Norm(spectrum));
        std::vector<double> work = data;
        CosineFFT::RealFFT(work.data(), n, 1);
        EXPECT_NEAR(work[1], static_cast<double>(spectrum[0].real()), tolerance);
        EXPECT_NEAR(work[2], static_cast<double>(spectrum[n / 2].real()), tolerance);
        for (std::uint32_t k = 1; k < n / 2; ++k) {
            EXPECT_NEAR(work[2 * k + 1], static_cast<double>(spectrum[k].real()), tolerance);
            EXPECT_NEAR(work[2 * k + 2], static_cast<double>(spectrum[k].imag()), tolerance);
        }
        CosineFFT::RealFFT(work.data(), n, -1);
        for (std::uint32_t j = 1; j <= n; ++j) {
            EXPECT_NEAR(work[j], data[j] * (n / 2), 1e-12 * n);
        }
    }
}

TEST(RealFftTest, SmallCases) {
    std::vector<double> ramp{0, 1, 2, 3, 4};
    CosineFFT::RealFFT(ramp.data(), 4, 1);
    EXPECT_EQ(ramp, (std::vector<double>{0, 10, -2, -2, -2}));
    CosineFFT::RealFFT(ramp.data(), 4, -1);
    EXPECT_EQ(ramp, (std::vector<double>{0, 2, 4, 6, 8}));

    // The imaginary part of F_1 is +1: the exponent is positive.
    std::vector<double> shifted{0, 0, 1, 0, 0};
    CosineFFT::RealFFT(shifted.data(), 4, 1);
    EXPECT_EQ(shifted, (std::vector<double>{0, 1, -1, 0, 1}));

    std::vector<double> pair{0, 3.25, -0.5};
    CosineFFT::RealFFT(pair.data(), 2, 1);
    EXPECT_EQ(pair, (std::vector<double>{0, 2.75, 3.75}));
    CosineFFT::RealFFT(pair.data(), 2, -1);
    EXPECT_EQ(pair, (std::vector<double>{0, 3.25, -0.5}));
}

void ExpectRejected(const std::function<void(double*)>& call, const std::string& named) {
    std::vector<double> guard(64, 1.25);
    try {
        call(guard.data());
        ADD_FAILURE() << "no exception for " << named;
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
    }
    EXPECT_EQ(guard, std::vector<double>(64, 1.25));
}

TEST(FftKernelsTest, RejectLengthsNoTileCanHave) {
    for (std::uint32_t nn : {0u, 3u, 6u, 12u, 31u}) {
        ExpectRejected([nn](double* d) { CosineFFT::ComplexFFT(d, nn, 1); }, std::to_string(nn));
    }
    for (std::uint32_t n : {0u, 1u, 3u, 6u, 12u, 31u}) {
        ExpectRejected([n](double* d) { CosineFFT::RealFFT(d, n, 1); }, std::to_string(n));
        ExpectRejected([n](double* d) { CosineFFT::RealFFT(d, n, -1); }, std::to_string(n));
    }
    for (std::int8_t direction : {0, 2, -2}) {
        ExpectRejected([direction](double* d) { CosineFFT::ComplexFFT(d, 4, direction); },
                       std::to_string(direction));
    }
}

} // namespace
