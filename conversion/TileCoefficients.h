#pragma once

#include "ScanOrder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// The forward transforms of every tile of a page's three planes, made once by
// PageConversion::ForwardTiles so that conversions of the same image at several error fractions
// threshold and invert copies of them instead of transforming every tile again. Tile i, in the
// order Run visits tiles (red tiles row-major, then green, then blue), holds TileSide * TileSide
// coefficients in the tile's scan order.
class TileCoefficients {
public:
    TileCoefficients(const TileCoefficients&) = delete;
    TileCoefficients& operator=(const TileCoefficients&) = delete;
    TileCoefficients(TileCoefficients&&) noexcept = default;
    TileCoefficients& operator=(TileCoefficients&&) noexcept = default;
    ~TileCoefficients() = default;

    std::int32_t Side() const { return side; }
    std::int32_t TileCount() const { return tileCount; }
    ScanOrder Order() const { return order; }
    // The wavelet levels option the tiles were transformed with.
    int Levels() const { return levels; }
    std::size_t Tiles() const { return tiles; }

    std::span<const double> Tile(std::size_t index) const;

    // Time the forward transforms took.
    double ForwardMilliseconds() const { return forwardMilliseconds; }

    // Bytes the coefficients of a page of the given side take, with the image's pixels.
    static std::uint64_t BytesNeeded(std::int32_t side);

private:
    friend class PageConversion;

    TileCoefficients(std::int32_t side, std::int32_t tileCount, ScanOrder order, int levels);
    std::span<double> Tile(std::size_t index);
    std::size_t Offset(std::size_t index) const;

    std::int32_t side = 0;
    std::int32_t tileCount = 0;
    ScanOrder order = ScanOrder::Raster;
    int levels = 0;
    std::size_t tileValues = 0;
    std::size_t tiles = 0;
    std::unique_ptr<double[]> values;
    // The image's region, as PageConversion keeps it to measure against.
    std::int32_t regionWidth = 0;
    std::int32_t regionHeight = 0;
    std::vector<std::uint32_t> original;
    double forwardMilliseconds = 0.0;
};
