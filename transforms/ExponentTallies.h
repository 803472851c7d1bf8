#pragma once

#include "ThresholdWalk.h"

#include <array>
#include <cstddef>
#include <cstdint>

// Pass one tallies each exponent this many ways, consecutive values in turn, so that neighbours
// of one exponent do not wait on each other's sum.
constexpr std::size_t TallyWays = 4;
static_assert(TallyWays == 4, "an exponent's four tallies are added in one expression");

// How many magnitudes have an exponent, and the sum of their squares.
struct ExponentTally {
    std::size_t Exponent;
    std::size_t Keys;
    double Energy;
};

// Pass one's figures: the energy in array order, the bit patterns of the smallest and largest
// magnitudes, and the pattern just below the smallest nonzero magnitude's (all ones when every
// magnitude is zero: zero's wraps round).
struct Magnitudes {
    double Total = 0.0;
    std::uint64_t Smallest = ~std::uint64_t{0};
    std::uint64_t BelowNonzero = ~std::uint64_t{0};
    std::uint64_t Largest = 0;
};

// Pass one's counts and sums of squares, TallyWays of each per exponent; all zero between calls.
struct ExponentSlots {
    std::array<std::uint32_t, Exponents * TallyWays> Counts{};
    // Keeps the low 12 address bits of a slot's sum apart from those of the counts just stored:
    // a load whose address matches a recent store's modulo 4096 waits for that store, and
    // without the spacing the slots of the exponents of 2 to 8, common in coefficients, met so
    // (5 % slower). With it, counts[s] and sums[s] meet modulo 4096 only where 4 s = 2048 + 8 s,
    // for the exponents of magnitudes near 2^-127 and 2^129.
    std::array<std::byte, 2048> Spacing{};
    std::array<double, Exponents * TallyWays> Sums{};
};

// One call's use of the slots. However the call ends, the slots are zero again once this is
// gone: ReadOff clears what it reads, and a pass that never got there clears them all.
class TallyPass {
public:
    explicit TallyPass(ExponentSlots& slots) : slots(slots) {}
    TallyPass(const TallyPass&) = delete;
    TallyPass& operator=(const TallyPass&) = delete;
    ~TallyPass();

    // Pass one: tallies how many of data's magnitudes fall in each exponent and the sum of
    // their squares. Out of line: inlined into a caller that makes calls after it, the loop
    // kept its running sum in memory, and took up to twice as long.
    Magnitudes Tally(const double* data, std::size_t count);

    // Moves the tallies of the exponents in use to tallies, ascending, and returns how many:
    // zero's exponent lowest and those from the smallest nonzero magnitude's, lowestNonzero, to
    // the largest's, highest. Zeros beside small coefficients would otherwise make a thousand
    // exponents to look through. tallies must hold Exponents.
    std::size_t ReadOff(std::size_t lowest, std::size_t lowestNonzero, std::size_t highest,
                        ExponentTally* tallies);

private:
    ExponentSlots& slots;
    bool readOff = false;
};
