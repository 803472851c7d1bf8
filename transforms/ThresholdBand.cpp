#include "ThresholdBand.h"

#include "ScratchArray.h"
#include "ThresholdSort.h"

#include <array>
#include <utility>

namespace {

// The keys between two bit patterns: how many, the estimated walk sum before the first of them
// and their rank among all magnitudes.
struct BandRange {
    std::uint64_t Low = 0;
    std::uint64_t End = 0;
    std::size_t Keys = 0;
    double SumBefore = 0.0;
    std::size_t RankBefore = 0;
};

// Chooses, among consecutive buckets with the given counts and sums of squares that follow sum
// and rank, the run from the first whose band may reach the least passing sum to the first whose
// band surely has. bounds(b) gives bucket b's bit patterns. Returns false when no bucket surely
// passes; none that may pass sets range.Keys to 0.
template <class Counts, class Sums, class Bounds>
bool ChooseBuckets(const Band& band, std::size_t buckets, const Counts& counts, const Sums& sums,
                   const Bounds& bounds, double sum, std::size_t rank, BandRange& range) {
    range.Keys = 0;
    double before = sum;
    double prefix = 0.0;
    bool may = false;
    for (std::size_t b = 0; b < buckets; ++b) {
        const std::size_t keys = counts(b);
        if (keys == 0) {
            continue;
        }
        prefix = prefix + sums(b);
        const double next = sum + prefix;
        if (!may && band.MayPass(next)) {
            may = true;
            range.Low = bounds(b).first;
            range.SumBefore = before;
            range.RankBefore = rank;
        }
        if (may) {
            range.Keys += keys;
            range.End = bounds(b).second;
            if (band.Passes(next)) {
                return true;
            }
        }
        before = next;
        rank += keys;
    }
    return false;
}

} // namespace

std::optional<WalkStop> LocateStop(const double* data, std::size_t count, const Band& band,
                                   const ExponentTally* tallies, std::size_t occupied,
                                   ScratchArray& keyScratch) {
    BandRange range;
    const bool passes = ChooseBuckets(
        band, occupied, [&](std::size_t b) { return tallies[b].Keys; },
        [&](std::size_t b) { return tallies[b].Energy; },
        [&](std::size_t b) {
            return std::pair{std::uint64_t{tallies[b].Exponent} << MantissaBits,
                             std::uint64_t{tallies[b].Exponent + 1} << MantissaBits};
        },
        0.0, 0, range);
    if (!passes) {
        if (range.Keys != 0) {
            return std::nullopt;
        }
        return WalkStop{};
    }
    // Narrowed a digit at a time; the keys are gathered once they fit a range of the ranged
    // sort, and kept to exactly the band's.
    double* keys = nullptr;
    std::size_t steps = 0;
    while (range.Keys > BandSortKeys && range.End - range.Low > 1) {
        if (steps++ == NarrowingLimit) {
            return std::nullopt;
        }
        if (keys == nullptr && range.Keys <= RangeKeys) {
            keys = keyScratch.Take(range.Keys + 1);
            if (Gather(data, count, range.Low, range.End, keys) != range.Keys) {
                return std::nullopt;
            }
        }
        const int top = std::bit_width(range.Low ^ (range.End - 1));
        const int width = std::min(top, static_cast<int>(DigitBits));
        const unsigned shift = static_cast<unsigned>(top - width);
        const std::uint64_t first = range.Low >> shift;
        // Several tallies per digit, as in pass one.
        std::array<std::size_t, TallyWays * DigitBuckets> counts{};
        std::array<double, TallyWays * DigitBuckets> sums{};
        const auto tally = [&](double magnitude, std::size_t way) {
            const std::size_t slot = TallyWays * ((Bits(magnitude) >> shift) - first) + way;
            ++counts[slot];
            sums[slot] = sums[slot] + magnitude * magnitude;
        };
        if (keys != nullptr) {
            for (std::size_t i = 0; i < range.Keys; ++i) {
                tally(keys[i], i % TallyWays);
            }
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                const double magnitude = std::fabs(data[i]);
                if (Bits(magnitude) - range.Low < range.End - range.Low) {
                    tally(magnitude, i % TallyWays);
                }
            }
        }
        BandRange narrower;
        const std::uint64_t low = range.Low;
        const std::uint64_t end = range.End;
        if (!ChooseBuckets(
                band, std::size_t{1} << width,
                [&](std::size_t d) {
                    const std::size_t* c = counts.data() + TallyWays * d;
                    return c[0] + c[1] + c[2] + c[3];
                },
                [&](std::size_t d) {
                    const double* e = sums.data() + TallyWays * d;
                    return ((e[0] + e[1]) + e[2]) + e[3];
                },
                [&](std::size_t d) {
                    return std::pair{std::max(low, (first + d) << shift),
                                     std::min(end, (first + d + 1) << shift)};
                },
                range.SumBefore, range.RankBefore, narrower) ||
            (narrower.Low == low && narrower.End == end)) {
            // A band as wide as the range: squares near the subnormals.
            return std::nullopt;
        }
        if (keys != nullptr) {
            std::size_t k = 0;
            for (std::size_t i = 0; i < range.Keys; ++i) {
                keys[k] = keys[i];
                k += Bits(keys[i]) - narrower.Low < narrower.End - narrower.Low ? 1 : 0;
            }
        }
        range = narrower;
    }
    const bool single = range.End - range.Low == 1;
    if (!single) {
        if (keys == nullptr) {
            keys = keyScratch.Take(range.Keys + 1);
            if (Gather(data, count, range.Low, range.End, keys) != range.Keys) {
                return std::nullopt;
            }
        }
        RadixSort(keys, range.Keys);
    }
    const double value = ToDouble(range.Low);
    double lower = band.Lower(range.SumBefore);
    double upper = band.Upper(range.SumBefore);
    std::size_t upperStop = NoStop;
    for (std::size_t t = 0; t < range.Keys; ++t) {
        const double key = single ? value : keys[t];
        lower = lower + key * key;
        upper = upper + key * key;
        if (upperStop == NoStop && upper >= band.Least()) {
            upperStop = t;
        }
        if (lower >= band.Least()) {
            if (upperStop != t) {
                return std::nullopt;
            }
            return WalkStop{range.RankBefore + t, key};
        }
    }
    return std::nullopt;
}
