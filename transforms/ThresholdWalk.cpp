#include "ThresholdWalk.h"

#include <algorithm>

// The walk's test sqrt(partial) / rootTotal >= x can only turn from false to true as partial
// grows, because a rounded square root and a rounded division by a positive finite number both
// keep order. So the least partial sum that passes is found once, by bisecting bit patterns
// around (x rootTotal)^2, and the walk compares its sums with it: the same stops as evaluating
// the test at every position, without a square root and a division per value.
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
