#pragma once

#include <cstdint>

// What one conversion of a page does: the side N of the square it converts, the tiles per side,
// the permitted error fraction x, the tiles' scan order, and whether colour correction runs.
struct ConversionSettings {
    std::int32_t Side = 256;
    std::int32_t TileCount = 1;
    double ErrorFraction = 0.0;
    // Nonzero: raster order inside a tile (the 2D transforms); zero: zigzag (the 1D ones).
    std::uint8_t Order = 1;
    bool ColorCorrection = false;
};
