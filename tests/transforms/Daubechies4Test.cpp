#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using D4 = Daubechies4DWT;

TEST(Daubechies4Test, TapsAreTheSixteenDigitDecimals) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(D4::C0), 0x3FDEE8DD4748BF14u);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(D4::C1), 0x3FEAC4BDD6E3FD71u);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(D4::C2), 0x3FCCB0BF0B6B7109u);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(D4::C3), 0xBFC0907DC1930691u);

    const long double root3 = std::sqrt(3.0L);
    const long double denominator = 4.0L * std::sqrt(2.0L);
    const double exact[] = {static_cast<double>((1 + root3) / denominator),
                            static_cast<double>((3 + root3) / denominator),
                            static_cast<double>((3 - root3) / denominator),
                            static_cast<double>((1 - root3) / denominator)};
    EXPECT_EQ(D4::C0, std::nextafter(exact[0], 0.0));
    EXPECT_EQ(D4::C1, exact[1]);
    EXPECT_EQ(D4::C2, exact[2]);
    EXPECT_EQ(D4::C3, std::nextafter(exact[3], -1.0));
}

class Stepper : public D4 {
public:
    using D4::FilterOutputs;
};

// The step in its 0-based periodic form, indices taken modulo the line and half lengths, each
// output summed left to right in the written order.
std::vector<double> PeriodicStep(const std::vector<double>& x, bool forward) {
    const std::size_t length = x.size();
    const std::size_t h = length / 2;
    std::vector<double> y(length);
    const auto at = [&](std::size_t i) { return x[i % length]; };
    for (std::size_t k = 0; k < h; ++k) {
        if (forward) {
            y[k] = D4::C0 * at(2 * k) + D4::C1 * at(2 * k + 1) + D4::C2 * at(2 * k + 2) +
                   D4::C3 * at(2 * k + 3);
            y[h + k] = D4::C3 * at(2 * k) - D4::C2 * at(2 * k + 1) + D4::C1 * at(2 * k + 2) -
                       D4::C0 * at(2 * k + 3);
        } else {
            const std::size_t before = (k + h - 1) % h;
            const double s0 = x[before];
            const double d0 = x[h + before];
            const double s1 = x[k];
            const double d1 = x[h + k];
            y[2 * k] = D4::C2 * s0 + D4::C1 * d0 + D4::C0 * s1 + D4::C3 * d1;
            y[2 * k + 1] = D4::C3 * s0 - D4::C0 * d0 + D4::C1 * s1 - D4::C2 * d1;
        }
    }
    return y;
}

TEST(Daubechies4Test, StepMatchesPeriodicFormBitForBit) {
    std::mt19937_64 random(41);
    std::uniform_real_distribution<double> value(-255.0, 255.0);
    for (std::uint32_t length = 4; length <= 64; length += 2) {
        std::vector<double> line(length);
        for (double& v : line) {
            v = value(random);
        }
        for (int direction : {1, -1}) {
            SCOPED_TRACE(::testing::Message() << "length " << length << " direction " << direction);
            std::vector<double> work{-9.0};
            work.insert(work.end(), line.begin(), line.end());
            D4::FilterStep(work.data(), length, static_cast<std::int8_t>(direction));
            EXPECT_EQ(work[0], -9.0);
            EXPECT_EQ(std::vector<double>(work.begin() + 1, work.end()),
                      PeriodicStep(line, direction == 1));
        }
    }
}

TEST(Daubechies4Test, KnownValues) {
    std::vector<double> ramp{0, 0, 1, 2, 3, 4, 5, 6, 7};
    D4::FilterStep(ramp.data(), 8, 1);
    const double expected[] = {0.8965754722, 3.7250025969, 6.5534297217, 8.6239820825, 0, 0, 0,
                               -2.8284271247};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(ramp[i + 1], expected[i], 1e-10) << "element " << i + 1;
    }

    std::vector<double> constant(13, 2.0);
    D4::FilterStep(constant.data(), 12, 1);
    for (int i = 1; i <= 6; ++i) {
        EXPECT_NEAR(constant[i], 2.0 * (D4::C0 + D4::C1 + D4::C2 + D4::C3), 1e-15);
        EXPECT_NEAR(constant[i + 6], 0.0, 1e-15);
    }
}

TEST(Daubechies4Test, AnyDirectionButOneIsTheInverse) {
    const std::vector<double> line{0, 3, -1, 4, 1, -5, 9, 2, -6};
    std::vector<double> expected = line;
    D4::FilterStep(expected.data(), 8, -1);
    for (std::int8_t direction : {0, 2, 127, -128}) {
        std::vector<double> work = line;
        D4::FilterStep(work.data(), 8, direction);
        EXPECT_EQ(work, expected) << "direction " << int{direction};
    }
    std::vector<double> outputs(8);
    Stepper::FilterOutputs(line.data(), 8, 0, outputs.data());
    EXPECT_EQ(outputs, std::vector<double>(expected.begin() + 1, expected.end()));
}

TEST(Daubechies4Test, ShortLinesUnchangedOddLinesRejected) {
    for (std::uint32_t length : {0u, 1u, 2u, 3u}) {
        std::vector<double> line{0, 1, 2, 3};
        D4::FilterStep(line.data(), length, 1);
        D4::FilterStep(line.data(), length, -1);
        EXPECT_EQ(line, (std::vector<double>{0, 1, 2, 3})) << "length " << length;
    }
    for (std::uint32_t length : {5u, 9u, 15u}) {
        std::vector<double> line(16, 1.5);
        try {
            D4::FilterStep(line.data(), length, 1);
            ADD_FAILURE() << "no exception for " << length;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(std::to_string(length)), std::string::npos);
        }
        EXPECT_EQ(line, std::vector<double>(16, 1.5));
    }
}

TEST(Daubechies4Test, TileSides) {
    D4 oneDimensional;
    Daubechies4DWT2D twoDimensional;
    std::vector<double> tile{1, 2, 3, 4};
    twoDimensional.Forward(tile.data(), 2);
    twoDimensional.Inverse(tile.data(), 2);
    EXPECT_EQ(tile, (std::vector<double>{1, 2, 3, 4}));

    // A side of 2 is one vector of four values in the 1D class: the wrap-around pair lands at
    // the second output of each half.
    oneDimensional.Forward(tile.data(), 2);
    const auto a = [](int i) { return static_cast<double>(i); };
    EXPECT_EQ(tile[1], D4::C0 * a(3) + D4::C1 * a(4) + D4::C2 * a(1) + D4::C3 * a(2));
    EXPECT_EQ(tile[3], D4::C3 * a(3) - D4::C2 * a(4) + D4::C1 * a(1) - D4::C0 * a(2));
    EXPECT_EQ(oneDimensional.Buffer, nullptr);

    double single = 8.5;
    oneDimensional.Forward(&single, 1);
    oneDimensional.Inverse(&single, 1);
    EXPECT_EQ(single, 8.5);

    std::vector<double> odd(25, 1.0);
    EXPECT_THROW(oneDimensional.Forward(odd.data(), 3), std::invalid_argument);
    EXPECT_THROW(twoDimensional.Forward(odd.data(), 5), std::invalid_argument);
    EXPECT_THROW(twoDimensional.Inverse(odd.data(), 5), std::invalid_argument);
    EXPECT_EQ(odd, std::vector<double>(25, 1.0));
    EXPECT_THROW(oneDimensional.Forward(nullptr, 65536), std::invalid_argument);

    std::vector<double> nine(9, 4.0);
    twoDimensional.Forward(nine.data(), 3);
    EXPECT_EQ(nine, std::vector<double>(9, 4.0));
}

} // namespace
