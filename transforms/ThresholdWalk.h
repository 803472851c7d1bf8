#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

// What the ways of thresholding share: magnitudes as bit patterns, the walk over the ascending
// magnitudes and the stop it finds.

// Clearing the sign bit gives the magnitude; for non-negative doubles the order of the bit
// patterns as unsigned integers is the order of the values, with NaN above infinity.
constexpr std::uint64_t MagnitudeMask = 0x7FFF'FFFF'FFFF'FFFFu;
constexpr std::uint64_t InfinityBits = 0x7FF0'0000'0000'0000u;
constexpr unsigned MantissaBits = 52;
constexpr std::uint64_t MantissaMask = (std::uint64_t{1} << MantissaBits) - 1;
constexpr std::size_t Exponents = 2048;

inline double ToDouble(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

inline std::uint64_t Bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

constexpr std::size_t NoStop = std::numeric_limits<std::size_t>::max();

// Where the walk stops: the stop's rank among the ascending magnitudes and the magnitude there,
// which becomes the cut. Rank is NoStop when the walk never stops.
struct WalkStop {
    std::size_t Rank = NoStop;
    double Cut = 0.0;
};

// The least partial sum whose root energy relative to rootTotal reaches x, NaN when none does.
double LeastPassingSum(double rootTotal, double x);

// The walk over the ascending magnitudes, from the smallest up, fed a sorted piece at a time:
// it sums the squares and finds the first position whose partial root energy relative to
// rootTotal reaches x.
class ThresholdWalk {
public:
    ThresholdWalk(double rootTotal, double x)
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
