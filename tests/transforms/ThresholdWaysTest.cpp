// The ways Threshold finds its stop, seen from inside: which way decides, and the per-exponent
// tallies that must be zero at the start of every call.

#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"
#include "ExponentTallies.h"
#include "HaarDWT.h"
#include "HaarDWT2D.h"
#include "ReferenceTransforms.h"
#include "ScratchArray.h"
#include "ThresholdTiles.h"
#include "Thresholder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// A smooth image's tile, whole-number pixels with a little noise, as the pages hold them.
std::vector<double> SmoothTile(std::uint32_t n, std::uint64_t variant) {
    std::mt19937_64 random(variant);
    std::uniform_real_distribution<double> phase(0.0, 6.0);
    std::uniform_real_distribution<double> noise(-3.0, 3.0);
    const double px = phase(random);
    const double py = phase(random);
    std::vector<double> tile(std::size_t{n} * n);
    for (std::size_t i = 0; i < tile.size(); ++i) {
        const double r = static_cast<double>(i / n);
        const double c = static_cast<double>(i % n);
        const double value = 128.0 + 90.0 * std::sin(r / 11.0 + px) * std::cos(c / 7.0 + py);
        tile[i] = std::clamp(std::round(value + noise(random)), 0.0, 255.0);
    }
    return tile;
}

std::vector<std::pair<std::string, std::unique_ptr<Transform>>> AllClasses() {
    std::vector<std::pair<std::string, std::unique_ptr<Transform>>> classes;
    classes.emplace_back("CosineFFT", std::make_unique<CosineFFT>());
    classes.emplace_back("CosineFFT2D", std::make_unique<CosineFFT2D>());
    classes.emplace_back("HaarDWT", std::make_unique<HaarDWT>());
    classes.emplace_back("HaarDWT2D", std::make_unique<HaarDWT2D>());
    classes.emplace_back("Daubechies4DWT", std::make_unique<Daubechies4DWT>());
    classes.emplace_back("Daubechies4DWT2D", std::make_unique<Daubechies4DWT2D>());
    return classes;
}

// Thresholds a copy of tile with a Thresholder and checks it against the plain rule.
void ExpectPlainRule(Thresholder& thresholder, ScratchArray& keys, const std::vector<double>& tile,
                     const Reference::ThresholdRule& rule, double x) {
    double expectedKept = -3.0;
    const std::vector<double> expected = rule.Apply(x, expectedKept);
    std::vector<double> actual = tile;
    double kept = -3.0;
    thresholder.Run(actual.data(), actual.size(), x, keys, kept);
    for (std::size_t i = 0; i < tile.size(); ++i) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(actual[i]),
                  std::bit_cast<std::uint64_t>(expected[i]))
            << "at " << i;
    }
    ASSERT_EQ(std::bit_cast<std::uint64_t>(kept), std::bit_cast<std::uint64_t>(expectedKept));
}

class BandTest : public ::testing::TestWithParam<std::uint32_t> {};

