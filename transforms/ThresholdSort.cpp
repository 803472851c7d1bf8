#include "ThresholdSort.h"

#include "RadixSort.h"
#include "ScratchArray.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

namespace {

// An exponent holding c keys is split by its leading bit_width(c) - spread mantissa bits, so
// that a bucket holds 2^(spread - 2) to 2^spread keys: about one, or for the largest tiles,
// whose bucket counts would take too much memory, a few.
constexpr int Spread = 1;
constexpr int LargeSpread = 4;
// Buckets are sorted and walked once they add up to this many keys.
constexpr std::size_t WalkRun = 256;
// Ranges are cut between prefixes of the bit patterns: the exponent and the leading
// PrefixShift - MantissaBits mantissa bits.
constexpr unsigned PrefixShift = 47;
constexpr std::size_t Prefixes = std::size_t{1} << (63 - PrefixShift);
// A prefix's exponent is the prefix shifted right by this.
constexpr unsigned PrefixMantissaBits = MantissaBits - PrefixShift;

// The magnitudes of data go to the keys in ascending buckets: each exponent from lowest to
// highest, holding exponents[e] keys, is split further by its leading mantissa bits, as many as
// keep its buckets at a few keys. Then the buckets are sorted and walked in order until the walk
// stops. Returns the stop's index in the keys, or NoStop once all are sorted and walked.
std::size_t SpreadKeys(const double* data, std::size_t count, const std::size_t* exponents,
                       std::size_t lowest, std::size_t highest, double* keys,
                       std::vector<std::uint32_t>& counts, ThresholdWalk& walk) {
    std::array<std::size_t, Exponents> base;
    std::array<unsigned, Exponents> shift;
    std::size_t buckets = 0;
    const int spread = count > LargeTile ? LargeSpread : Spread;
    for (std::size_t e = lowest; e <= highest; ++e) {
        const int width = std::bit_width(exponents[e]) - spread;
        base[e] = buckets;
        shift[e] = MantissaBits - static_cast<unsigned>(std::max(width, 0));
        buckets += exponents[e] == 0 ? 0 : std::size_t{1} << (MantissaBits - shift[e]);
    }
    counts.assign(buckets, 0);
    const auto bucket = [&](double magnitude) {
        const std::uint64_t bits = Bits(magnitude);
        const std::size_t e = bits >> MantissaBits;
        return base[e] + ((bits & MantissaMask) >> shift[e]);
    };
    // Both passes take the two halves of the tile in turn: neighbours in a tile tend to share
    // a bucket, and consecutive updates of one count would wait on each other.
    const std::size_t half = count / 2;
    const auto interleaved = [&](const auto& visit) {
        for (std::size_t i = 0; i < half; ++i) {
            visit(i);
            visit(half + i);
        }
        if (count % 2 != 0) {
            visit(count - 1);
        }
    };
    interleaved([&](std::size_t i) { ++counts[bucket(std::fabs(data[i]))]; });
    std::uint32_t start = 0;
    for (std::uint32_t& c : counts) {
        start += std::exchange(c, start);
    }
    interleaved([&](std::size_t i) {
        const double magnitude = std::fabs(data[i]);
        keys[counts[bucket(magnitude)]++] = magnitude;
    });
    // counts[b] is now where bucket b ends. Buckets too large for insertion are sorted on their
    // own; a run of buckets is then put in order by one insertion pass, which moves no key out
    // of its bucket, and walked.
    std::size_t sorted = 0;
    std::size_t walked = 0;
    for (const std::uint32_t end : counts) {
        if (end - sorted > InsertionLimit) {
            RadixSort(keys + sorted, end - sorted);
        }
        sorted = end;
        if (sorted - walked >= WalkRun || sorted == count) {
            InsertionSort(keys + walked, sorted - walked);
            const std::size_t found = walk.Through(keys + walked, sorted - walked);
            if (found != NoStop) {
                return walked + found;
            }
            walked = sorted;
        }
    }
    return NoStop;
}

// Where the ranges end, in prefixes: consecutive prefixes from the lowest used one, each range
// as many as keep it within RangeKeys keys, or one prefix that holds more on its own. Sets
// needed to the doubles the ranges need: twice a range and one more for the gathering, a range
// of one prefix beyond RangeKeys keys and one more.
std::vector<std::size_t> PlanRanges(const std::vector<std::uint32_t>& prefixCounts,
                                    std::size_t lowest, std::size_t highest, std::size_t& needed) {
    std::vector<std::size_t> ends;
    needed = 0;
    std::size_t held = 0;
    const auto close = [&] {
        needed = std::max(needed, held > RangeKeys ? held + 1 : 2 * held + 1);
        held = 0;
    };
    for (std::size_t p = lowest; p <= highest; ++p) {
        if (held > 0 && held + prefixCounts[p] > RangeKeys) {
            ends.push_back(p);
            close();
        }
        held += prefixCounts[p];
    }
    ends.push_back(highest + 1);
    close();
    return ends;
}

} // namespace

