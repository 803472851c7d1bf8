#include "TileCoefficients.h"

#include <stdexcept>
#include <string>

TileCoefficients::TileCoefficients(std::int32_t side, std::int32_t tileCount, ScanOrder order,
                                   int levels)
    : side(side), tileCount(tileCount), order(order), levels(levels) {
    const auto tileSide = static_cast<std::size_t>(side / tileCount);
    const auto count = static_cast<std::size_t>(tileCount);
    tileValues = tileSide * tileSide;
    tiles = 3 * count * count;
    values = std::make_unique_for_overwrite<double[]>(tiles * tileValues);
}

std::span<const double> TileCoefficients::Tile(std::size_t index) const {
    return {values.get() + Offset(index), tileValues};
}

std::span<double> TileCoefficients::Tile(std::size_t index) {
    return {values.get() + Offset(index), tileValues};
}

std::size_t TileCoefficients::Offset(std::size_t index) const {
    if (index >= tiles) {
        throw std::invalid_argument("TileCoefficients: no tile " + std::to_string(index) + " of " +
                                    std::to_string(tiles));
    }
    return index * tileValues;
}

std::uint64_t TileCoefficients::BytesNeeded(std::int32_t side) {
    const auto n = static_cast<std::uint64_t>(side < 0 ? 0 : side);
    // The tiles cover at most the whole square.
    return 3 * n * n * sizeof(double) + n * n * sizeof(std::uint32_t);
}
