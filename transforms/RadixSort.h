#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

// Sorts of non-negative doubles by bit pattern, which is their order as values with NaN above
// infinity. Equal patterns are identical values, so every correct sort gives the same sequence.

// Pieces up to InsertionLimit keys are sorted by insertion.
constexpr std::size_t InsertionLimit = 16;
// The radix sort takes DigitBits bits of the patterns at a time.
constexpr unsigned DigitBits = 8;
constexpr std::size_t DigitBuckets = std::size_t{1} << DigitBits;

// Insertion by bit pattern; quick on keys that are nearly in order.
inline void InsertionSort(double* keys, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i) {
        const double value = keys[i];
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
        std::size_t j = i;
        for (; j > 0 && std::bit_cast<std::uint64_t>(keys[j - 1]) > bits; --j) {
            keys[j] = keys[j - 1];
        }
        keys[j] = value;
    }
}

// Sorts keys[0 .. count - 1] by bit pattern: a most-significant-digit radix sort that splits the
// piece in place into ascending buckets by the highest bits that differ, down to pieces small
// enough for a comparison sort. A piece of equal keys costs one pass, and one whose keys differ
// only in their last DigitBits bits is counted into order in one more: transforms of
// whole-number pixels give many such clusters of nearly equal coefficients.
void RadixSort(double* keys, std::size_t count);
