// The cached twiddle factors by what they mean: each entry is the cosine and sine of its
// angle, within what the recurrence that made it can have drifted. That the kernels reading them
// give the recurrence's figures bit for bit is ExactnessTest's part.

#include "CosinePlan.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;
constexpr double U = 0x1p-53;

// The drift a recurrence with step constants (wpr, wpi), a rotation by phi with wpr = cos phi - 1
// and wpi = sin phi, can build up in k steps. One step (CosinePlan::Rotate) rounds two products,
// at most |wpr| + |wpi| in size on |w| = 1, their difference and the sum with w: about
// u (1 + 2 (|wpr| + |wpi|)) per part, and the rounded constants turn it by at most a few u
// (|wpr| + |wpi|) off the angle. The error so far is carried on unchanged in size, as the step is
// a rotation, so the drift is below (k + 1) beta, beta = 2 u (1 + 3 (|wpr| + |wpi|)), starting
// values included. Every length up to 2^20 stays within half of it.
long double Drift(CosinePlan::Twiddle step, std::size_t k) {
    const long double beta =
        2.0L * U * (1.0L + 3.0L * (std::fabs(step.Real) + std::fabs(step.Imag)));
    return static_cast<long double>(k + 1) * beta;
}

// How far a twiddle lies from cos and sin of angle.
long double Distance(double real, double imag, long double angle) {
    return std::hypot(real - std::cos(angle), imag - std::sin(angle));
}

// A step's constants against cos phi - 1 and sin phi: a few units of rounding of the sines they
// come from and of the angle, 3.141592653589793 standing for pi.
void ExpectStep(CosinePlan::Twiddle step, long double phi, const std::string& where) {
    // cos phi - 1 without the cancellation.
    const long double half = std::sin(phi / 2.0L);
    const long double versine = -2.0L * half * half;
    EXPECT_LE(std::fabs(step.Real - versine), 8.0L * U * std::fabs(versine) + 1e-300L) << where;
    EXPECT_LE(std::fabs(step.Imag - std::sin(phi)), 4.0L * U * std::fabs(phi)) << where;
}

class CosinePlanTest : public ::testing::TestWithParam<std::tuple<unsigned, int>> {};

TEST_P(CosinePlanTest, TablesHoldTheCosinesAndSinesOfTheirAngles) {
    const auto [log, direction] = GetParam();
    const std::size_t length = std::size_t{1} << log;
    const auto plan = CosinePlan::Get(length, direction);
    ASSERT_EQ(plan->Length(), length);
    ASSERT_EQ(plan->Direction(), direction);
    const std::string where =
        "length " + std::to_string(length) + " direction " + std::to_string(direction);
    const long double sign = direction;

    // The cosine sequences turn by 2 theta from theta = pi / 2L (Taper) and from 0 (Rotation).
    const long double theta = Pi / (2.0L * static_cast<long double>(length));
    EXPECT_LE(Distance(plan->CosineStart().Real, plan->CosineStart().Imag, theta), 2.0L * U)
        << where << " cosine start";
    ExpectStep(plan->CosineStep(), 2.0L * theta, where + " cosine step");
    const bool tabled = length <= CosinePlan::LineTableLimit;
    const std::span<const double> taper = plan->Taper();
    ASSERT_EQ(taper.size(), tabled ? length / 2 : 0) << where;
    for (std::size_t s = 0; s < taper.size(); ++s) {
        const long double sine = std::sin(static_cast<long double>(2 * s + 1) * theta);
        // The inverse holds 0.5 / sine, one more rounding.
        const long double implied = direction == 1 ? taper[s] : 0.5L / taper[s];
        const long double bound = Drift(plan->CosineStep(), s) + (direction == 1 ? 0.0L : U);
        ASSERT_LE(std::fabs(implied - sine), bound) << where << " taper " << s;
    }
    const std::span<const CosinePlan::Twiddle> rotation = plan->Rotation();
    ASSERT_EQ(rotation.size(), tabled ? length / 2 - 1 : 0) << where;
    for (std::size_t s = 0; s < rotation.size(); ++s) {
        const long double angle = static_cast<long double>(2 * (s + 1)) * theta;
        ASSERT_LE(Distance(rotation[s].Real, rotation[s].Imag, angle),
                  Drift(plan->CosineStep(), s + 1))
            << where << " rotation " << s + 1;
    }

    // The real FFT's sequence turns by +-2 pi / L and starts one step in.
    const long double realTheta = sign * 2.0L * Pi / static_cast<long double>(length);
    ExpectStep(plan->RealStep(), realTheta, where + " real step");
    const std::span<const CosinePlan::Twiddle> real = plan->Real();
    ASSERT_EQ(real.size(), tabled && length >= 4 ? length / 4 - 1 : 0) << where;
    for (std::size_t t = 0; t < real.size(); ++t) {
        const long double angle = static_cast<long double>(t + 1) * realTheta;
        ASSERT_LE(Distance(real[t].Real, real[t].Imag, angle), Drift(plan->RealStep(), t + 1))
            << where << " real step " << t + 2;
    }

    // The complex FFT of L/2 values: the stage whose pairs lie h apart turns by +-pi / h, h up
    // to L/4, tabled up to StageTableLimit.
    const std::size_t largest = length < 4 ? 0 : std::min(length / 4, CosinePlan::StageTableLimit);
    ASSERT_EQ(plan->LargestTabledStage(), largest) << where;
    ASSERT_EQ(plan->Stages().size(), largest == 0 ? 0 : 2 * largest - 1) << where;
    for (std::size_t h = 1; h <= length / 4; h *= 2) {
        const long double stageTheta = sign * Pi / static_cast<long double>(h);
        ExpectStep(plan->StageStep(h), stageTheta, where + " stage step " + std::to_string(h));
        const std::span<const CosinePlan::StageTwiddle> stage = plan->Stage(h);
        ASSERT_EQ(stage.size(), h <= largest ? h : 0) << where << " h " << h;
        for (std::size_t m = 0; m < stage.size(); ++m) {
            const CosinePlan::StageTwiddle& w = stage[m];
            ASSERT_TRUE(std::bit_cast<std::uint64_t>(w.RealAgain) ==
                            std::bit_cast<std::uint64_t>(w.Real) &&
                        std::bit_cast<std::uint64_t>(w.NegatedImag) ==
                            std::bit_cast<std::uint64_t>(-w.Imag))
                << where << " stage " << h << " butterfly " << m << ": lanes disagree";
            ASSERT_LE(Distance(w.Real, w.Imag, static_cast<long double>(m) * stageTheta),
                      Drift(plan->StageStep(h), m))
                << where << " stage " << h << " butterfly " << m;
        }
    }
    EXPECT_TRUE(plan->Stage(0).empty()) << where;
    EXPECT_TRUE(plan->Stage(3).empty()) << where;
    EXPECT_TRUE(plan->Stage(2 * std::max<std::size_t>(largest, 1)).empty()) << where;
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
