#include "Transform.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>
#include <ostream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// Clearing the sign bit gives the magnitude; for non-negative doubles the order of the bit
// patterns as unsigned integers is the order of the values, with NaN above infinity.
constexpr std::uint64_t MagnitudeMask = 0x7FFF'FFFF'FFFF'FFFFu;
constexpr std::uint64_t InfinityBits = 0x7FF0'0000'0000'0000u;

inline double ToDouble(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

inline std::uint64_t Bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

// The walk's test sqrt(partial) / rootTotal >= x can only turn from false to true as partial
// grows, because a rounded square root and a rounded division by a positive finite number both
// keep order. So the least partial sum that passes is found once, by bisecting bit patterns
// around (x rootTotal)^2, and the walk compares its sums with it: the same stops as evaluating
// the test at every position, without a square root and a division per value. NaN when no sum
// passes.
double LeastPassingSum(double rootTotal, double x) {
    const auto passes = [rootTotal, x](std::uint64_t bits) {
        return std::sqrt(ToDouble(bits)) / rootTotal >= x;
    };
    if (!passes(InfinityBits)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (passes(0)) {
        return 0.0;
    }
    // The answer lies within a few units of the guess: widen a bracket from it by doubling
    // steps until one end fails and the other passes, then bisect.
    const double root = x * rootTotal;
    const std::uint64_t guess = std::min(Bits(root * root) & MagnitudeMask, InfinityBits);
    std::uint64_t failing = 0;
    std::uint64_t passing = InfinityBits;
    std::uint64_t step = 1;
    if (passes(guess)) {
        passing = guess;
        while (passing > step && passes(passing - step)) {
            passing -= step;
            step *= 2;
        }
        failing = passing > step ? passing - step : 0;
    } else {
        failing = guess;
        while (InfinityBits - failing > step && !passes(failing + step)) {
            failing += step;
            step *= 2;
        }
        passing = InfinityBits - failing > step ? failing + step : InfinityBits;
    }
    while (passing - failing > 1) {
        const std::uint64_t middle = failing + (passing - failing) / 2;
        if (passes(middle)) {
            passing = middle;
        } else {
            failing = middle;
        }
    }
    return ToDouble(passing);
}

constexpr std::size_t NoStop = std::numeric_limits<std::size_t>::max();

// The walk over the ascending magnitudes, from the smallest up, fed a sorted piece at a time:
// it sums the squares and finds the first position whose partial root energy relative to
// rootTotal reaches x.
class Walk {
public:
    Walk(double rootTotal, double x)
        : rootTotal(rootTotal), x(x), finite(std::isfinite(rootTotal)),
          least(finite ? LeastPassingSum(rootTotal, x) : 0.0) {}

    // The index in sorted[0 .. count - 1] where the walk stops, or NoStop.
    std::size_t Through(const double* sorted, std::size_t count) {
        // A local sum: the member could alias the keys and would be stored at every step.
        double sum = partial;
        std::size_t a = 0;
        if (finite) {
            while (a < count && !((sum = sum + sorted[a] * sorted[a]) >= least)) {
                ++a;
            }
        } else {
            // An overflowing total: the test is no longer monotone at infinity, so evaluate it
            // as is.
            while (a < count && !(std::sqrt(sum = sum + sorted[a] * sorted[a]) / rootTotal >= x)) {
                ++a;
            }
        }
        partial = sum;
        return a < count ? a : NoStop;
    }

    // The least partial sum that passes, when the test is monotone and some sum passes.
    bool Bounded() const { return finite && !std::isnan(least); }
    double Least() const { return least; }

private:
    double rootTotal;
    double x;
    bool finite;
    double least;
    double partial = 0.0;
};

// Pieces up to InsertionLimit keys are sorted by insertion, up to SmallSort by std::sort.
constexpr std::size_t InsertionLimit = 16;
constexpr std::size_t SmallSort = 256;
// Tiles up to DirectKeys values sort their magnitudes as they are.
constexpr std::size_t DirectKeys = 16;
constexpr unsigned MantissaBits = 52;
constexpr std::uint64_t MantissaMask = (std::uint64_t{1} << MantissaBits) - 1;
constexpr std::size_t Exponents = 2048;
// An exponent holding c keys is split by its leading bit_width(c) - spread mantissa bits, so
// that a bucket holds 2^(spread - 2) to 2^spread keys: about one, or for the largest tiles,
// whose bucket counts would take too much memory, a few.
constexpr int Spread = 1;
constexpr int LargeSpread = 4;
constexpr std::size_t LargeTile = std::size_t{1} << 20;
// Buckets are sorted and walked once they add up to this many keys.
constexpr std::size_t WalkRun = 256;
// Tiles of more than LargeTile values are sorted a range of magnitudes at a time, each range
// gathered from the tile by one scan: about RangeKeys keys, so that the sort works in cache
// and its memory is a fraction of the tile's. Ranges are cut between prefixes of the bit
// patterns: the exponent and the leading PrefixShift - MantissaBits mantissa bits.
constexpr std::size_t RangeKeys = std::size_t{1} << 19;
constexpr unsigned PrefixShift = 47;
constexpr std::size_t Prefixes = std::size_t{1} << (63 - PrefixShift);
// A prefix's exponent is the prefix shifted right by this.
constexpr unsigned PrefixMantissaBits = MantissaBits - PrefixShift;
constexpr unsigned DigitBits = 8;
constexpr std::size_t DigitBuckets = std::size_t{1} << DigitBits;

// Insertion by bit pattern; quick on keys that are nearly in order.
void InsertionSort(double* keys, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i) {
        const double value = keys[i];
        const std::uint64_t bits = Bits(value);
        std::size_t j = i;
        for (; j > 0 && Bits(keys[j - 1]) > bits; --j) {
            keys[j] = keys[j - 1];
        }
        keys[j] = value;
    }
}

// Sorts by bit pattern. Equal patterns are identical values, so every correct sort gives the
// same sequence.
void SortBits(double* keys, std::size_t count) {
    if (count <= InsertionLimit) {
        InsertionSort(keys, count);
    } else {
        std::sort(keys, keys + count, [](double a, double b) { return Bits(a) < Bits(b); });
    }
}

// Sorts keys[0 .. count - 1] by bit pattern: a most-significant-digit radix sort that splits the
// piece in place into ascending buckets by the highest bits that differ, down to pieces small
// enough for SortBits. A piece of equal keys costs one pass, and one whose keys differ only in
// their last DigitBits bits is counted into order in one more: transforms of whole-number pixels
// give many such clusters of nearly equal coefficients.
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

// The magnitudes of data go to the keys in ascending buckets: each exponent from lowest to
// highest is split further by its leading mantissa bits, as many as keep its buckets at a few
// keys. Then the buckets are sorted and walked in order until the walk stops. Returns the stop's
// index in the keys, or NoStop once all are sorted and walked. count must fit 32 bits.
std::size_t SpreadAndWalk(const double* data, std::size_t count, const std::size_t* exponents,
                          std::size_t lowest, std::size_t highest, double* keys,
                          std::vector<std::uint32_t>& counts, Walk& walk) {
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

// Copies the magnitudes whose bit patterns lie in [low, end) to keys, which must hold one more
// than their number. Returns how many were copied. Every magnitude is stored and only those in
// the range move the end on: no branch to mispredict.
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

// The stop of a walk over a large tile's magnitudes, whose prefixes prefixCounts has counted:
// the ranges are gathered and sorted one after the other, from the smallest magnitudes up, until
// the walk stops. Returns the stop's rank among all magnitudes, or NoStop, and sets cut to the
// magnitude there. keys must hold the doubles PlanRanges asks for.
std::size_t WalkRanges(const double* data, std::size_t count,
                       const std::vector<std::uint32_t>& prefixCounts,
                       const std::vector<std::size_t>& rangeEnds, double* keys,
                       std::vector<std::uint32_t>& buckets, Walk& walk, double& cut) {
    std::size_t below = 0;
    std::size_t begin = 0;
    for (const std::size_t end : rangeEnds) {
        std::size_t inRange = 0;
        std::array<std::size_t, Exponents> exponents{};
        for (std::size_t p = begin; p < end; ++p) {
            inRange += prefixCounts[p];
            exponents[p >> PrefixMantissaBits] += prefixCounts[p];
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
            found = SpreadAndWalk(gathered, inRange, exponents.data(), begin >> PrefixMantissaBits,
                                  (end - 1) >> PrefixMantissaBits, keys, buckets, walk);
        }
        if (found != NoStop) {
            cut = keys[found];
            return below + found;
        }
        below += inRange;
        begin = end;
    }
    return NoStop;
}

// Where the ranges end, in prefixes: consecutive prefixes from the lowest used one, each range
// as many as keep it within RangeKeys keys, or one prefix that holds more on its own. Sets
// needed to the doubles WalkRanges needs for them: twice a range and one more for the gathering,
// a range of one prefix beyond RangeKeys keys and one more.
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

// Locating the stop without sorting. The walk's partial sum after k values is a sum of the k
// smallest squares, and the walk only needs to know where it first reaches the least passing sum.
// For non-negative terms, a sum in which no term goes through more than h roundings lies within
// gamma_h = h u / (1 - h u) of the exact sum, relatively, however it is grouped (u = 2^-53;
// N. J. Higham, Accuracy and Stability of Numerical Algorithms, 2nd ed., 2002, section 4.2). So
// the walk's sum at every boundary between buckets of magnitudes lies within 2 gamma_h of the
// squares summed bucket by bucket in any order: the band below. Only the buckets where the band
// reaches the least passing sum are narrowed further, and their few keys sorted; the walk through
// them then runs from both ends of the band. Rounded addition keeps order, so the true walk stops
// between the two runs' stops, and where they agree that is its stop. Where they do not (a sum
// within the band's width of the least passing one), the caller sorts and walks everything.
// Every term here goes through at most count + BandRoundings roundings: its bucket's sum, the
// sums of the buckets before it, and one more per narrowing.
constexpr double BandRoundings = 8192.0;
// Pass one tallies each exponent this many ways, consecutive values in turn, so that neighbours
// of one exponent do not wait on each other's sum.
constexpr std::size_t TallyWays = 4;
static_assert(TallyWays == 4, "Threshold adds the four tallies of an exponent in one expression");
// A band holding at most this many keys is sorted; larger ones are narrowed by a digit first.
constexpr std::size_t BandSortKeys = 64;

class Band {
public:
    Band(std::size_t count, double least)
        : least(least),
          slack(4.0 * (static_cast<double>(count) + BandRoundings) * 0x1p-53 + 0x1p-51) {}

    // The widening adds the smallest normal double, which covers rounding below it.
    double Lower(double sum) const {
        return std::max(0.0, sum - sum * slack - std::numeric_limits<double>::min());
    }
    double Upper(double sum) const {
        return sum + sum * slack + std::numeric_limits<double>::min();
    }
    // Where the band can first reach the least passing sum, and where it surely has.
    bool MayPass(double sum) const { return Upper(sum) >= least; }
    bool Passes(double sum) const { return Lower(sum) >= least; }
    double Least() const { return least; }

private:
    double least;
    double slack;
};

// How many magnitudes have an exponent, and the sum of their squares.
struct ExponentTally {
    std::size_t Exponent;
    std::size_t Keys;
    double Energy;
};

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

// Finds the walk's stop from pass one's counts and sums of squares of the exponents in use, in
// ascending order. Returns true with stop (NoStop when the walk surely never stops) and cut set
// when the band decides, false when the caller must sort. take(c) gives scratch for c doubles.
template <class Take>
bool LocateStop(const double* data, std::size_t count, const Band& band,
                const ExponentTally* tallies, std::size_t occupied, const Take& take,
                std::size_t& stop, double& cut) {
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
            return false;
        }
        stop = NoStop;
        return true;
    }
    // Narrowed a digit at a time; the keys are gathered once they fit a range of the ranged
    // sort, and kept to exactly the band's.
    double* keys = nullptr;
    while (range.Keys > BandSortKeys && range.End - range.Low > 1) {
        if (keys == nullptr && range.Keys <= RangeKeys) {
            keys = take(range.Keys + 1);
            if (Gather(data, count, range.Low, range.End, keys) != range.Keys) {
                return false;
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
            return false;
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
            keys = take(range.Keys + 1);
            if (Gather(data, count, range.Low, range.End, keys) != range.Keys) {
                return false;
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
                return false;
            }
            stop = range.RankBefore + t;
            cut = key;
            return true;
        }
    }
    return false;
}

} // namespace

