#include "Transformer.h"

#include "RasterCursor.h"
#include "ZigzagCursor.h"

#include <cstddef>
#include <limits>
#include <new>
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

enum class Direction { PlaneToTiles, TilesToPlane };

// One loop per cursor type and direction, so the scan order costs no branch per element.
template <typename Cursor, Direction direction>
void CopyTiles(Transformer& t) {
    const auto side = static_cast<std::size_t>(t.TileSize);
    const auto stride = static_cast<std::size_t>(t.Stride);
    for (std::int32_t l = 0; l < t.TileCount; ++l) {
        for (std::int32_t m = 0; m < t.TileCount; ++m) {
            BitField<double>& tile = t.Tiles[l][m];
            double* data = tile.Data.get();
            double* origin = t.Plane.get() + side * static_cast<std::size_t>(l) * stride +
                             side * static_cast<std::size_t>(m);
            Cursor cursor(tile);
            for (std::size_t n = 0; n < side; ++n) {
                double* row = origin + n * stride;
                for (std::size_t i = 0; i < side; ++i) {
                    if constexpr (direction == Direction::PlaneToTiles) {
                        data[cursor.Position] = row[i];
                    } else {
                        row[i] = data[cursor.Position];
                    }
                    cursor.Advance();
                }
            }
        }
    }
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
    if (order != 0) {
        CopyTiles<RasterCursor, Direction::PlaneToTiles>(*this);
    } else {
        CopyTiles<ZigzagCursor, Direction::PlaneToTiles>(*this);
    }
}

void Transformer::Merge(std::uint8_t order) {
    if (order != 0) {
        CopyTiles<RasterCursor, Direction::TilesToPlane>(*this);
    } else {
        CopyTiles<ZigzagCursor, Direction::TilesToPlane>(*this);
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
