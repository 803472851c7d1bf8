#include "Thresholder.h"

#include "ExponentTallies.h"
#include "RadixSort.h"
#include "ScratchArray.h"
#include "ThresholdBand.h"
#include "ThresholdSort.h"
#include "ThresholdWalk.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

// Tiles up to DirectKeys values sort their magnitudes as they are.
constexpr std::size_t DirectKeys = 16;

// Pass one of the tiles sorted as they are: the magnitudes go to keys.
Magnitudes CopyMagnitudes(const double* data, std::size_t count, double* keys) {
    double total = 0.0;
    std::uint64_t smallest = ~std::uint64_t{0};
    std::uint64_t largest = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double magnitude = std::fabs(data[i]);
        total = total + magnitude * magnitude;
        smallest = std::min(smallest, Bits(magnitude));
        largest = std::max(largest, Bits(magnitude));
        keys[i] = magnitude;
    }
    return {total, smallest, ~std::uint64_t{0}, largest};
}

} // namespace

// What pass one learns of a tile: the energy in array order, the bit patterns of the smallest
// and largest magnitudes, and for tallied tiles the exponents in use with their counts and sums
// of squares.
struct Thresholder::Survey {
    double Total = 0.0;
    std::uint64_t Smallest = ~std::uint64_t{0};
    std::uint64_t Largest = 0;
    const ExponentTally* Tallies = nullptr;
    std::size_t Occupied = 0;
};

Thresholder::Thresholder() = default;
Thresholder::~Thresholder() = default;

void Thresholder::Run(double* data, std::size_t count, double x, ScratchArray& keys,
                      double& keptPercent) {
    if (std::isnan(x)) {
        throw std::invalid_argument("Threshold: error fraction is NaN");
    }
    if (count == 0) {
        keptPercent = 0.0;
        return;
    }
    if (data == nullptr) {
        throw std::invalid_argument("Threshold: data is null");
    }
    // Tiles too small to gain from buckets, and those too large for their 32-bit counts, sort
    // the magnitudes as they are. Scratch is taken before anything changes; for the other tiles,
    // once it is known how much.
    const bool direct = count <= DirectKeys || count > std::numeric_limits<std::uint32_t>::max();
    double* directKeys = direct ? keys.Take(count) : nullptr;
    if (!direct && !exponentSlots) {
        exponentSlots = std::make_unique<ExponentSlots>();
    }
    std::array<ExponentTally, Exponents> tallies;
    Magnitudes magnitudes;
    std::size_t occupied = 0;
    if (direct) {
        magnitudes = CopyMagnitudes(data, count, directKeys);
    } else {
        TallyPass pass(*exponentSlots);
        magnitudes = pass.Tally(data, count);
        const std::size_t highest = magnitudes.Largest >> MantissaBits;
        const std::size_t lowestNonzero = magnitudes.BelowNonzero == ~std::uint64_t{0}
                                              ? highest
                                              : (magnitudes.BelowNonzero + 1) >> MantissaBits;
        occupied = pass.ReadOff(magnitudes.Smallest >> MantissaBits, lowestNonzero, highest,
                                tallies.data());
    }
    const Survey survey{magnitudes.Total, magnitudes.Smallest, magnitudes.Largest, tallies.data(),
                        occupied};
    if (survey.Total == 0.0) {
        ++counts.NoEnergy;
        keptPercent = 0.0;
        return;
    }
    const WalkStop stop = FindStop(data, count, x, survey, directKeys, keys);
    // A walk that never stops has passed every magnitude: the cut is the largest.
    const double cut = stop.Rank == NoStop ? ToDouble(survey.Largest) : stop.Cut;
    if (stop.Rank != NoStop) {
        const std::size_t ranked = count - 1 - stop.Rank;
        keptPercent = static_cast<double>(ranked) * 100.0 / static_cast<double>(count);
    }
    for (std::size_t i = 0; i < count; ++i) {
        // Stored unconditionally so that the loop vectorises.
        data[i] = std::fabs(data[i]) < cut ? 0.0 : data[i];
    }
}

WalkStop Thresholder::FindStop(const double* data, std::size_t count, double x,
                               const Survey& survey, double* directKeys, ScratchArray& keys) {
    const double rootTotal = std::sqrt(survey.Total);
    // With x <= 0 even an empty sum passes, so the walk stops at its first step, on the
    // smallest magnitude (a finite total has no NaN), and the order of the rest does not matter.
    if (std::isfinite(rootTotal) && 0.0 / rootTotal >= x) {
        ++counts.FirstStep;
        return {0, ToDouble(survey.Smallest)};
    }
    ThresholdWalk walk(rootTotal, x);
    if (directKeys != nullptr) {
        ++counts.Direct;
        RadixSort(directKeys, count);
        const std::size_t found = walk.Through(directKeys, count);
        return found == NoStop ? WalkStop{} : WalkStop{found, directKeys[found]};
    }
    if (walk.Bounded()) {
        const std::optional<WalkStop> located = LocateStop(data, count, Band(count, walk.Least()),
                                                           survey.Tallies, survey.Occupied, keys);
        if (located) {
            ++counts.Band;
            return *located;
        }
    }
    if (count > LargeTile) {
        ++counts.Ranged;
        return WalkRanges(data, count, survey.Smallest, survey.Largest, prefixCounts, bucketCounts,
                          keys, walk);
    }
    ++counts.Spread;
    const std::size_t lowest = survey.Smallest >> MantissaBits;
    const std::size_t highest = survey.Largest >> MantissaBits;
    return SpreadAndWalk(data, count, survey.Tallies, survey.Occupied, lowest, highest,
                         bucketCounts, keys, walk);
}

void Thresholder::Release() {
    exponentSlots.reset();
    bucketCounts = {};
    prefixCounts = {};
}
