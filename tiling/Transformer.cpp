#include "Transformer.h"

#include "TileScan.h"

#include <cstddef>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <string>

namespace {

// side * side as an element count; a count that size_t cannot hold is an
// allocation that cannot succeed.
std::size_t SquareCount(std::int32_t side) {
    const auto s = static_cast<std::size_t>(side);
    if (s != 0 && s > std::numeric_limits<std::size_t>::max() / s) {
        throw std::bad_array_new_length();
    }
    return s * s;
}

// The plane as a span of all its rows.
std::span<double> PlaneSpan(const Transformer& t) {
    return {t.Plane.get(), static_cast<std::size_t>(t.Rows) * static_cast<std::size_t>(t.Stride)};
}

std::span<double> TileSpan(const Transformer& t, std::int32_t l, std::int32_t m) {
    const auto side = static_cast<std::size_t>(t.TileSize);
    return {t.Tiles[l][m].Data.get(), side * side};
}

} // namespace

Transformer::Transformer(std::int32_t n, std::int32_t tileCount, double x, ::Transform* transform)
    : ErrorFraction(x), Size(n), TileCount(tileCount), TileSize(0), Rows(n), Stride(n),
      Transform(transform) {
    if (n < 0) {
        throw std::invalid_argument("Transformer: plane side must not be negative, got " +
                                    std::to_string(n));
    }
    if (tileCount < 1) {
        throw std::invalid_argument("Transformer: tile count must be at least 1, got " +
                                    std::to_string(tileCount));
    }
    if (transform == nullptr) {
        throw std::invalid_argument("Transformer: transform is null");
    }
    TileSize = n / tileCount;

    Plane = std::make_unique_for_overwrite<double[]>(SquareCount(n));
    // Zeroed so that MeanKeptPercent before any ThresholdTiles reads no garbage.
    TileResults = std::make_unique<double[]>(SquareCount(tileCount));
    Tiles = std::make_unique<std::unique_ptr<BitField<double>[]>[]>(
        static_cast<std::size_t>(tileCount));
    const std::size_t tileElements = SquareCount(TileSize);
    for (std::int32_t l = 0; l < tileCount; ++l) {
        Tiles[l] = std::make_unique<BitField<double>[]>(static_cast<std::size_t>(tileCount));
        for (std::int32_t m = 0; m < tileCount; ++m) {
            BitField<double>& tile = Tiles[l][m];
            tile.Width = TileSize;
            tile.Height = TileSize;
            tile.Data = std::make_unique_for_overwrite<double[]>(tileElements);
        }
    }
}

void Transformer::Split(std::uint8_t order) {
    const auto side = static_cast<std::size_t>(TileSize);
    for (std::int32_t l = 0; l < TileCount; ++l) {
        for (std::int32_t m = 0; m < TileCount; ++m) {
            GatherTile(PlaneSpan(*this), static_cast<std::size_t>(Stride),
                       side * static_cast<std::size_t>(l), side * static_cast<std::size_t>(m), side,
                       ScanOrderOfFlag(order), TileSpan(*this, l, m));
        }
    }
}

void Transformer::Merge(std::uint8_t order) {
    const auto side = static_cast<std::size_t>(TileSize);
    for (std::int32_t l = 0; l < TileCount; ++l) {
        for (std::int32_t m = 0; m < TileCount; ++m) {
            ScatterTile(TileSpan(*this, l, m), side, ScanOrderOfFlag(order), PlaneSpan(*this),
                        static_cast<std::size_t>(Stride), side * static_cast<std::size_t>(l),
                        side * static_cast<std::size_t>(m));
        }
    }
}

void Transformer::ForwardTiles() {
    const auto side = static_cast<std::uint32_t>(TileSize);
    for (std::int32_t l = 0; l < TileCount; ++l) {
        for (std::int32_t m = 0; m < TileCount; ++m) {
            Transform->Forward(Tiles[l][m].Data.get(), side);
        }
    }
}

void Transformer::ThresholdTiles() {
    const auto side = static_cast<std::uint32_t>(TileSize);
    for (std::int32_t l = 0; l < TileCount; ++l) {
        for (std::int32_t m = 0; m < TileCount; ++m) {
            Transform->Threshold(Tiles[l][m].Data.get(), side, ErrorFraction);
            // The next Threshold call overwrites it.
            TileResults[static_cast<std::size_t>(l) * static_cast<std::size_t>(TileCount) +
                        static_cast<std::size_t>(m)] = Transform->KeptPercent;
        }
    }
}

void Transformer::InverseTiles() {
    const auto side = static_cast<std::uint32_t>(TileSize);
    for (std::int32_t l = 0; l < TileCount; ++l) {
        for (std::int32_t m = 0; m < TileCount; ++m) {
            Transform->Inverse(Tiles[l][m].Data.get(), side);
        }
    }
}

void Transformer::Run(std::int32_t order) {
    const auto scan = static_cast<std::uint8_t>(order & 0xFF);
    Split(scan);
    ForwardTiles();
    // The plane shows the coefficients of each tile in raster order; nothing reads them there.
    Merge(1);
    ThresholdTiles();
    InverseTiles();
    Merge(scan);
}

double Transformer::MeanKeptPercent() const {
    const std::size_t count = SquareCount(TileCount);
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += TileResults[i];
    }
    return sum / static_cast<double>(count);
}
