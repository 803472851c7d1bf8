#pragma once

#include "BitField.h"

#include <cstddef>
#include <cstdint>

// Walks a tile's elements in raster order and places each at its zigzag
// position: elements ordered by anti-diagonal, lowest first; on an even
// anti-diagonal by ascending row, on an odd one by ascending column.
// Kept as specified: only tests use it, as the definition the tile scans of
// TileScan.h are checked against.
class ZigzagCursor {
public:
    explicit ZigzagCursor(const BitField<double>& tile) : Tile(&tile), width(tile.Width) {}

    // Steps to the next raster element. Its row and column (Visited / Width and
    // Visited % Width) are kept up to date by counting, which spares Split and
    // Merge two divisions per element.
    void Advance() {
        ++Visited;
        if (++column == width) {
            column = 0;
            ++row;
        }
        Position = PositionAt(row, column, width);
    }

    const BitField<double>* Tile;
    // Index into Tile->Data of the element at hand.
    std::size_t Position = 0;
    // Raster index of the element at hand: how many elements were passed.
    std::size_t Visited = 0;

private:
    // Zigzag position of element (r, c) in a tile of width w. Signed 64 bits:
    // no tile side overflows it, and the step past the last element stays defined.
    static std::size_t PositionAt(std::int64_t r, std::int64_t c, std::int64_t w) {
        const std::int64_t d = r + c;
        const std::int64_t x = d % 2 == 0 ? r : c;
        if (d < w) {
            return static_cast<std::size_t>(d * (d + 1) / 2 + x);
        }
        const std::int64_t e = 2 * w - 2 - d;
        return static_cast<std::size_t>(w * w - w - e * (e + 1) / 2 + x);
    }

    std::int64_t width;
    std::int64_t row = 0;
    std::int64_t column = 0;
};
