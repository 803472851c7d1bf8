// Per-tile MSE against a direct sum over each tile's pixels.

#include "Quality.h"
#include "TestImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

// Found by argument-dependent lookup, so beside TileLayout in the global namespace.
static void PrintTo(const TileLayout& g, std::ostream* out) {
    *out << g.Columns << " x " << g.Rows << " tiles of " << g.Side << " at (" << g.X << ", " << g.Y
         << ")";
}

namespace {

class TileMseGrids : public testing::TestWithParam<TileLayout> {};

TEST_P(TileMseGrids, AgreesWithDirectSumsAndNaNOutside) {
    const TileLayout g = GetParam();
    SCOPED_TRACE(testing::PrintToString(g));
    const TestImage bigA = TestImage::Random(61, 45, 11);
    const TestImage bigB = bigA.Perturbed(30, 12);
    // A region, so that pixels beside it must not count.
    const RgbView a = bigA.View().Region(3, 2, 53, 40);
    const RgbView b = bigB.View().Region(3, 2, 53, 40);

    std::vector<double> mse(static_cast<std::size_t>(g.Columns * g.Rows));
    TileMse(a, b, g, mse);
    for (std::int32_t l = 0; l < g.Rows; ++l) {
        for (std::int32_t m = 0; m < g.Columns; ++m) {
            long double squares = 0.0L;
            int values = 0;
            for (std::int32_t y = g.Y + l * g.Side; y < g.Y + (l + 1) * g.Side; ++y) {
                for (std::int32_t x = g.X + m * g.Side; x < g.X + (m + 1) * g.Side; ++x) {
                    if (x < 0 || y < 0 || x >= a.Width || y >= a.Height) {
                        continue;
                    }
                    const std::uint32_t pa = bigA.At(x + 3, y + 2);
                    const std::uint32_t pb = bigB.At(x + 3, y + 2);
                    for (int d : {RedOf(pa) - RedOf(pb), GreenOf(pa) - GreenOf(pb),
                                  BlueOf(pa) - BlueOf(pb)}) {
                        squares += d * d;
                        ++values;
                    }
                }
            }
            const double actual = mse[static_cast<std::size_t>(l * g.Columns + m)];
            if (values == 0) {
                EXPECT_TRUE(std::isnan(actual)) << "tile " << m << ", " << l;
            } else {
                EXPECT_NEAR(actual, squares / values, 1e-12 * squares / values)
                    << "tile " << m << ", " << l;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Grids, TileMseGrids,
                         testing::Values(TileLayout{0, 0, 8, 7, 5}, TileLayout{-3, -5, 8, 8, 7},
                                         TileLayout{-20, 7, 16, 6, 4}, TileLayout{50, 38, 4, 3, 3},
                                         TileLayout{0, 0, 100, 1, 1}, TileLayout{2, 1, 1, 60, 45},
                                         TileLayout{-200, -9, 11, 3, 2},
                                         TileLayout{0, 0, 5, 0, 3}));

TEST(TileMse, RejectsBadGridsNamingThem) {
    const TestImage a = TestImage::Random(8, 8, 1);
    std::vector<double> mse(4);
    const auto message = [&](const TileLayout& g, std::size_t size) {
        try {
            TileMse(a.View(), a.View(), g, std::span(mse.data(), size));
        } catch (const std::invalid_argument& e) {
            return std::string(e.what());
        }
        return std::string("no exception");
    };
    EXPECT_EQ(message(TileLayout{0, 0, 0, 2, 2}, 4),
              "TileMse: grid of 2 x 2 tiles of side 0 is not a grid");
    EXPECT_EQ(message(TileLayout{0, 0, 4, -1, 2}, 4),
              "TileMse: grid of -1 x 2 tiles of side 4 is not a grid");
    EXPECT_EQ(message(TileLayout{0, 0, 4, 2, 2}, 3), "TileMse: 3 values for 4 tiles");
}

} // namespace