// Every magnitude is stored and only those in the range move the end on: no branch to
// mispredict.
std::size_t Gather(const double* data, std::size_t count, std::uint64_t low, std::uint64_t end,
                   double* keys) {
    std::size_t k = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double magnitude = std::fabs(data[i]);
        keys[k] = magnitude;
        k += Bits(magnitude) - low < end - low ? 1 : 0;
    }
    return k;
}

WalkStop SpreadAndWalk(const double* data, std::size_t count, const ExponentTally* tallies,
                       std::size_t occupied, std::size_t lowest, std::size_t highest,
                       std::vector<std::uint32_t>& buckets, ScratchArray& keyScratch,
                       ThresholdWalk& walk) {
    double* keys = keyScratch.Take(count);
    std::array<std::size_t, Exponents> exponents;
    std::fill(exponents.begin() + lowest, exponents.begin() + highest + 1, 0);
    for (std::size_t t = 0; t < occupied; ++t) {
        exponents[tallies[t].Exponent] = tallies[t].Keys;
    }
    const std::size_t found =
        SpreadKeys(data, count, exponents.data(), lowest, highest, keys, buckets, walk);
    return found == NoStop ? WalkStop{} : WalkStop{found, keys[found]};
}

// The ranges are gathered and sorted one after the other, from the smallest magnitudes up,
// until the walk stops.
WalkStop WalkRanges(const double* data, std::size_t count, std::uint64_t smallest,
                    std::uint64_t largest, std::vector<std::uint32_t>& prefixes,
                    std::vector<std::uint32_t>& buckets, ScratchArray& keyScratch,
                    ThresholdWalk& walk) {
    prefixes.assign(Prefixes, 0);
    for (std::size_t i = 0; i < count; ++i) {
        ++prefixes[Bits(std::fabs(data[i])) >> PrefixShift];
    }
    std::size_t needed = 0;
    const std::vector<std::size_t> rangeEnds =
        PlanRanges(prefixes, smallest >> PrefixShift, largest >> PrefixShift, needed);
    double* keys = keyScratch.Take(needed);
    std::size_t below = 0;
    std::size_t begin = 0;
    for (const std::size_t end : rangeEnds) {
        std::size_t inRange = 0;
        std::array<std::size_t, Exponents> exponents{};
        for (std::size_t p = begin; p < end; ++p) {
            inRange += prefixes[p];
            exponents[p >> PrefixMantissaBits] += prefixes[p];
        }
        // A range of one prefix beyond RangeKeys keys, most often one value repeated (zeros),
        // is sorted where it is gathered, with no second array.
        const bool oversized = inRange > RangeKeys;
        double* gathered = oversized ? keys : keys + inRange;
        Gather(data, count, std::uint64_t{begin} << PrefixShift, std::uint64_t{end} << PrefixShift,
               gathered);
        std::size_t found = NoStop;
        if (oversized) {
            RadixSort(keys, inRange);
            found = walk.Through(keys, inRange);
        } else {
            found = SpreadKeys(gathered, inRange, exponents.data(), begin >> PrefixMantissaBits,
                               (end - 1) >> PrefixMantissaBits, keys, buckets, walk);
        }
        if (found != NoStop) {
            return {below + found, keys[found]};
        }
        below += inRange;
        begin = end;
    }
    return {};
}
