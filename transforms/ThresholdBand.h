#pragma once

#include "ExponentTallies.h"
#include "RadixSort.h"
#include "ThresholdWalk.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

class ScratchArray;

// Locating the stop without sorting. The walk's partial sum after k values is a sum of the k
// smallest squares, and the walk only needs to know where it first reaches the least passing
// sum. Pass one's tallies, added bucket by bucket in ascending order, estimate the walk's sum at
// every boundary between buckets of magnitudes, and a band around the estimate holds the walk's
// own sum there. Only the buckets where the band reaches the least passing sum are narrowed
// further, a digit of the bit patterns at a time, and their few keys sorted; the walk through
// them then runs from both ends of the band. Rounded addition keeps order, so the true walk
// stops between the two runs' stops, and where they agree that is its stop. Where they do not (a
// sum within the band's width of the least passing one), the caller sorts and walks everything.
//
// Why the band holds the walk. Both sums add the same terms, the rounded squares. For
// non-negative terms, a sum in which no term goes through more than h roundings lies within
// gamma_h = h u / (1 - h u) of the exact sum, relatively, however it is grouped (u = 2^-53;
// N. J. Higham, Accuracy and Stability of Numerical Algorithms, 2nd ed., 2002, section 4.2 and
// lemma 3.1); additions round no worse below the normal range, where they are exact. With at
// most h roundings per term in both, the walk's sum w and the estimate s have
//   s (1 - gamma_h) / (1 + gamma_h) <= w <= s (1 + gamma_h) / (1 - gamma_h),
// so w lies within rho = 2 h u / (1 - 2 h u) of s, at most 4 h u while h u <= 1/4.
//
// The roundings per term. The walk's: fewer than count. The estimate's: at most
// ceil(count / TallyWays) in the tally of its way (which starts from zero), TallyWays - 1 adding
// the ways of its bucket, one per bucket of the prefix (at most Exponents, or DigitBuckets once
// narrowed), one adding the prefix to the sum before the buckets; then one per later narrowing
// step, which adds its own prefix to that sum, while the terms it narrows to are tallied afresh.
// The steps are at most NarrowingLimit. So both are at most h = count + BandRoundings. The keys
// of the last band are added one by one from both ends of the band, in the order the walk adds
// them: rounding keeps order, so they stay between the two ends, and need no room in h.
//
// The slack 4 (count + BandRoundings) u + 4 u, that is 4 (h + 1) u (exact in doubles), and the
// band's own roundings: Lower and Upper round three times each (the product s slack, the
// difference or sum, the widening by the smallest normal double, which is larger than the
// product's rounding error below the normal range, 2^-1075). Then
// Upper(s) >= s (1 + slack (1 - u)) (1 - u)^2, which is s (1 + rho) or more when
// slack (1 - u)^3 >= rho + 2 u; and Lower(s) is 0 or at most s (1 - slack (1 - u)) (1 + u)^2,
// which is s (1 - rho) or less when slack >= rho + 2 u + u^2. 4 (h + 1) u covers both while
// h u <= 1/8.
constexpr double BandRoundings = 8192.0;
// A band holding at most this many keys is sorted; larger ones are narrowed by a digit first.
// The bound above assumes nothing of it: the sorted keys are walked from both ends of the band,
// in the walk's own order, so any size is sound; it only trades narrowing against sorting.
constexpr std::size_t BandSortKeys = 64;
// Narrowing steps before the band gives up, which bounds the roundings they add. A step that
// keeps one digit takes DigitBits off the width of the patterns in the band, at most 63 bits, so
// ceil(63 / DigitBits) such steps reach a single pattern. A step that keeps a run of digits, the
// band lying across a digit's edge, narrows by less, and nothing else bounds how many such
// steps follow one another; they are rare, and twice the single-digit steps leave room for them.
constexpr std::size_t NarrowingLimit = 2 * 64 / DigitBits;

static_assert(NarrowingLimit * DigitBits >= 63,
              "narrowing by one digit at a time must reach a single pattern");
static_assert(DigitBuckets <= Exponents, "a narrowed prefix has no more buckets than exponents");
static_assert(TallyWays >= 1 && TallyWays + Exponents + NarrowingLimit <= BandRoundings,
              "BandRoundings covers all roundings of a term in the estimate but its tally's");
// Tiles whose counts do not fit 32 bits are never tallied.
static_assert((static_cast<double>(std::numeric_limits<std::uint32_t>::max()) + BandRoundings) *
                      8.0 <=
                  0x1p53,
              "h u <= 1/8 for every tallied tile");

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

// Finds the walk's stop from pass one's tallies of the exponents in use, in ascending order:
// the stop (NoStop when the walk surely never stops), or nothing when the band cannot decide.
// The band's keys, when it gathers any, go to keys.
std::optional<WalkStop> LocateStop(const double* data, std::size_t count, const Band& band,
                                   const ExponentTally* tallies, std::size_t occupied,
                                   ScratchArray& keys);
