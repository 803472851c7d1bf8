#include "ZigzagCursor.h"

#include "ZigzagReference.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

namespace {

// The Data positions a cursor gives the elements of a w x w tile, in raster order.
std::vector<std::size_t> CursorPositions(std::int32_t w) {
    BitField<double> tile;
    tile.Width = w;
    tile.Height = w;
    ZigzagCursor cursor(tile);
    std::vector<std::size_t> positions;
    for (std::int32_t k = 0; k < w * w; ++k) {
        EXPECT_EQ(cursor.Visited, static_cast<std::size_t>(k));
        positions.push_back(cursor.Position);
        cursor.Advance();
    }
    return positions;
}

// The element (row, column) stored at each Data position of a w x w tile.
std::vector<std::pair<int, int>> ElementsByPosition(std::int32_t w) {
    const std::vector<std::size_t> positions = CursorPositions(w);
    std::vector<std::pair<int, int>> elements(positions.size(), {-1, -1});
    for (std::size_t k = 0; k < positions.size(); ++k) {
        elements.at(positions[k]) = {static_cast<int>(k) / w, static_cast<int>(k) % w};
    }
    return elements;
}

TEST(ZigzagCursor, IsAPermutationMatchingTheAntiDiagonalWalk) {
    for (std::int32_t w = 1; w <= 64; ++w) {
        SCOPED_TRACE(testing::Message() << "width " << w);
        const std::vector<std::size_t> positions = CursorPositions(w);
        std::vector<bool> seen(positions.size(), false);
        for (std::size_t p : positions) {
            ASSERT_LT(p, positions.size());
            ASSERT_FALSE(seen[p]) << "position " << p << " given twice";
            seen[p] = true;
        }
        EXPECT_EQ(positions.front(), 0u);
        EXPECT_EQ(positions.back(), positions.size() - 1);
        EXPECT_EQ(positions, ZigzagPositions(static_cast<std::size_t>(w)));
    }
}

TEST(ZigzagCursor, EightByEightIsTheJpegSequenceTransposed) {
    // ITU-T T.81 zig-zag sequence: raster index (row * 8 + column) at each step.
    constexpr std::array<int, 64> Jpeg = {
        0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
        41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
        30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    const std::vector<std::pair<int, int>> elements = ElementsByPosition(8);
    for (std::size_t p = 0; p < 64; ++p) {
        SCOPED_TRACE(testing::Message() << "position " << p);
        EXPECT_EQ(elements[p], std::make_pair(Jpeg[p] % 8, Jpeg[p] / 8));
    }

    const std::vector<std::pair<int, int>> first16 = {
        {0, 0}, {1, 0}, {0, 1}, {0, 2}, {1, 1}, {2, 0}, {3, 0}, {2, 1},
        {1, 2}, {0, 3}, {0, 4}, {1, 3}, {2, 2}, {3, 1}, {4, 0}, {5, 0}};
    const std::vector<std::pair<int, int>> start(elements.begin(), elements.begin() + 16);
    EXPECT_EQ(start, first16);
    EXPECT_EQ(elements[63], std::make_pair(7, 7));
}

TEST(ZigzagCursor, SmallTiles) {
    EXPECT_EQ(ElementsByPosition(1), (std::vector<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(ElementsByPosition(2),
              (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
    EXPECT_EQ(ElementsByPosition(3),
              (std::vector<std::pair<int, int>>{
                  {0, 0}, {1, 0}, {0, 1}, {0, 2}, {1, 1}, {2, 0}, {2, 1}, {1, 2}, {2, 2}}));
}

} // namespace
