#include "KeepLargest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The rule written out: positions ordered by magnitude, largest first (NaN on top), equal
// magnitudes by position; the first keep of them survive.
std::vector<double> Reference(const std::vector<double>& rank, const std::vector<double>& data,
                              std::size_t keep) {
    std::vector<std::size_t> order(rank.size());
    std::iota(order.begin(), order.end(), 0);
    const auto magnitude = [&](std::size_t i) {
        return std::bit_cast<std::uint64_t>(std::fabs(rank[i]));
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return magnitude(a) > magnitude(b); });
    std::vector<double> kept(data.size(), 0.0);
    for (std::size_t k = 0; k < std::min(keep, order.size()); ++k) {
        kept[order[k]] = data[order[k]];
    }
    return kept;
}

std::vector<double> Tile(std::size_t count, int kind, std::uint64_t variant) {
    std::mt19937_64 random(variant);
    std::normal_distribution<double> normal;
    std::uniform_int_distribution<int> small(-3, 3);
    std::vector<double> tile(count);
    for (double& v : tile) {
        // Normal values, or few distinct ones so that the boundary falls among ties.
        v = kind == 0 ? normal(random) : small(random) * 0.5;
    }
    if (kind == 2 && count > 3) {
        tile[count / 3] = std::numeric_limits<double>::quiet_NaN();
        tile[count / 2] = -std::numeric_limits<double>::infinity();
        tile[1] = -0.0;
    }
    return tile;
}

std::vector<std::uint64_t> Bits(const std::vector<double>& values) {
    std::vector<std::uint64_t> bits;
    for (double v : values) {
        bits.push_back(std::bit_cast<std::uint64_t>(v));
    }
    return bits;
}

} // namespace

// Every count to keep, on tiles of normal values, of ties, and with a NaN, an infinity and a
// negative zero: the same survivors as the rule written out, exactly keep of them, by their own
// ranks or by another array's.
TEST(KeepLargestTest, KeepsExactlyTheLargestTiesToTheLowerPosition) {
    for (std::size_t count : {1u, 2u, 7u, 16u, 64u, 300u}) {
        for (int kind = 0; kind < 3; ++kind) {
            const std::vector<double> data = Tile(count, kind, count * 3 + kind);
            const std::vector<double> other = Tile(count, (kind + 1) % 3, count * 5 + kind);
            for (std::size_t keep = 0; keep <= count + 1; ++keep) {
                for (const bool byOther : {false, true}) {
                    SCOPED_TRACE("count " + std::to_string(count) + ", tile kind " +
                                 std::to_string(kind) + ", keep " + std::to_string(keep) +
                                 (byOther ? ", ranked by another array" : ""));
                    const std::vector<double>& rank = byOther ? other : data;
                    std::vector<double> actual = data;
                    std::vector<std::uint64_t> keys(count);
                    KeepLargest(rank.data(), actual.data(), count, keep, keys.data());
                    ASSERT_EQ(Bits(actual), Bits(Reference(rank, data, keep)));
                }
            }
        }
    }
}

TEST(KeepLargestTest, CountsRoundHalfUpAndStayInTheTile) {
    EXPECT_EQ(KeptCount(10.0, 64), 6u);    // 6.4
    EXPECT_EQ(KeptCount(12.5, 4), 1u);     // 0.5 rounds up
    EXPECT_EQ(KeptCount(0.78125, 64), 1u); // 0.5
    EXPECT_EQ(KeptCount(0.78, 64), 0u);
    EXPECT_EQ(KeptCount(100.0, 65536), 65536u);
    EXPECT_EQ(KeptCount(250.0, 10), 10u);
    EXPECT_EQ(KeptCount(-5.0, 10), 0u);
    EXPECT_EQ(KeptCount(0.0, 0), 0u);
    EXPECT_THROW(KeptCount(std::nan(""), 10), std::invalid_argument);
    std::vector<double> one{1.0};
    EXPECT_THROW(KeepLargest(nullptr, one.data(), 1, 0, nullptr), std::invalid_argument);
}
