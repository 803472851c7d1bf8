#include "TileScan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

void CheckTile(std::size_t planeSize, std::size_t stride, std::size_t row0, std::size_t col0,
               std::size_t side, std::size_t tileSize) {
    const auto text = [&] {
        return "tile of side " + std::to_string(side) + " at row " + std::to_string(row0) +
               ", column " + std::to_string(col0) + " with stride " + std::to_string(stride) +
               ", plane of " + std::to_string(planeSize) + " values, tile array of " +
               std::to_string(tileSize);
    };
    if (side == 0) {
        return;
    }
    if (tileSize < side * side) {
        throw std::invalid_argument("TileScan: tile array too small: " + text());
    }
    if (col0 + side > stride || (row0 + side - 1) * stride + col0 + side > planeSize) {
        throw std::invalid_argument("TileScan: tile outside the plane: " + text());
    }
}

std::size_t ZigzagPosition(std::size_t r, std::size_t c, std::size_t w) {
    const std::size_t d = r + c;
    const std::size_t x = d % 2 == 0 ? r : c;
    if (d < w) {
        return d * (d + 1) / 2 + x;
    }
    const std::size_t e = 2 * w - 2 - d;
    return w * w - w - e * (e + 1) / 2 + x;
}

// Consecutive zigzag positions follow one anti-diagonal. A large tile is therefore visited
// band by band, Band neighbouring anti-diagonals at a time, row by row: each row of a band is
// one contiguous piece of the raster, and each anti-diagonal of the band a run of the tile array
// that advances one element per row, so both stay in cache, where whole rows would touch a new
// cache line of the tile with almost every element. A tile that fits in cache goes row by row.
constexpr std::size_t Band = 32;
constexpr std::size_t CachedSide = 128;

// Calls visit(row, begin, end) for columns begin .. end - 1 of the rows; every element of the
// side x side raster is visited once.
template <class Visit>
void ForEachBand(std::size_t side, const Visit& visit) {
    const std::size_t band = side <= CachedSide ? 2 * side : Band;
    for (std::size_t d0 = 0; d0 + 1 < 2 * side; d0 += band) {
        const std::size_t first = d0 + 1 > side ? d0 + 1 - side : 0;
        const std::size_t last = std::min(side, d0 + band);
        for (std::size_t n = first; n < last; ++n) {
            visit(n, d0 > n ? d0 - n : 0, std::min(side, d0 + band - n));
        }
    }
}

std::shared_ptr<const std::uint32_t[]> BuildZigzagTable(std::size_t side) {
    if (side > 65536) {
        throw std::invalid_argument("ZigzagTable: side " + std::to_string(side) +
                                    " has more positions than 32 bits hold");
    }
    std::shared_ptr<std::uint32_t[]> table(new std::uint32_t[side * side]);
    for (std::size_t r = 0; r < side; ++r) {
        for (std::size_t c = 0; c < side; ++c) {
            table[r * side + c] = static_cast<std::uint32_t>(ZigzagPosition(r, c, side));
        }
    }
    return table;
}

constexpr std::size_t KeptSide = 256;
constexpr std::size_t KeptLevels = 9;

} // namespace

std::shared_ptr<const std::uint32_t[]> ZigzagTable(std::size_t side) {
    // Small tiles come by the thousand, each asking for its table: tables up to KeptSide stay
    // for the program's life, built once and then handed out without a lock.
    static std::array<std::once_flag, KeptLevels> builtOnce;
    static std::array<std::shared_ptr<const std::uint32_t[]>, KeptLevels> kept;
    if (side <= KeptSide && std::has_single_bit(side)) {
        const auto level = static_cast<std::size_t>(std::countr_zero(side));
        std::call_once(builtOnce[level], [&] { kept[level] = BuildZigzagTable(side); });
        return kept[level];
    }
    static std::mutex mutex;
    static std::map<std::size_t, std::weak_ptr<const std::uint32_t[]>> tables;
    std::lock_guard lock(mutex);
    if (auto table = tables[side].lock()) {
        return table;
    }
    auto table = BuildZigzagTable(side);
    tables[side] = table;
    return table;
}