// A band that gave up on every tile would pass every other test and only be slower: on the
// tiles the program thresholds, transform coefficients of images and plain normal values, it
// decides nearly every call.
TEST_P(BandTest, DecidesOrdinaryTiles) {
    const std::uint32_t n = GetParam();
    const double fractions[] = {1e-4, 0.001, 0.01, 0.05, 0.1, 0.2, 0.3, 0.5, 0.7, 0.9};
    std::vector<std::pair<std::string, std::vector<double>>> tiles;
    for (const auto& [name, transform] : AllClasses()) {
        for (std::uint64_t variant = 1; variant <= 3; ++variant) {
            std::vector<double> tile = SmoothTile(n, n * 10 + variant);
            transform->Forward(tile.data(), n);
            tiles.emplace_back(name + " coefficients", std::move(tile));
        }
    }
    for (std::uint64_t variant = 1; variant <= 3; ++variant) {
        tiles.emplace_back("normal values",
                           ThresholdTile(std::size_t{n} * n, {TileKind::Normal}, n + variant));
    }
    Thresholder thresholder;
    ScratchArray keys;
    for (const auto& [name, tile] : tiles) {
        const Reference::ThresholdRule rule(tile);
        for (double x : fractions) {
            SCOPED_TRACE(::testing::Message() << "side " << n << " " << name << " x " << x);
            ASSERT_NO_FATAL_FAILURE(ExpectPlainRule(thresholder, keys, tile, rule, x));
        }
    }
    const ThresholdCounts& counts = thresholder.Counts();
    const std::uint64_t calls = tiles.size() * std::size(fractions);
    EXPECT_EQ(counts.Band + counts.Spread, calls) << "side " << n << ": other ways chosen";
    EXPECT_GE(counts.Band * 100, calls * 99)
        << "side " << n << ": the band decided " << counts.Band << " of " << calls << " calls";
}

INSTANTIATE_TEST_SUITE_P(Sides, BandTest, ::testing::Values(8u, 16u, 32u, 64u, 128u, 256u),
                         [](const ::testing::TestParamInfo<std::uint32_t>& info) {
                             return "side" + std::to_string(info.param);
                         });

// Each kind of tile goes the way meant for it, and the result is still the plain rule's.
TEST(ThresholdWaysTest, EachTileGoesItsWay) {
    struct WayCase {
        const char* Name;
        std::vector<double> Tile;
        double X;
        std::uint64_t ThresholdCounts::*Way;
    };
    const std::vector<WayCase> cases{
        {"zeros", std::vector<double>(64, 0.0), 0.3, &ThresholdCounts::NoEnergy},
        {"error fraction 0", ThresholdTile(64, {TileKind::Normal}, 1), 0.0,
         &ThresholdCounts::FirstStep},
        {"negative error fraction", ThresholdTile(64, {TileKind::Normal}, 2), -1.0,
         &ThresholdCounts::FirstStep},
        {"16 values", ThresholdTile(16, {TileKind::Normal}, 3), 0.3, &ThresholdCounts::Direct},
        {"17 values", ThresholdTile(17, {TileKind::Normal}, 4), 0.3, &ThresholdCounts::Band},
        // No bound on the walk's sums to place the band with: sorted.
        {"overflowing energy", ThresholdTile(64, {TileKind::Overflowing}, 5), 0.3,
         &ThresholdCounts::Spread},
        {"a NaN", ThresholdTile(64, {TileKind::WithNaN}, 6), 0.3, &ThresholdCounts::Spread},
        {"walk that never stops", ThresholdTile(64, {TileKind::Normal}, 7), 2.0,
         &ThresholdCounts::Band},
    };
    for (const WayCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Name << ", x " << c.X);
        Thresholder thresholder;
        ScratchArray keys;
        ASSERT_NO_FATAL_FAILURE(
            ExpectPlainRule(thresholder, keys, c.Tile, Reference::ThresholdRule(c.Tile), c.X));
        const ThresholdCounts& counts = thresholder.Counts();
        EXPECT_EQ(counts.*c.Way, 1u);
        EXPECT_EQ(counts.NoEnergy + counts.FirstStep + counts.Direct + counts.Band + counts.Spread +
                      counts.Ranged,
                  1u);
    }
}

TEST(ThresholdWaysTest, ArgumentsAreCheckedBeforeAnythingChanges) {
    Thresholder thresholder;
    ScratchArray keys;
    std::vector<double> data{3, -4, 0, 1};
    double kept = 12.5;
    EXPECT_THROW(thresholder.Run(data.data(), data.size(), std::numeric_limits<double>::quiet_NaN(),
                                 keys, kept),
                 std::invalid_argument);
    EXPECT_THROW(thresholder.Run(nullptr, 4, 0.5, keys, kept), std::invalid_argument);
    EXPECT_EQ(data, (std::vector<double>{3, -4, 0, 1}));
    EXPECT_EQ(kept, 12.5);
    thresholder.Run(nullptr, 0, 0.5, keys, kept);
    EXPECT_EQ(kept, 0.0);
}

