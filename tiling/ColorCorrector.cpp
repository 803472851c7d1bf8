#include "ColorCorrector.h"

#include "GreyLevel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

ColorCorrector::ColorCorrector(double* values, std::int32_t count) : Values(values), Count(count) {
    if (count <= 0) {
        return;
    }
    if (values == nullptr) {
        throw std::invalid_argument("ColorCorrector: values are null for count " +
                                    std::to_string(count));
    }

    double smallest = std::numeric_limits<double>::infinity();
    double largest = -std::numeric_limits<double>::infinity();
    bool nonFinite = false;
    for (std::int32_t i = 0; i < count; ++i) {
        const double v = values[i];
        if (!std::isfinite(v)) {
            nonFinite = true;
            continue;
        }
        smallest = std::min(smallest, v);
        largest = std::max(largest, v);
    }
    if (!nonFinite && smallest >= 0.0 && largest <= 255.0) {
        return;
    }

    // hi - lo is at least 255, so the division is always defined.
    const double lo = std::min(smallest, 0.0);
    const double hi = std::max(largest, 255.0);
    for (std::int32_t i = 0; i < count; ++i) {
        const double mapped = (values[i] - lo) * 255.0 / (hi - lo);
        values[i] = GreyLevel(mapped);
    }
}
