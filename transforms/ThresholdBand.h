#pragma once

#include "ExponentTallies.h"
#include "RadixSort.h"
#include "ThresholdWalk.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>

class ScratchArray;

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

// Finds the walk's stop from pass one's tallies of the exponents in use, in ascending order:
// the stop (NoStop when the walk surely never stops), or nothing when the band cannot decide.
// The band's keys, when it gathers any, go to keys.
std::optional<WalkStop> LocateStop(const double* data, std::size_t count, const Band& band,
                                   const ExponentTally* tallies, std::size_t occupied,
                                   ScratchArray& keys);
