#include "TileScan.h"
#include "ZigzagCursor.h"

#include "ZigzagReference.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <stdexcept>
#include <vector>

namespace {

// The Data positions the cursor gives the elements of a w x w tile, in raster order.
std::vector<std::size_t> CursorPositions(std::int32_t w) {
    BitField<double> tile;
    tile.Width = w;
    tile.Height = w;
    ZigzagCursor cursor(tile);
    std::vector<std::size_t> positions;
    for (std::int64_t k = 0; k < std::int64_t{w} * w; ++k) {
        positions.push_back(cursor.Position);
        cursor.Advance();
    }
    return positions;
}

TEST(ZigzagTableTest, IsThePermutationOfTheCursor) {
    std::vector<std::int32_t> sides;
    for (std::int32_t w = 0; w <= 70; ++w) {
        sides.push_back(w);
    }
    sides.insert(sides.end(), {127, 128, 129, 255, 256, 1000});
    for (std::int32_t w : sides) {
        SCOPED_TRACE(::testing::Message() << "side " << w);
        const auto side = static_cast<std::size_t>(w);
        const auto table = ZigzagTable(side);
        const std::vector<std::size_t> expected = CursorPositions(w);
        std::vector<bool> seen(side * side, false);
        for (std::size_t k = 0; k < side * side; ++k) {
            ASSERT_LT(table[k], side * side) << "raster index " << k;
            ASSERT_FALSE(seen[table[k]]) << "position " << table[k] << " given twice";
            seen[table[k]] = true;
            ASSERT_EQ(table[k], expected[k]) << "raster index " << k;
        }
        EXPECT_EQ(ZigzagTable(side), table) << "a second request shares the table";
    }
    EXPECT_EQ(std::vector<std::size_t>(ZigzagTable(3).get(), ZigzagTable(3).get() + 9),
              ZigzagPositions(3));
}

// A tile taken from inside a larger plane in either order, against the element-by-element
// definition, then put back into an empty plane: sides below, at and well above the sizes
// whose scans go band by band, at an offset and with a stride wider than the tile.
TEST(TileScanTest, GatherAndScatterFollowTheScanOrder) {
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    for (std::size_t side : {1u, 2u, 7u, 32u, 33u, 128u, 129u, 200u, 300u}) {
        const std::size_t row0 = 3;
        const std::size_t col0 = 5;
        const std::size_t stride = side + 11;
        std::vector<double> plane((row0 + side + 2) * stride);
        for (double& v : plane) {
            v = value(random);
        }
        const std::vector<std::size_t> zigzag = ZigzagPositions(side);
        for (ScanOrder order : {ScanOrder::Zigzag, ScanOrder::Raster}) {
            SCOPED_TRACE(::testing::Message()
                         << "side " << side << ", " << ScanOrderName(order) << " order");
            std::vector<double> tile(side * side, -1.0);
            GatherTile(plane, stride, row0, col0, side, order, tile);
            for (std::size_t r = 0; r < side; ++r) {
                for (std::size_t c = 0; c < side; ++c) {
                    const std::size_t k = r * side + c;
                    ASSERT_EQ(tile[order == ScanOrder::Zigzag ? zigzag[k] : k],
                              plane[(row0 + r) * stride + col0 + c])
                        << "row " << r << " column " << c;
                }
            }
            std::vector<double> back(plane.size(), 0.0);
            ScatterTile(tile, side, order, back, stride, row0, col0);
            for (std::size_t i = 0; i < back.size(); ++i) {
                const std::size_t r = i / stride;
                const std::size_t c = i % stride;
                const bool inside = r >= row0 && r < row0 + side && c >= col0 && c < col0 + side;
                ASSERT_EQ(back[i], inside ? plane[i] : 0.0) << "plane row " << r << " column " << c;
            }
        }
    }
}

// A whole tile reordered where it lies, against the element-by-element definition, and back.
TEST(TileScanTest, ZigzagInPlaceFollowsTheScanOrderAndReturns) {
    for (std::size_t side : {1u, 2u, 3u, 7u, 32u, 33u, 300u}) {
        SCOPED_TRACE(::testing::Message() << "side " << side);
        std::vector<double> tile(side * side);
        for (std::size_t k = 0; k < tile.size(); ++k) {
            tile[k] = static_cast<double>(k);
        }
        const std::vector<std::size_t> zigzag = ZigzagPositions(side);
        ZigzagInPlace(tile, side, true);
        for (std::size_t k = 0; k < tile.size(); ++k) {
            ASSERT_EQ(tile[zigzag[k]], static_cast<double>(k)) << "raster index " << k;
        }
        ZigzagInPlace(tile, side, false);
        for (std::size_t k = 0; k < tile.size(); ++k) {
            ASSERT_EQ(tile[k], static_cast<double>(k)) << "raster index " << k;
        }
    }
    std::vector<double> wrong(10);
    EXPECT_THROW(ZigzagInPlace(wrong, 3, true), std::invalid_argument);
}

} // namespace