namespace {

// Calls visit(row, begin, end, z) band by band as ForEachBand does, z(column) giving the zigzag
// position in that row. Tiles up to KeptSide read it from their kept table; larger ones compute
// it, since their table would be as large as a quarter of the tile and read alongside it.
template <class Visit>
void ForEachPosition(std::size_t side, const Visit& visit) {
    if (side <= KeptSide) {
        const auto table = ZigzagTable(side);
        ForEachBand(side, [&](std::size_t n, std::size_t begin, std::size_t end) {
            const std::uint32_t* row = table.get() + n * side;
            visit(n, begin, end, [row](std::size_t i) { return std::size_t{row[i]}; });
        });
        return;
    }
    ForEachBand(side, [&](std::size_t n, std::size_t begin, std::size_t end) {
        visit(n, begin, end, [n, side](std::size_t i) { return ZigzagPosition(n, i, side); });
    });
}

} // namespace

void GatherTile(std::span<const double> plane, std::size_t stride, std::size_t row0,
                std::size_t col0, std::size_t side, ScanOrder order, std::span<double> tile) {
    CheckTile(plane.size(), stride, row0, col0, side, tile.size());
    const double* origin = plane.data() + row0 * stride + col0;
    if (order == ScanOrder::Raster) {
        for (std::size_t n = 0; n < side; ++n) {
            std::copy(origin + n * stride, origin + n * stride + side, tile.data() + n * side);
        }
        return;
    }
    ForEachPosition(side, [&](std::size_t n, std::size_t begin, std::size_t end, const auto& z) {
        const double* row = origin + n * stride;
        for (std::size_t i = begin; i < end; ++i) {
            tile[z(i)] = row[i];
        }
    });
}

void ScatterTile(std::span<const double> tile, std::size_t side, ScanOrder order,
                 std::span<double> plane, std::size_t stride, std::size_t row0, std::size_t col0) {
    CheckTile(plane.size(), stride, row0, col0, side, tile.size());
    double* origin = plane.data() + row0 * stride + col0;
    if (order == ScanOrder::Raster) {
        for (std::size_t n = 0; n < side; ++n) {
            std::copy(tile.data() + n * side, tile.data() + (n + 1) * side, origin + n * stride);
        }
        return;
    }
    ForEachPosition(side, [&](std::size_t n, std::size_t begin, std::size_t end, const auto& z) {
        double* row = origin + n * stride;
        for (std::size_t i = begin; i < end; ++i) {
            row[i] = tile[z(i)];
        }
    });
}

void ZigzagInPlace(std::span<double> tile, std::size_t side, bool toZigzag) {
    if (tile.size() != side * side) {
        throw std::invalid_argument("ZigzagInPlace: an array of " + std::to_string(tile.size()) +
                                    " values is not a tile of side " + std::to_string(side));
    }
    const std::size_t count = tile.size();
    std::vector<std::uint64_t> done((count + 63) / 64, 0);
    const auto mark = [&done](std::size_t k) { done[k / 64] |= std::uint64_t{1} << (k % 64); };
    const auto zigzag = [side](std::size_t k) { return ZigzagPosition(k / side, k % side, side); };
    for (std::size_t start = 0; start < count; ++start) {
        if ((done[start / 64] >> (start % 64) & 1) != 0) {
            continue;
        }
        // Along the cycle through start: to zigzag order each value moves on to Z(k), back to
        // raster order each place k takes the value at Z(k).
        double carried = tile[start];
        std::size_t k = start;
        do {
            mark(k);
            const std::size_t next = zigzag(k);
            if (toZigzag) {
                std::swap(carried, tile[next]);
            } else {
                tile[k] = next == start ? carried : tile[next];
            }
            k = next;
        } while (k != start);
    }
}
