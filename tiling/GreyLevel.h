#pragma once

// The whole grey level 0..255 that a channel value is shown as: 255 or more
// gives 255, below 0 (or NaN) gives 0, anything else is truncated toward zero,
// except that a value within 1e-6 of a whole number counts as that number, so
// rounding noise such as 254.99999999999997 does not cost a level.
//
// Inline: it runs for every value of every picture written.
inline int GreyLevel(double v) {
    // Far above the rounding noise of the transforms on values up to 255, far
    // below any fraction that means something.
    constexpr double wholeTolerance = 1e-6;
    if (v >= 255.0) {
        return 255;
    }
    // Also catches NaN, which compares false.
    if (!(v >= 0.0)) {
        return 0;
    }
    // v - whole and 1 - fraction are exact (the operands are within a factor of
    // two of each other), so these are the tests against the nearest whole
    // number, without a rounding call per value.
    const int whole = static_cast<int>(v);
    const double fraction = v - whole;
    if (fraction > 0.5 && 1.0 - fraction <= wholeTolerance) {
        return whole + 1;
    }
    return whole;
}
