#include "Bjontegaard.h"
#include "CubicFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Curves shaped like the sweeps': PSNR rising with the log of the kept share, bending at both
// ends, and one with points as unevenly spaced as the window's error list gives.
std::vector<RdPoint> Curve(int shape) {
    std::vector<RdPoint> points;
    const std::vector<double> rates =
        shape == 0 ? std::vector<double>{1.5, 3.0, 6.0, 12.0, 24.0, 48.0}
                   : std::vector<double>{0.02, 0.3, 2.1, 5.5, 13.3, 27.7, 54.3, 71.5, 88.0};
    for (double rate : rates) {
        const double l = std::log(rate);
        const double psnr =
            shape == 0 ? 30.0 + 4.0 * l + 0.3 * l * l : 22.0 + 3.1 * l + 0.05 * l * l * l;
        points.push_back({rate, psnr});
    }
    return points;
}

double Relative(double value, double expected) {
    return std::fabs(value - expected) / std::max(std::fabs(expected), 1e-300);
}

} // namespace

TEST(BdPoints, KeepsRisingPointsOfFiniteQualityAndPositiveRate) {
    const std::vector<RdPoint> points = {
        {0.0, 10.0},                                          // rate 0
        {5.0, 30.0},  {2.0, 25.0}, {2.0, 26.0},               // equal rates: the better one
        {3.0, 24.0},                                          // PSNR below the last kept
        {100.0, Inf},                                         // identical: infinite PSNR
        {7.0, NaN},   {NaN, 40.0}, {-1.0, 50.0}, {9.0, 30.0}, // PSNR equal to the last kept
        {20.0, 35.0},
    };
    const std::vector<RdPoint> kept = BdPoints(points);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].Rate, 2.0);
    EXPECT_EQ(kept[0].Psnr, 26.0);
    EXPECT_EQ(kept[1].Rate, 5.0);
    EXPECT_EQ(kept[2].Rate, 20.0);
}

class BdFacts : public ::testing::TestWithParam<std::tuple<BdMethod, int>> {};

TEST_P(BdFacts, IdenticalCurvesDifferByNothing) {
    const auto [method, shape] = GetParam();
    const std::vector<RdPoint> curve = Curve(shape);
    const BdFigures f = Bjontegaard(curve, curve, method);
    ASSERT_TRUE(f.KeptPercent && f.PsnrDb) << f.Note;
    EXPECT_EQ(*f.KeptPercent, 0.0);
    EXPECT_EQ(*f.PsnrDb, 0.0);
    EXPECT_EQ(f.ReferencePoints, curve.size());
    EXPECT_EQ(*f.OverlapLowDb, curve.front().Psnr);
    EXPECT_EQ(*f.OverlapHighDb, curve.back().Psnr);
    EXPECT_TRUE(f.Note.empty());
}

TEST_P(BdFacts, ScaledRatesGiveTheScaleAndShiftedPsnrGivesTheShift) {
    const auto [method, shape] = GetParam();
    const std::vector<RdPoint> reference = Curve(shape);
    for (double c : {0.5, 0.9, 1.3, 2.0}) {
        std::vector<RdPoint> test = reference;
        for (RdPoint& p : test) {
            p.Rate *= c;
        }
        const BdFigures f = Bjontegaard(reference, test, method);
        ASSERT_TRUE(f.KeptPercent) << "c " << c << ": " << f.Note;
        EXPECT_LT(Relative(*f.KeptPercent, (c - 1.0) * 100.0), 1e-9)
            << "c " << c << " method " << BdMethodName(method) << " shape " << shape << ": "
            << *f.KeptPercent;
    }
    for (double d : {-1.5, 0.25, 3.0}) {
        std::vector<RdPoint> test = reference;
        for (RdPoint& p : test) {
            p.Psnr += d;
        }
        const BdFigures f = Bjontegaard(reference, test, method);
        ASSERT_TRUE(f.PsnrDb) << "d " << d << ": " << f.Note;
        EXPECT_LT(Relative(*f.PsnrDb, d), 1e-9) << "d " << d << " method " << BdMethodName(method)
                                                << " shape " << shape << ": " << *f.PsnrDb;
    }
}

TEST_P(BdFacts, TooFewPointsOrNoOverlapSaySo) {
    const auto [method, shape] = GetParam();
    const std::vector<RdPoint> reference = Curve(shape);
    // Three points after the rule: equal rates and a falling PSNR do not count.
    const std::vector<RdPoint> few = {
        {1.0, 20.0}, {1.0, 19.0}, {2.0, 22.0}, {3.0, 21.0}, {4.0, 25.0}};
    BdFigures f = Bjontegaard(reference, few, method);
    EXPECT_FALSE(f.KeptPercent || f.PsnrDb || f.OverlapLowDb);
    EXPECT_EQ(f.TestPoints, 3u);
    EXPECT_EQ(f.Note, "fewer than 4 points");

    // Above the reference in PSNR and in rate: no overlap on either axis.
    std::vector<RdPoint> apart = reference;
    for (RdPoint& p : apart) {
        p.Rate *= 1e6;
        p.Psnr += 100.0;
    }
    f = Bjontegaard(reference, apart, method);
    EXPECT_FALSE(f.KeptPercent || f.PsnrDb);
    EXPECT_EQ(f.Note, "the curves do not overlap");
}

INSTANTIATE_TEST_SUITE_P(MethodsAndShapes, BdFacts,
                         ::testing::Combine(::testing::Values(BdMethod::CubicFit,
                                                              BdMethod::PiecewiseCubic),
                                            ::testing::Values(0, 1)));

TEST(CubicFit, ReproducesACubicAndFitsNoiseByLeastSquares) {
    // A cubic through exact samples comes back; the mean over a range is its integral's.
    std::vector<double> x;
    std::vector<double> y;
    for (double v : {20.0, 24.5, 27.0, 31.0, 38.0, 45.5, 52.0}) {
        x.push_back(v);
        y.push_back(1.0 - 0.5 * v + 0.02 * v * v - 0.0001 * v * v * v);
    }
    const CubicFit fit(x, y);
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_NEAR(fit(x[i]), y[i], 1e-12) << "x " << x[i];
    }
    const auto integral = [](double v) {
        return v - 0.25 * v * v + 0.02 / 3.0 * v * v * v - 0.000025 * v * v * v * v;
    };
    EXPECT_NEAR(fit.MeanOver(25.0, 50.0), (integral(50.0) - integral(25.0)) / 25.0, 1e-12);
    EXPECT_THROW(CubicFit(std::vector<double>{1, 2, 3}, std::vector<double>{1, 2, 3}),
                 std::invalid_argument);
    EXPECT_THROW(CubicFit(std::vector<double>{1, 1, 2, 2}, std::vector<double>{1, 2, 3, 4}),
                 std::invalid_argument);
}