void Transform::Threshold(double* data, std::uint32_t n, double x) {
    if (std::isnan(x)) {
        throw std::invalid_argument("Threshold: error fraction is NaN");
    }
    const std::size_t count = std::size_t{n} * n;
    if (count == 0) {
        KeptPercent = 0.0;
        return;
    }
    if (data == nullptr) {
        throw std::invalid_argument("Threshold: data is null");
    }
    // The energy in array order, the smallest and largest magnitudes, and either the magnitudes
    // themselves or how many fall in each exponent and the sum of their squares. Tiles too small
    // to gain from buckets, and those too large for their 32-bit bounds, sort the magnitudes as
    // they are.
    const bool direct = count <= DirectKeys || count > std::numeric_limits<std::uint32_t>::max();
    const bool ranged = !direct && count > LargeTile;
    // Scratch is taken before anything changes; for the other tiles, once it is known how much.
    double* keys = direct ? Scratch(count) : nullptr;
    if (!direct && exponentCounts.empty()) {
        exponentCounts.assign(Exponents * TallyWays, 0);
        exponentSums.assign(Exponents * TallyWays, 0.0);
    }
    double total = 0.0;
    std::uint64_t smallest = ~std::uint64_t{0};
    std::uint64_t belowNonzero = ~std::uint64_t{0};
    std::uint64_t largest = 0;
    if (direct) {
        for (std::size_t i = 0; i < count; ++i) {
            const double magnitude = std::fabs(data[i]);
            total = total + magnitude * magnitude;
            smallest = std::min(smallest, Bits(magnitude));
            largest = std::max(largest, Bits(magnitude));
            keys[i] = magnitude;
        }
    } else {
        std::uint32_t* tallyCounts = exponentCounts.data();
        double* tallySums = exponentSums.data();
        for (std::size_t i = 0; i < count; ++i) {
            const double magnitude = std::fabs(data[i]);
            const double square = magnitude * magnitude;
            total = total + square;
            smallest = std::min(smallest, Bits(magnitude));
            // Zero wraps round to the largest pattern.
            belowNonzero = std::min(belowNonzero, Bits(magnitude) - 1);
            largest = std::max(largest, Bits(magnitude));
            const std::size_t slot = (Bits(magnitude) >> MantissaBits) * TallyWays + i % TallyWays;
            ++tallyCounts[slot];
            tallySums[slot] = tallySums[slot] + square;
        }
    }
    // The exponents in use, read off the tallies and cleared: zero's, and those from the
    // smallest nonzero magnitude's to the largest's. Zeros beside small coefficients would
    // otherwise make a thousand exponents to look through.
    const std::size_t lowest = smallest >> MantissaBits;
    const std::size_t highest = largest >> MantissaBits;
    std::array<ExponentTally, Exponents> tallies;
    std::size_t occupied = 0;
    if (!direct) {
        const std::size_t lowestNonzero =
            belowNonzero == ~std::uint64_t{0} ? highest : (belowNonzero + 1) >> MantissaBits;
        for (std::size_t e = lowest; e <= highest; e = e < lowestNonzero ? lowestNonzero : e + 1) {
            std::uint32_t* tallyCounts = exponentCounts.data() + e * TallyWays;
            double* tallySums = exponentSums.data() + e * TallyWays;
            const std::size_t inExponent =
                std::size_t{tallyCounts[0]} + tallyCounts[1] + tallyCounts[2] + tallyCounts[3];
            if (inExponent != 0) {
                tallies[occupied++] = {
                    e, inExponent, ((tallySums[0] + tallySums[1]) + tallySums[2]) + tallySums[3]};
                std::fill_n(tallyCounts, TallyWays, 0);
                std::fill_n(tallySums, TallyWays, 0.0);
            }
        }
    }
    if (total == 0.0) {
        KeptPercent = 0.0;
        return;
    }
    const double rootTotal = std::sqrt(total);

    std::size_t stop = NoStop;
    double cut = 0.0;
    // With x <= 0 even an empty sum passes, so the walk stops at its first step, on the
    // smallest magnitude (a finite total has no NaN), and the order of the rest does not matter.
    if (std::isfinite(rootTotal) && 0.0 / rootTotal >= x) {
        stop = 0;
        cut = ToDouble(smallest);
    } else {
        Walk walk(rootTotal, x);
        const bool located = !direct && walk.Bounded() &&
                             LocateStop(
                                 data, count, Band(count, walk.Least()), tallies.data(), occupied,
                                 [this](std::size_t c) { return Scratch(c); }, stop, cut);
        if (!located && direct) {
            RadixSort(keys, count);
            stop = walk.Through(keys, count);
        } else if (!located && ranged) {
            prefixScratch.assign(Prefixes, 0);
            for (std::size_t i = 0; i < count; ++i) {
                ++prefixScratch[Bits(std::fabs(data[i])) >> PrefixShift];
            }
            std::size_t needed = 0;
            const std::vector<std::size_t> ends =
                PlanRanges(prefixScratch, smallest >> PrefixShift, largest >> PrefixShift, needed);
            keys = Scratch(needed);
            stop = WalkRanges(data, count, prefixScratch, ends, keys, bucketScratch, walk, cut);
        } else if (!located) {
            keys = Scratch(count);
            std::array<std::size_t, Exponents> exponents;
            std::fill(exponents.begin() + lowest, exponents.begin() + highest + 1, 0);
            for (std::size_t t = 0; t < occupied; ++t) {
                exponents[tallies[t].Exponent] = tallies[t].Keys;
            }
            stop = SpreadAndWalk(data, count, exponents.data(), lowest, highest, keys,
                                 bucketScratch, walk);
        }
        // A walk that never stops has sorted everything: the cut is the largest magnitude.
        if (stop == NoStop) {
            cut = ToDouble(largest);
        } else if (!located && !ranged) {
            cut = keys[stop];
        }
    }
    if (stop != NoStop) {
        const std::size_t ranked = count - 1 - stop;
        KeptPercent = static_cast<double>(ranked) * 100.0 / static_cast<double>(count);
    }
    for (std::size_t i = 0; i < count; ++i) {
        // Stored unconditionally so that the loop vectorises.
        data[i] = std::fabs(data[i]) < cut ? 0.0 : data[i];
    }
}

void Transform::WriteCoefficients(const double* data, std::uint32_t count, std::ostream& out) {
    if (data == nullptr && count != 0) {
        throw std::invalid_argument("WriteCoefficients: data is null");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        out << data[i] << '\t';
    }
}

void Transform::ReleaseScratch() {
    scratch.reset();
    scratchCount = 0;
    bucketScratch = {};
    prefixScratch = {};
    exponentCounts = {};
    exponentSums = {};
    cosinePlans[0].reset();
    cosinePlans[1].reset();
}

double* Transform::Scratch(std::size_t count) {
    if (count > scratchCount) {
        scratch.reset();
        scratchCount = 0;
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(double)) {
            throw std::bad_array_new_length();
        }
        scratch.reset(
            static_cast<double*>(::operator new (count * sizeof(double), std::align_val_t{64})));
        scratchCount = count;
    }
    return scratch.get();
}

void Transform::AlignedDelete::operator()(double* p) const {
    ::operator delete (p, std::align_val_t{64});
}
