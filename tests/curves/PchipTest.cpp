#include "Pchip.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct SlopeCase {
    std::vector<double> X;
    std::vector<double> Y;
    // Worked out by hand from the rule in Pchip.h.
    std::vector<double> Slopes;
    const char* What;
};

} // namespace

TEST(Pchip, SlopesFollowTheRuleAtEveryKindOfPoint) {
    const SlopeCase cases[] = {
        {{0, 1, 3, 4},
         {0, 2, 3, 7},
         {2.5, 6.0 / 7.0, 36.0 / 37.0, 31.0 / 6.0},
         "harmonic means, uneven spacing"},
        {{0, 1, 2, 3}, {0, 1, 1, 2}, {1.5, 0.0, 0.0, 1.5}, "a flat secant"},
        {{0, 1, 2, 3},
         {0, 1, -9, -10},
         {3.0, 0.0, -20.0 / 11.0, 0.0},
         "ends limited to 3 m0 and set to 0"},
        {{2, 5}, {1, 7}, {2.0, 2.0}, "two points"},
    };
    for (const SlopeCase& c : cases) {
        const Pchip p(c.X, c.Y);
        ASSERT_EQ(p.Slopes().size(), c.Slopes.size()) << c.What;
        for (std::size_t i = 0; i < c.Slopes.size(); ++i) {
            EXPECT_NEAR(p.Slopes()[i], c.Slopes[i], 1e-15) << c.What << ", point " << i;
        }
        for (std::size_t i = 0; i < c.X.size(); ++i) {
            EXPECT_DOUBLE_EQ(p(c.X[i]), c.Y[i]) << c.What << ", point " << i;
        }
    }
}

TEST(Pchip, IntegratesPieceByPieceAndInsidePieces) {
    // Over [0, 3] the pieces give h (y0 + y1) / 2 + h^2 (d0 - d1) / 12 each: 0.625 + 1 + 1.375.
    const Pchip p(std::vector<double>{0, 1, 2, 3}, std::vector<double>{0, 1, 1, 2});
    EXPECT_NEAR(p.Integral(0.0, 3.0), 3.0, 1e-15);
    // The middle piece is the constant 1.
    EXPECT_NEAR(p.Integral(1.25, 1.75), 0.5, 1e-15);
    // Split anywhere, the parts add up.
    EXPECT_NEAR(p.Integral(0.3, 1.6) + p.Integral(1.6, 2.9), p.Integral(0.3, 2.9), 1e-15);
    EXPECT_NEAR(p.MeanOver(0.0, 3.0), 1.0, 1e-15);
    EXPECT_THROW(Pchip(std::vector<double>{0, 1, 1}, std::vector<double>{0, 1, 2}),
                 std::invalid_argument);
}
