#include "Transformer.h"

#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"
#include "HaarDWT.h"
#include "HaarDWT2D.h"
#include "ZigzagReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct TransformClass {
    std::string Name;
    std::function<std::unique_ptr<Transform>()> Make;
    // As the pages use them: 1D classes scan zigzag (0), 2D classes raster (1).
    std::uint8_t Order;
};

void PrintTo(const TransformClass& c, std::ostream* os) {
    *os << c.Name;
}

template <typename T>
TransformClass Class(const char* name, std::uint8_t order) {
    return {name, [] { return std::make_unique<T>(); }, order};
}

// An image-like channel: smooth shading with some noise, within 0..255.
std::vector<double> Channel(std::size_t n, unsigned start) {
    std::mt19937 generator(start);
    std::uniform_real_distribution<double> noise(-20.0, 20.0);
    std::vector<double> plane(n * n);
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c) {
            const double smooth =
                118.0 + 80.0 * std::sin(0.09 * double(r)) * std::cos(0.05 * double(c));
            plane[r * n + c] = smooth + noise(generator);
        }
    }
    return plane;
}

class TransformerRun : public testing::TestWithParam<TransformClass> {};

TEST_P(TransformerRun, ErrorZeroReconstructsThePlane) {
    const TransformClass& cls = GetParam();
    const std::unique_ptr<Transform> transform = cls.Make();
    struct Case {
        std::int32_t N;
        std::int32_t Tiles;
    };
    for (const Case c : {Case{64, 1}, Case{64, 2}, Case{64, 4}, Case{64, 8}, Case{64, 16},
                         Case{64, 32}, Case{256, 1}, Case{256, 8}}) {
        SCOPED_TRACE(testing::Message() << "N " << c.N << " tiles " << c.Tiles);
        const std::vector<double> original = Channel(std::size_t(c.N), unsigned(c.Tiles));
        Transformer t(c.N, c.Tiles, 0.0, transform.get());
        std::copy(original.begin(), original.end(), t.Plane.get());
        t.Run(cls.Order);

        double worst = 0.0;
        for (std::size_t i = 0; i < original.size(); ++i) {
            worst = std::max(worst, std::fabs(t.Plane[i] - original[i]));
        }
        // One DCT over a whole 256 x 256 plane carries its twiddle recurrence over
        // 65536 values, which costs it a few more rounding errors.
        const double count = double(t.TileSize) * double(t.TileSize);
        EXPECT_LE(worst, count > 4096.0 ? 1e-8 : 1e-9);
        // At error 0 every tile keeps all but its smallest coefficient.
        EXPECT_DOUBLE_EQ(t.MeanKeptPercent(), (count - 1.0) * 100.0 / count);
    }
}

TEST_P(TransformerRun, ErrorOneKeepsOnlyTheLargestCoefficients) {
    const TransformClass& cls = GetParam();
    const std::unique_ptr<Transform> transform = cls.Make();
    const std::unique_ptr<Transform> reference = cls.Make();
    const std::size_t n = 64;
    const std::size_t side = 16;
    // Centred on 0, so that the largest coefficient is not the mean and what
    // survives still depends on the scan order.
    std::vector<double> original = Channel(n, 99);
    for (double& v : original) {
        v -= 118.0;
    }
    Transformer t(std::int32_t(n), std::int32_t(n / side), 1.0, transform.get());
    std::copy(original.begin(), original.end(), t.Plane.get());
    t.Run(cls.Order);

    // Each tile by hand: scan it, transform it, keep the coefficients as large as
    // the largest, transform back, put it back.
    const std::vector<std::size_t> zigzag = ZigzagPositions(side);
    std::vector<double> expected = original;
    for (std::size_t l = 0; l < n / side; ++l) {
        for (std::size_t m = 0; m < n / side; ++m) {
            std::vector<double> tile(side * side);
            const auto at = [&](std::size_t k) -> double& {
                return expected[(l * side + k / side) * n + m * side + k % side];
            };
            for (std::size_t k = 0; k < side * side; ++k) {
                tile[cls.Order != 0 ? k : zigzag[k]] = at(k);
            }
            reference->Forward(tile.data(), std::uint32_t(side));
            double largest = 0.0;
            for (double v : tile) {
                largest = std::max(largest, std::fabs(v));
            }
            for (double& v : tile) {
                if (std::fabs(v) < largest) {
                    v = 0.0;
                }
            }
            reference->Inverse(tile.data(), std::uint32_t(side));
            for (std::size_t k = 0; k < side * side; ++k) {
                at(k) = tile[cls.Order != 0 ? k : zigzag[k]];
            }
        }
    }
    for (std::size_t i = 0; i < n * n; ++i) {
        ASSERT_EQ(t.Plane[i], expected[i]) << "row " << i / n << " column " << i % n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllClasses, TransformerRun,
    testing::Values(Class<CosineFFT>("CosineFFT", 0), Class<HaarDWT>("HaarDWT", 0),
                    Class<Daubechies4DWT>("Daubechies4DWT", 0),
                    Class<CosineFFT2D>("CosineFFT2D", 1), Class<HaarDWT2D>("HaarDWT2D", 1),
                    Class<Daubechies4DWT2D>("Daubechies4DWT2D", 1)),
    [](const testing::TestParamInfo<TransformClass>& info) { return info.param.Name; });

} // namespace
