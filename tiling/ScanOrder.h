#pragma once

#include <cstdint>

// The order in which a tile's values lie in its array: Raster, row by row (the 2D transforms),
// or Zigzag, by anti-diagonals (the 1D transforms, which treat the tile as one vector; see
// TileScan.h).
enum class ScanOrder : std::uint8_t { Zigzag, Raster };

// The scan-order flag that pages and Transformer carry: nonzero is raster, zero zigzag.
constexpr ScanOrder ScanOrderOfFlag(std::uint32_t flag) {
    return flag != 0 ? ScanOrder::Raster : ScanOrder::Zigzag;
}

constexpr const char* ScanOrderName(ScanOrder order) {
    return order == ScanOrder::Raster ? "raster" : "zigzag";
}
