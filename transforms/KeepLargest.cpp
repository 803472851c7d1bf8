#include "KeepLargest.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace {

// For non-negative doubles the order of the bit patterns is that of the values, NaN on top.
std::uint64_t MagnitudeBits(double value) {
    return std::bit_cast<std::uint64_t>(value) & 0x7FFF'FFFF'FFFF'FFFFu;
}

} // namespace

void KeepLargest(const double* rank, double* data, std::size_t count, std::size_t keep,
                 std::uint64_t* keys) {
    if (count == 0 || keep >= count) {
        return;
    }
    if (rank == nullptr || data == nullptr || keys == nullptr) {
        throw std::invalid_argument("KeepLargest: an array is null");
    }
    if (keep == 0) {
        std::fill(data, data + count, 0.0);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        keys[i] = MagnitudeBits(rank[i]);
    }
    // The smallest magnitude kept, and how many of that magnitude fit after the larger ones.
    std::nth_element(keys, keys + (keep - 1), keys + count, std::greater<>());
    const std::uint64_t boundary = keys[keep - 1];
    std::size_t larger = 0;
    for (std::size_t i = 0; i < count; ++i) {
        larger += MagnitudeBits(rank[i]) > boundary ? 1 : 0;
    }
    std::size_t atBoundary = keep - larger;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t bits = MagnitudeBits(rank[i]);
        bool kept = bits > boundary;
        if (bits == boundary && atBoundary > 0) {
            kept = true;
            --atBoundary;
        }
        if (!kept) {
            data[i] = 0.0;
        }
    }
}

std::size_t KeptCount(double percent, std::size_t count) {
    if (std::isnan(percent)) {
        throw std::invalid_argument("KeptCount: the kept share is NaN");
    }
    const double kept = std::floor(percent * static_cast<double>(count) / 100.0 + 0.5);
    if (kept <= 0.0) {
        return 0;
    }
    if (kept >= static_cast<double>(count)) {
        return count;
    }
    return static_cast<std::size_t>(kept);
}
