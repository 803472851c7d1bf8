#pragma once

#include <span>

// The p-th percentile, p from 0 to 100, as numpy.percentile computes it by default (method
// "linear", Hyndman and Fan's type 7): with the n values sorted, x[0] <= ... <= x[n - 1],
// h = (p / 100) (n - 1), i = floor(h) and g = h - i,
//     Percentile = x[i] + g (x[i + 1] - x[i]),
// evaluated as numpy does, from x[i + 1] backwards when g >= 1/2, so that the ends are exact.
// The median is the 50th. NaN for no values.
//
// Both throw std::invalid_argument for p outside 0 to 100 or a value that is not finite; the
// second takes the values sorted ascending and throws when they are not.
double Percentile(std::span<const double> values, double p);
double PercentileOfSorted(std::span<const double> sorted, double p);
