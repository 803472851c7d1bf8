#pragma once

#include "ScanOrder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// Moving one square tile between a channel plane and the tile's own contiguous array, in the
// tile's scan order: element (row n, column i) of the tile, plane element
// plane[(row0 + n) * stride + col0 + i], has the raster index k = n * side + i and lives at
// tile[k] in raster order or at tile[Z(k)] in zigzag order. Z(k) orders the elements by
// anti-diagonal n + i, lowest first, and within an anti-diagonal by ascending row when n + i is
// even, by ascending column when it is odd (the JPEG sequence, transposed). The tile array holds
// side * side values. Throws std::invalid_argument when the tile does not fit the plane or the
// array.
void GatherTile(std::span<const double> plane, std::size_t stride, std::size_t row0,
                std::size_t col0, std::size_t side, ScanOrder order, std::span<double> tile);
void ScatterTile(std::span<const double> tile, std::size_t side, ScanOrder order,
                 std::span<double> plane, std::size_t stride, std::size_t row0, std::size_t col0);

// Reorders a whole tile array of side x side values in place, from raster order to zigzag
// order (toZigzag) or back, by following the permutation's cycles with one bit per value to
// mark those done. No second array, at the price of scattered accesses: about 80 ms at a side
// of 2048, where a gather into a copy takes about 30. Throws std::invalid_argument when the
// array does not hold side * side values.
void ZigzagInPlace(std::span<double> tile, std::size_t side, bool toZigzag);

// Z(k) for every raster index k of a tile of the given side, computed once per side and shared
// (thread-safe); a table of a side above 256 lives as long as anyone holds it, smaller ones for
// the program's life.
std::shared_ptr<const std::uint32_t[]> ZigzagTable(std::size_t side);
