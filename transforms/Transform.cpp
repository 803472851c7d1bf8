#include "Transform.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <utility>

namespace {

// Clearing the sign bit gives the magnitude; for non-negative doubles the order of the bit
// patterns as unsigned integers is the order of the values, with NaN above infinity.
constexpr std::uint64_t MagnitudeMask = 0x7FFF'FFFF'FFFF'FFFFu;
constexpr std::uint64_t InfinityBits = 0x7FF0'0000'0000'0000u;

inline double ToDouble(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

// Below this many keys a comparison sort is quicker than counting digits.
constexpr std::size_t RadixMinimum = 256;
constexpr unsigned DigitBits = 8;
constexpr unsigned Digits = 64 / DigitBits;
constexpr std::size_t Buckets = std::size_t{1} << DigitBits;

// Sorts magnitude bit patterns ascending. Equal patterns are identical values, so every correct
// sort yields the same sequence. Returns the array that holds the result: keys or spare.
std::uint64_t* SortKeys(std::uint64_t* keys, std::uint64_t* spare, std::size_t count) {
    if (count < RadixMinimum) {
        std::sort(keys, keys + count);
        return keys;
    }
    std::array<std::array<std::size_t, Buckets>, Digits> histogram{};
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t key = keys[i];
        for (unsigned d = 0; d < Digits; ++d) {
            ++histogram[d][(key >> (d * DigitBits)) & (Buckets - 1)];
        }
    }
    std::uint64_t* from = keys;
    std::uint64_t* to = spare;
    for (unsigned d = 0; d < Digits; ++d) {
        auto& offsets = histogram[d];
        // A digit that all keys share would only copy the array.
        if (std::find(offsets.begin(), offsets.end(), count) != offsets.end()) {
            continue;
        }
        std::size_t start = 0;
        for (std::size_t& slot : offsets) {
            start += std::exchange(slot, start);
        }
        const unsigned shift = d * DigitBits;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t key = from[i];
            to[offsets[(key >> shift) & (Buckets - 1)]++] = key;
        }
        std::swap(from, to);
    }
    return from;
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
    const std::uint64_t guess =
        std::min(std::bit_cast<std::uint64_t>(root * root) & MagnitudeMask, InfinityBits);
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

// Walks the ascending magnitudes from the smallest up and returns the position of the first
// whose partial root energy relative to rootTotal reaches x, or NoStop.
std::size_t FindStop(const std::uint64_t* sorted, std::size_t count, double rootTotal, double x) {
    double partial = 0.0;
    if (std::isfinite(rootTotal)) {
        const double least = LeastPassingSum(rootTotal, x);
        for (std::size_t a = 0; a < count; ++a) {
            const double magnitude = ToDouble(sorted[a]);
            partial = partial + magnitude * magnitude;
            if (partial >= least) {
                return a;
            }
        }
        return NoStop;
    }
    // An overflowing total: the test is no longer monotone at infinity, so evaluate it as is.
    for (std::size_t a = 0; a < count; ++a) {
        const double magnitude = ToDouble(sorted[a]);
        partial = partial + magnitude * magnitude;
        if (std::sqrt(partial) / rootTotal >= x) {
            return a;
        }
    }
    return NoStop;
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
    // Both arrays are allocated before anything changes.
    const auto keys = std::make_unique_for_overwrite<std::uint64_t[]>(count);
    const auto spare =
        std::make_unique_for_overwrite<std::uint64_t[]>(count < RadixMinimum ? 0 : count);

    double total = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t key = std::bit_cast<std::uint64_t>(data[i]) & MagnitudeMask;
        keys[i] = key;
        const double magnitude = ToDouble(key);
        total = total + magnitude * magnitude;
    }
    if (total == 0.0) {
        KeptPercent = 0.0;
        return;
    }
    const double rootTotal = std::sqrt(total);

    std::size_t stop = NoStop;
    double cut = 0.0;
    // With x <= 0 even an empty sum passes, so the walk stops at its first step, on the
    // smallest magnitude, and the order of the rest does not matter.
    const bool firstStepPasses = std::isfinite(rootTotal) && 0.0 / rootTotal >= x;
    const std::uint64_t smallest =
        firstStepPasses ? *std::min_element(keys.get(), keys.get() + count) : InfinityBits + 1;
    if (smallest <= InfinityBits) {
        stop = 0;
        cut = ToDouble(smallest);
    } else {
        const std::uint64_t* sorted = SortKeys(keys.get(), spare.get(), count);
        stop = FindStop(sorted, count, rootTotal, x);
        cut = ToDouble(sorted[stop == NoStop ? count - 1 : stop]);
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
