#include "ExponentTallies.h"

#include <algorithm>

TallyPass::~TallyPass() {
    if (!readOff) {
        slots.Counts.fill(0);
        slots.Sums.fill(0.0);
    }
}

Magnitudes TallyPass::Tally(const double* data, std::size_t count) {
    std::uint32_t* counts = slots.Counts.data();
    double* sums = slots.Sums.data();
    double total = 0.0;
    std::uint64_t smallest = ~std::uint64_t{0};
    std::uint64_t belowNonzero = ~std::uint64_t{0};
    std::uint64_t largest = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double magnitude = std::fabs(data[i]);
        const double square = magnitude * magnitude;
        total = total + square;
        smallest = std::min(smallest, Bits(magnitude));
        // Zero wraps round to the largest pattern.
        belowNonzero = std::min(belowNonzero, Bits(magnitude) - 1);
        largest = std::max(largest, Bits(magnitude));
        const std::size_t slot = (Bits(magnitude) >> MantissaBits) * TallyWays + i % TallyWays;
        ++counts[slot];
        sums[slot] = sums[slot] + square;
    }
    return {total, smallest, belowNonzero, largest};
}

std::size_t TallyPass::ReadOff(std::size_t lowest, std::size_t lowestNonzero, std::size_t highest,
                               ExponentTally* tallies) {
    std::size_t occupied = 0;
    for (std::size_t e = lowest; e <= highest; e = e < lowestNonzero ? lowestNonzero : e + 1) {
        std::uint32_t* counts = slots.Counts.data() + e * TallyWays;
        double* sums = slots.Sums.data() + e * TallyWays;
        const std::size_t inExponent = std::size_t{counts[0]} + counts[1] + counts[2] + counts[3];
        if (inExponent != 0) {
            tallies[occupied++] = {e, inExponent, ((sums[0] + sums[1]) + sums[2]) + sums[3]};
            std::fill_n(counts, TallyWays, 0);
            std::fill_n(sums, TallyWays, 0.0);
        }
    }
    readOff = true;
    return occupied;
}
