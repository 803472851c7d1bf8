#include "HaarDWT.h"
#include "HaarDWT2D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

TEST(HaarTest, ScaleIsOneUnitBelowNearestToRootHalf) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(HaarDWT::K), 0x3FE6A09E667F3BCCu);
    const double nearest = static_cast<double>(1.0L / std::sqrt(2.0L));
    EXPECT_EQ(HaarDWT::K, std::nextafter(nearest, 0.0));
}

// The coefficient layout of a complete decomposition, built directly in long double: the
// total times K^m at 0, and at 2^j + b the difference of the two halves of block b of
// L / 2^j values, times K^(m - j).
std::vector<long double> DirectHaar(const std::vector<double>& x) {
    const std::size_t length = x.size();
    const int levels = std::countr_zero(length);
    const long double k = HaarDWT::K;
    std::vector<long double> result(length, 0.0L);
    long double total = 0;
    for (double v : x) {
        total += v;
    }
    result[0] = total * std::pow(k, levels);
    for (int j = 0; j < levels; ++j) {
        const std::size_t blocks = std::size_t{1} << j;
        const std::size_t half = length / blocks / 2;
        for (std::size_t b = 0; b < blocks; ++b) {
            long double difference = 0;
            for (std::size_t i = 0; i < half; ++i) {
                difference += x[b * 2 * half + i] - x[b * 2 * half + half + i];
            }
            result[blocks + b] = difference * std::pow(k, levels - j);
        }
    }
    return result;
}

TEST(HaarTest, ForwardMatchesDirectLayout) {
    std::mt19937_64 random(31);
    std::uniform_real_distribution<double> value(0.0, 255.0);
    for (std::uint32_t n = 1; n <= 32; n *= 2) {
        SCOPED_TRACE(::testing::Message() << "side " << n);
        std::vector<double> tile(std::size_t{n} * n);
        for (double& v : tile) {
            v = value(random);
        }
        const std::vector<long double> expected = DirectHaar(tile);
        HaarDWT transform;
        transform.Forward(tile.data(), n);
        for (std::size_t i = 0; i < tile.size(); ++i) {
            EXPECT_NEAR(tile[i], static_cast<double>(expected[i]), 1e-10) << "index " << i;
        }
        EXPECT_EQ(transform.Buffer, nullptr);
        EXPECT_EQ(transform.Temp, nullptr);
    }
}

TEST(HaarTest, TwoDimensionalIsRowsThenColumns) {
    const std::size_t n = 8;
    std::mt19937_64 random(37);
    std::uniform_real_distribution<double> value(0.0, 255.0);
    std::vector<double> tile(n * n);
    for (double& v : tile) {
        v = value(random);
    }
    std::vector<long double> rows(n * n);
    for (std::size_t r = 0; r < n; ++r) {
        const std::vector<long double> line =
            DirectHaar(std::vector<double>(tile.begin() + r * n, tile.begin() + r * n + n));
        std::copy(line.begin(), line.end(), rows.begin() + r * n);
    }
    HaarDWT2D transform;
    transform.Forward(tile.data(), n);
    for (std::size_t c = 0; c < n; ++c) {
        std::vector<double> column(n);
        for (std::size_t r = 0; r < n; ++r) {
            column[r] = static_cast<double>(rows[r * n + c]);
        }
        const std::vector<long double> expected = DirectHaar(column);
        for (std::size_t r = 0; r < n; ++r) {
            EXPECT_NEAR(tile[r * n + c], static_cast<double>(expected[r]), 1e-10)
                << "row " << r << " column " << c;
        }
    }
    EXPECT_EQ(transform.Buffer, nullptr);
    EXPECT_EQ(transform.Temp, nullptr);
}

TEST(HaarTest, KnownValues) {
    HaarDWT transform;
    double pair[] = {1.0, 3.0};
    double temp[2];
    transform.Buffer = pair;
    transform.Temp = temp;
    transform.ForwardStep(2);
    EXPECT_EQ(pair[0], 4.0 * HaarDWT::K);
    EXPECT_EQ(pair[1], -2.0 * HaarDWT::K);

    std::vector<double> tile{1, 2, 3, 4};
    transform.Forward(tile.data(), 2);
    EXPECT_NEAR(tile[0], 5.0, 4e-15);
    EXPECT_NEAR(tile[1], -2.0, 1e-15);
    EXPECT_EQ(tile[2], -HaarDWT::K);
    EXPECT_EQ(tile[3], -HaarDWT::K);

    HaarDWT2D twoDimensional;
    std::vector<double> square{1, 2, 3, 4};
    twoDimensional.Forward(square.data(), 2);
    EXPECT_NEAR(square[0], 5.0, 4e-15);
    EXPECT_NEAR(square[1], -1.0, 1e-15);
    EXPECT_NEAR(square[2], -2.0, 1e-15);
    EXPECT_EQ(square[3], 0.0);
}

