#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"
#include "HaarDWT.h"
#include "HaarDWT2D.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

enum class Kind { Cosine, Cosine2D, Haar, Haar2D, Daubechies4, Daubechies4_2D };

std::unique_ptr<Transform> Make(Kind kind) {
    switch (kind) {
    case Kind::Cosine:
        return std::make_unique<CosineFFT>();
    case Kind::Cosine2D:
        return std::make_unique<CosineFFT2D>();
    case Kind::Haar:
        return std::make_unique<HaarDWT>();
    case Kind::Haar2D:
        return std::make_unique<HaarDWT2D>();
    case Kind::Daubechies4:
        return std::make_unique<Daubechies4DWT>();
    case Kind::Daubechies4_2D:
        return std::make_unique<Daubechies4DWT2D>();
    }
    return nullptr;
}

const char* Name(Kind kind) {
    const char* names[] = {"CosineFFT", "CosineFFT2D",    "HaarDWT",
                           "HaarDWT2D", "Daubechies4DWT", "Daubechies4DWT2D"};
    return names[static_cast<int>(kind)];
}

using Param = std::tuple<Kind, std::uint32_t>;

class RoundTripTest : public ::testing::TestWithParam<Param> {};

TEST_P(RoundTripTest, InverseRestoresTile) {
    const auto [kind, n] = GetParam();
    std::mt19937_64 random(n * 7 + static_cast<unsigned>(kind));
    std::uniform_int_distribution<int> pixel(0, 255);
    std::vector<double> tile(std::size_t{n} * n);
    for (double& v : tile) {
        v = pixel(random);
    }
    const std::vector<double> original = tile;
    const std::unique_ptr<Transform> transform = Make(kind);
    transform->Forward(tile.data(), n);
    EXPECT_EQ(transform->Buffer, nullptr);
    transform->Inverse(tile.data(), n);
    EXPECT_EQ(transform->Buffer, nullptr);
    // The one-dimensional cosine pair on a whole 256 x 256 tile is one vector of 65536 values;
    // its inverse divides by sines as small as sin(pi / 131072), which lifts the rounding of double
    // arithmetic to about 1e-8 there.
    const double tolerance = kind == Kind::Cosine && n == 256 ? 3e-8 : 1e-9;
    for (std::size_t i = 0; i < tile.size(); ++i) {
        ASSERT_NEAR(tile[i], original[i], tolerance) << "index " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllClassesAndSides, RoundTripTest,
    ::testing::Combine(::testing::Values(Kind::Cosine, Kind::Cosine2D, Kind::Haar, Kind::Haar2D,
                                         Kind::Daubechies4, Kind::Daubechies4_2D),
                       ::testing::Values(1u, 2u, 4u, 8u, 16u, 32u, 64u, 128u, 256u)),
    [](const ::testing::TestParamInfo<Param>& info) {
        return std::string(Name(std::get<0>(info.param))) + "_side" +
               std::to_string(std::get<1>(info.param));
    });

} // namespace
