#pragma once

#include "ExponentTallies.h"
#include "ThresholdWalk.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class ScratchArray;

// The ways of thresholding that sort the magnitudes, a bucket at a time, up to the walk's stop.

// Tiles of more than LargeTile values are sorted a range of magnitudes at a time, each range
// gathered from the tile by one scan: about RangeKeys keys, so that the sort works in cache and
// its memory is a fraction of the tile's.
constexpr std::size_t LargeTile = std::size_t{1} << 20;
constexpr std::size_t RangeKeys = std::size_t{1} << 19;

// Copies the magnitudes whose bit patterns lie in [low, end) to keys, which must hold one more
// than their number. Returns how many were copied.
std::size_t Gather(const double* data, std::size_t count, std::uint64_t low, std::uint64_t end,
                   double* keys);

// The stop of the walk over data's magnitudes, which go to keys in ascending buckets by
// exponent and leading mantissa bits and are sorted a run of buckets at a time until the walk
// stops. tallies are pass one's, the exponents in use from lowest to highest; buckets keeps the
// bucket counts from call to call. count must fit 32 bits.
WalkStop SpreadAndWalk(const double* data, std::size_t count, const ExponentTally* tallies,
                       std::size_t occupied, std::size_t lowest, std::size_t highest,
                       std::vector<std::uint32_t>& buckets, ScratchArray& keys,
                       ThresholdWalk& walk);

// The same for tiles of more than LargeTile values, a range of magnitudes at a time: smallest
// and largest are the bit patterns of the smallest and largest magnitudes; prefixes keeps the
// counts of pattern prefixes, which place the ranges, from call to call.
WalkStop WalkRanges(const double* data, std::size_t count, std::uint64_t smallest,
                    std::uint64_t largest, std::vector<std::uint32_t>& prefixes,
                    std::vector<std::uint32_t>& buckets, ScratchArray& keys, ThresholdWalk& walk);