TEST(HaarTest, ConstantTileLeavesOnlyFirstCoefficient) {
    HaarDWT oneDimensional;
    HaarDWT2D twoDimensional;
    for (HaarDWT* transform : {&oneDimensional, static_cast<HaarDWT*>(&twoDimensional)}) {
        SCOPED_TRACE(transform == &oneDimensional ? "1D" : "2D");
        std::vector<double> tile(16, 1.0);
        transform->Forward(tile.data(), 4);
        EXPECT_NEAR(tile[0], 4.0, 1e-14);
        for (std::size_t i = 1; i < tile.size(); ++i) {
            EXPECT_EQ(tile[i], 0.0) << "index " << i;
        }
    }
}

// Records the level lengths, which also proves the levels are reached through the object.
class LevelRecorder : public HaarDWT {
public:
    void ForwardStep(std::uint32_t len) override {
        Levels.push_back(static_cast<int>(len));
        HaarDWT::ForwardStep(len);
    }
    void InverseStep(std::uint32_t len) override {
        Levels.push_back(-static_cast<int>(len));
        HaarDWT::InverseStep(len);
    }
    std::vector<int> Levels;
};

TEST(HaarTest, LevelsRunThroughTheObject) {
    LevelRecorder transform;
    std::vector<double> tile(16, 2.0);
    transform.Forward(tile.data(), 4);
    transform.Inverse(tile.data(), 4);
    EXPECT_EQ(transform.Levels, (std::vector<int>{16, 8, 4, 2, -2, -4, -8, -16}));
}

TEST(HaarTest, ShortTilesUnchangedBadLengthsRejected) {
    HaarDWT oneDimensional;
    HaarDWT2D twoDimensional;
    for (HaarDWT* transform : {&oneDimensional, static_cast<HaarDWT*>(&twoDimensional)}) {
        SCOPED_TRACE(transform == &oneDimensional ? "1D" : "2D");
        double single = -3.5;
        transform->Forward(&single, 1);
        transform->Inverse(&single, 1);
        transform->Forward(nullptr, 0);
        transform->Inverse(nullptr, 0);
        EXPECT_EQ(single, -3.5);

        std::vector<double> tile(9, 1.0);
        tile[0] = 5.0;
        EXPECT_THROW(transform->Forward(tile.data(), 3), std::invalid_argument);
        EXPECT_THROW(transform->Inverse(tile.data(), 3), std::invalid_argument);
        EXPECT_EQ(tile[0], 5.0);
        EXPECT_EQ(tile[8], 1.0);
        EXPECT_EQ(transform->Buffer, nullptr);
        EXPECT_EQ(transform->Temp, nullptr);
    }
    // 65536 squared does not fit the int that counts the vector.
    EXPECT_THROW(oneDimensional.Forward(nullptr, 65536), std::invalid_argument);
    EXPECT_THROW(twoDimensional.Forward(nullptr, 1u << 31), std::invalid_argument);

    std::vector<double> buffer(16, 1.0);
    std::vector<double> temp(16);
    oneDimensional.Buffer = buffer.data();
    oneDimensional.Temp = temp.data();
    for (int len : {-2, -1, 3, 6, 12}) {
        SCOPED_TRACE(::testing::Message() << "length " << len);
        EXPECT_THROW(oneDimensional.ForwardAll(len), std::invalid_argument);
        EXPECT_THROW(oneDimensional.InverseAll(len), std::invalid_argument);
    }
    EXPECT_THROW(oneDimensional.ForwardStep(3), std::invalid_argument);
    EXPECT_THROW(oneDimensional.InverseStep(5), std::invalid_argument);
    EXPECT_EQ(buffer, std::vector<double>(16, 1.0));
}

} // namespace
