#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class ScratchArray;
struct ExponentSlots;
struct ExponentTally;
struct WalkStop;

// How the calls of one Thresholder found their stop, one count per way: cheap enough to keep
// always, and what shows that the fast ways do decide.
struct ThresholdCounts {
    // Tiles without energy: nothing to find.
    std::uint64_t NoEnergy = 0;
    // Error fractions of 0 or less: the walk stops at its first step.
    std::uint64_t FirstStep = 0;
    // Tiles too small for buckets, or too large for 32-bit counts, sorted as they are.
    std::uint64_t Direct = 0;
    // Stops the band located from pass one's tallies.
    std::uint64_t Band = 0;
    // Tiles the band could not decide (or not try), sorted a bucket at a time, or for the
    // largest tiles a range at a time.
    std::uint64_t Spread = 0;
    std::uint64_t Ranged = 0;
};

// Transform::Threshold's work: zeroes the smallest magnitudes of a tile until the root energy of
// what is dropped, relative to the tile's, would reach x. The stop is found by one of several
// ways, each giving the plain rule's stop bit for bit: the band located from per-exponent sums
// of squares, where it can decide, otherwise a sort of the magnitudes up to the stop. The
// memory it keeps from call to call stays here until Release, besides the keys array, which it
// shares with the transforms' own scratch.
class Thresholder {
public:
    Thresholder();
    Thresholder(const Thresholder&) = delete;
    Thresholder& operator=(const Thresholder&) = delete;
    ~Thresholder();

    // Thresholds data[0 .. count - 1] at x and sets keptPercent to the percentage of values that
    // rank ahead of the cut; leaves keptPercent as it is when the walk never stops, and sets it
    // to 0 when there is no energy. A NaN x throws std::invalid_argument, and so does a null
    // data with a count above 0. keys gives the scratch for the magnitudes.
    void Run(double* data, std::size_t count, double x, ScratchArray& keys, double& keptPercent);

    void Release();
    const ThresholdCounts& Counts() const { return counts; }

private:
    struct Survey;
    // The one place that chooses how the stop is found.
    WalkStop FindStop(const double* data, std::size_t count, double x, const Survey& survey,
                      double* directKeys, ScratchArray& keys);

    // Pass one's per-exponent tallies, all zero between calls; made on first use.
    std::unique_ptr<ExponentSlots> exponentSlots;
    // Bucket counts of the sorts, and counts of magnitude prefixes for the largest tiles.
    std::vector<std::uint32_t> bucketCounts;
    std::vector<std::uint32_t> prefixCounts;
    ThresholdCounts counts;
};
