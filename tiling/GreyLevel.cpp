#include "GreyLevel.h"

#include <cmath>

namespace {
// Far above the rounding noise of the transforms on values up to 255, far
// below any fraction that means something.
constexpr double kWholeTolerance = 1e-6;
} // namespace

int GreyLevel(double v) {
    if (v >= 255.0) {
        return 255;
    }
    // Also catches NaN, which compares false.
    if (!(v >= 0.0)) {
        return 0;
    }
    const double whole = std::round(v);
    if (std::fabs(v - whole) <= kWholeTolerance) {
        return static_cast<int>(whole);
    }
    return static_cast<int>(v);
}
