#include "RadixSort.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Pieces up to SmallSort keys whose differing bits do not fit one digit go to std::sort.
constexpr std::size_t SmallSort = 256;

std::uint64_t Bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

void SortBits(double* keys, std::size_t count) {
    if (count <= InsertionLimit) {
        InsertionSort(keys, count);
    } else {
        std::sort(keys, keys + count, [](double a, double b) { return Bits(a) < Bits(b); });
    }
}

} // namespace

void RadixSort(double* keys, std::size_t count) {
    if (count <= InsertionLimit) {
        InsertionSort(keys, count);
        return;
    }
    std::uint64_t any = 0;
    std::uint64_t all = ~std::uint64_t{0};
    for (std::size_t i = 0; i < count; ++i) {
        any |= Bits(keys[i]);
        all &= Bits(keys[i]);
    }
    // Bits above the highest one that differs are shared by every key.
    const std::uint64_t differing = any ^ all;
    if (differing == 0) {
        return;
    }
    const int top = std::bit_width(differing);
    if (count <= SmallSort && top > static_cast<int>(DigitBits)) {
        SortBits(keys, count);
        return;
    }
    const int width = std::min(top, static_cast<int>(DigitBits));
    const unsigned shift = static_cast<unsigned>(top - width);
    const std::size_t buckets = std::size_t{1} << width;
    const auto digit = [shift, buckets](double key) {
        return (Bits(key) >> shift) & (buckets - 1);
    };

    std::array<std::size_t, DigitBuckets> next;
    std::fill_n(next.begin(), buckets, 0);
    for (std::size_t i = 0; i < count; ++i) {
        ++next[digit(keys[i])];
    }
    std::array<std::size_t, DigitBuckets> end;
    std::size_t start = 0;
    for (std::size_t d = 0; d < buckets; ++d) {
        const std::size_t size = next[d];
        next[d] = start;
        start += size;
        end[d] = start;
    }
    // Each key goes straight to its bucket, displacing the one there, until a key lands home.
    for (std::size_t d = 0; d < buckets; ++d) {
        while (next[d] < end[d]) {
            double key = keys[next[d]];
            for (std::size_t k = digit(key); k != d; k = digit(key)) {
                std::swap(key, keys[next[k]++]);
            }
            keys[next[d]++] = key;
        }
    }
    // With the lowest differing bit in the digit, every bucket holds equal keys.
    if (shift == 0) {
        return;
    }
    start = 0;
    for (std::size_t d = 0; d < buckets; ++d) {
        if (end[d] - start > 1) {
            RadixSort(keys + start, end[d] - start);
        }
        start = end[d];
    }
}
