#pragma once

#include "BitField.h"
#include "Transform.h"

#include <cstdint>
#include <memory>

// One colour channel as a square plane of Size x Size doubles, divided into
// TileCount x TileCount square tiles that the page's Transform compresses one
// by one. Tiles are visited row-major, tile row first, everywhere.
//
// Kept as specified: conversions run through PageConversion, which gives the
// same results bit for bit without a copy of every tile; the tests and the
// benchmarks hold this as the reference it is checked against.
class Transformer {
public:
    // Allocates the plane, the tiles and the per-tile results; the plane and
    // the tiles are left uninitialised. Throws std::invalid_argument for a
    // negative n, a tileCount below 1 or a null transform, and std::bad_alloc
    // when memory runs out or n * n elements cannot be addressed.
    Transformer(std::int32_t n, std::int32_t tileCount, double x, ::Transform* transform);
    Transformer(const Transformer&) = delete;
    Transformer& operator=(const Transformer&) = delete;

    // Copy the plane into the tiles, or the tiles back into the plane. A
    // nonzero order keeps each tile in raster order, zero in zigzag order.
    void Split(std::uint8_t order);
    void Merge(std::uint8_t order);

    void ForwardTiles();
    // Thresholds every tile at ErrorFraction and records its kept percentage.
    void ThresholdTiles();
    void InverseTiles();

    // The whole compression of the plane; only the low byte of order counts.
    void Run(std::int32_t order);

    double MeanKeptPercent() const;

    // Element (r, c) is Plane[r * Stride + c].
    std::unique_ptr<double[]> Plane;
    // Tile (l, m) is Tiles[l][m]; it covers rows l * TileSize.. and columns m * TileSize..
    std::unique_ptr<std::unique_ptr<BitField<double>[]>[]> Tiles;
    // Kept percentage of tile (l, m) at l * TileCount + m; 0 until ThresholdTiles.
    std::unique_ptr<double[]> TileResults;
    double ErrorFraction;
    std::int32_t Size;
    std::int32_t TileCount;
    std::int32_t TileSize;
    std::int32_t Rows;
    std::int32_t Stride;
    // The page's transform, not owned.
    ::Transform* Transform;
};