bool AllZero(const ExponentSlots& slots) {
    return std::all_of(slots.Counts.begin(), slots.Counts.end(),
                       [](std::uint32_t c) { return c == 0; }) &&
           std::all_of(slots.Sums.begin(), slots.Sums.end(),
                       [](double s) { return std::bit_cast<std::uint64_t>(s) == 0; });
}

class TallyPassTest : public ::testing::TestWithParam<std::uint32_t> {};

// The tallies against a count and a long double sum per exponent, and the slots zero again.
TEST_P(TallyPassTest, ReadOffGivesEachExponentAndLeavesTheSlotsZero) {
    const std::uint32_t n = GetParam();
    for (TileKind kind : {TileKind::Spread, TileKind::Ties, TileKind::Integers}) {
        const TileRecipe recipe{kind};
        SCOPED_TRACE(::testing::Message() << "side " << n << " tile " << Describe(recipe));
        const std::vector<double> tile = ThresholdTile(std::size_t{n} * n, recipe, n);
        std::vector<std::size_t> expectedKeys(Exponents, 0);
        std::vector<long double> expectedEnergy(Exponents, 0.0L);
        for (double v : tile) {
            const std::size_t e = std::bit_cast<std::uint64_t>(std::fabs(v)) >> 52;
            ++expectedKeys[e];
            expectedEnergy[e] += static_cast<long double>(v * v);
        }
        const auto slots = std::make_unique<ExponentSlots>();
        std::vector<ExponentTally> tallies(Exponents);
        std::size_t occupied = 0;
        {
            TallyPass pass(*slots);
            const Magnitudes m = pass.Tally(tile.data(), tile.size());
            const std::size_t highest = m.Largest >> 52;
            const std::size_t lowestNonzero =
                m.BelowNonzero == ~std::uint64_t{0} ? highest : (m.BelowNonzero + 1) >> 52;
            occupied = pass.ReadOff(m.Smallest >> 52, lowestNonzero, highest, tallies.data());
        }
        EXPECT_TRUE(AllZero(*slots));
        std::size_t t = 0;
        for (std::size_t e = 0; e < Exponents; ++e) {
            if (expectedKeys[e] == 0) {
                continue;
            }
            ASSERT_LT(t, occupied) << "exponent " << e << " missing";
            EXPECT_EQ(tallies[t].Exponent, e);
            EXPECT_EQ(tallies[t].Keys, expectedKeys[e]) << "exponent " << e;
            EXPECT_NEAR(tallies[t].Energy, static_cast<double>(expectedEnergy[e]),
                        static_cast<double>(expectedEnergy[e]) * 1e-12)
                << "exponent " << e;
            ++t;
        }
        EXPECT_EQ(t, occupied);
    }
}

// A call that ends before the tallies are read, by an exception, leaves them zero too.
TEST_P(TallyPassTest, PassEndedByAnExceptionLeavesTheSlotsZero) {
    const std::uint32_t n = GetParam();
    SCOPED_TRACE(::testing::Message() << "side " << n);
    const std::vector<double> tile = ThresholdTile(std::size_t{n} * n, {TileKind::Spread}, n + 1);
    const auto slots = std::make_unique<ExponentSlots>();
    try {
        TallyPass pass(*slots);
        pass.Tally(tile.data(), tile.size());
        throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
    }
    EXPECT_TRUE(AllZero(*slots));
}

INSTANTIATE_TEST_SUITE_P(Sides, TallyPassTest, ::testing::Values(5u, 8u, 64u, 256u),
                         [](const ::testing::TestParamInfo<std::uint32_t>& info) {
                             return "side" + std::to_string(info.param);
                         });

} // namespace
