#pragma once

#include "BitField.h"

#include <cstddef>

// Walks a tile's elements in raster order: the element visited k-th lives at Data[k].
class RasterCursor {
public:
    explicit RasterCursor(const BitField<double>& tile) : Tile(&tile) {}

    void Advance() { ++Position; }

    const BitField<double>* Tile;
    // Index into Tile->Data of the element at hand.
    std::size_t Position = 0;
};
