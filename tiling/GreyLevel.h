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
    constexpr double WholeTolerance = 1e-6;
    // Held to 0..255 first; NaN compares false both times and becomes 0.
    const double held = v >= 255.0 ? 255.0 : (v >= 0.0 ? v : 0.0);
    // held - whole and 1 - fraction are exact (the operands are within a factor
    // of two of each other), so these are the tests against the nearest whole
    // number, without a rounding call. Selects rather than branches, so that
    // loops over pixels vectorise.
    const int whole = static_cast<int>(held);
    const double fraction = held - whole;
    return whole + ((fraction > 0.5) & (1.0 - fraction <= WholeTolerance));
}
