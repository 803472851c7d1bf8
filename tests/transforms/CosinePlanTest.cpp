// The cached twiddle factors against the recurrence itself, stepped here in the order of
// arithmetic the kernels always used: every figure must be the same bits.

#include "CosinePlan.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

constexpr double TwoPi = 6.283185307179586;
constexpr double Pi = 3.141592653589793;
constexpr double HalfPi = 1.5707963267948966;

struct Step {
    double wpr;
    double wpi;
};

void Rotate(double& wr, double& wi, Step step) {
    const double wtemp = wr;
    wr = wr * step.wpr - wi * step.wpi + wr;
    wi = wi * step.wpr + wtemp * step.wpi + wi;
}

Step StepFor(double theta) {
    const double wtemp = std::sin(theta / 2.0);
    return {-2.0 * wtemp * wtemp, std::sin(theta)};
}

bool Same(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

class CosinePlanTest : public ::testing::TestWithParam<std::tuple<unsigned, int>> {};

TEST_P(CosinePlanTest, TablesAreTheRecurrencesFigures) {
    const auto [log, direction] = GetParam();
    const std::size_t length = std::size_t{1} << log;
    const auto plan = CosinePlan::Get(length, direction);
    ASSERT_EQ(plan->Length(), length);
    ASSERT_EQ(plan->Direction(), direction);
    const std::string where =
        "length " + std::to_string(length) + " direction " + std::to_string(direction);

    // The cosine sequences: theta = pi / 2L.
    const double theta = HalfPi / static_cast<double>(length);
    double wr1 = std::cos(theta);
    double wi1 = std::sin(theta);
    const Step cosine{-2.0 * wi1 * wi1, std::sin(2.0 * theta)};
    const bool tabled = length <= CosinePlan::LineTableLimit;
    ASSERT_EQ(plan->Taper().size(), tabled ? length / 2 : 0) << where;
    for (std::size_t s = 0; s < plan->Taper().size(); ++s) {
        const double expected = direction == 1 ? wi1 : 0.5 / wi1;
        ASSERT_TRUE(Same(plan->Taper()[s], expected)) << where << " taper " << s;
        Rotate(wr1, wi1, cosine);
    }
    ASSERT_EQ(plan->Rotation().size(), tabled ? length / 2 - 1 : 0) << where;
    double wr = 1.0;
    double wi = 0.0;
    for (std::size_t s = 0; s < plan->Rotation().size(); ++s) {
        Rotate(wr, wi, cosine);
        ASSERT_TRUE(Same(plan->Rotation()[s].Real, wr)) << where << " rotation " << s + 1;
        ASSERT_TRUE(Same(plan->Rotation()[s].Imag, wi)) << where << " rotation " << s + 1;
    }

    // The real FFT's sequence: theta = +-pi / (L/2), starting one step in.
    const double realTheta = Pi / static_cast<double>(length / 2);
    const Step real = StepFor(direction == 1 ? realTheta : -realTheta);
    ASSERT_EQ(plan->Real().size(), tabled && length >= 4 ? length / 4 - 1 : 0) << where;
    wr = 1.0 + real.wpr;
    wi = real.wpi;
    for (std::size_t t = 0; t < plan->Real().size(); ++t) {
        ASSERT_TRUE(Same(plan->Real()[t].Real, wr)) << where << " real step " << t + 2;
        ASSERT_TRUE(Same(plan->Real()[t].Imag, wi)) << where << " real step " << t + 2;
        Rotate(wr, wi, real);
    }

    // Each stage of the complex FFT of L/2 values: theta = +-2 pi / mmax, mmax = 2h doubles.
    std::size_t largest = 0;
    for (std::size_t h = 1; h <= length / 4 && h <= CosinePlan::StageTableLimit; h *= 2) {
        largest = h;
    }
    ASSERT_EQ(plan->LargestTabledStage(), largest) << where;
    for (std::size_t h = 1; h <= length / 4; h *= 2) {
        const Step step = StepFor((TwoPi / static_cast<double>(2 * h)) * direction);
        const Step kept{plan->StageStep(h).Real, plan->StageStep(h).Imag};
        ASSERT_TRUE(Same(kept.wpr, step.wpr) && Same(kept.wpi, step.wpi)) << where << " h " << h;
        const auto stage = plan->Stage(h);
        ASSERT_EQ(stage.size(), h <= largest ? h : 0) << where << " h " << h;
        wr = 1.0;
        wi = 0.0;
        for (std::size_t m = 0; m < stage.size(); ++m) {
            const CosinePlan::StageTwiddle& w = stage[m];
            ASSERT_TRUE(Same(w.Real, wr) && Same(w.RealAgain, wr) && Same(w.Imag, wi) &&
                        Same(w.NegatedImag, -wi))
                << where << " stage " << h << " butterfly " << m;
            Rotate(wr, wi, step);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LengthsAndDirections, CosinePlanTest,
                         ::testing::Combine(::testing::Range(1u, 21u), ::testing::Values(1, -1)),
                         [](const ::testing::TestParamInfo<std::tuple<unsigned, int>>& info) {
                             return "length" + std::to_string(1u << std::get<0>(info.param)) +
                                    (std::get<1>(info.param) == 1 ? "_forward" : "_inverse");
                         });

TEST(CosinePlanCacheTest, OnePlanPerLengthAndDirectionWhileHeld) {
    const auto forward = CosinePlan::Get(1024, 1);
    EXPECT_EQ(CosinePlan::Get(1024, 1), forward);
    EXPECT_NE(CosinePlan::Get(1024, -1), forward);
    EXPECT_NE(CosinePlan::Get(512, 1), forward);

    // Threads asking at once all get the one plan.
    std::vector<std::shared_ptr<const CosinePlan>> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = CosinePlan::Get(2048, -1); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const auto& plan : seen) {
        EXPECT_EQ(plan, seen[0]);
    }
}

TEST(CosinePlanCacheTest, RejectsLengthsAndDirectionsWithoutKernel) {
    for (std::size_t length : {0u, 1u, 3u, 12u}) {
        EXPECT_THROW(CosinePlan::Get(length, 1), std::invalid_argument) << "length " << length;
    }
    for (int direction : {0, 2, -2}) {
        EXPECT_THROW(CosinePlan::Get(16, direction), std::invalid_argument)
            << "direction " << direction;
    }
}

} // namespace
