#pragma once

#include <cstddef>
#include <vector>

// Zigzag order of a w x w tile, built by walking the anti-diagonals one by one:
// the result's entry p is the raster index (row * w + column) of the element at
// zigzag position p. Even anti-diagonals run down the rows, odd ones along the
// columns.
inline std::vector<std::size_t> ZigzagVisitOrder(std::size_t w) {
    std::vector<std::size_t> order;
    if (w == 0) {
        return order;
    }
    for (std::size_t d = 0; d + 1 < 2 * w; ++d) {
        const std::size_t first = d < w ? 0 : d - (w - 1);
        const std::size_t last = d < w ? d : w - 1;
        for (std::size_t a = first; a <= last; ++a) {
            const std::size_t row = d % 2 == 0 ? a : d - a;
            const std::size_t column = d - row;
            order.push_back(row * w + column);
        }
    }
    return order;
}

// Inverse of ZigzagVisitOrder: entry k is the zigzag position of raster index k.
inline std::vector<std::size_t> ZigzagPositions(std::size_t w) {
    const std::vector<std::size_t> order = ZigzagVisitOrder(w);
    std::vector<std::size_t> positions(order.size());
    for (std::size_t p = 0; p < order.size(); ++p) {
        positions[order[p]] = p;
    }
    return positions;
}
