#pragma once

#include <cstddef>
#include <limits>
#include <span>

// The figures of a sample of n finite values x_1 .. x_n (one per image):
// - Mean = (1/n) sum x_i, summed in ascending order, so that it does not depend on the order
//   the values come in (the order of the row files);
// - Std = sqrt(sum (x_i - Mean)^2 / (n - 1)), the sample standard deviation (numpy.std with
//   ddof=1); NaN for n = 1;
// - Min and Max;
// - P25, Median and P75: Percentile (Percentile.h) at 25, 50 and 75.
// Every figure but Count is NaN for no values.
struct SampleStatistics {
    std::size_t Count = 0;
    double Mean = std::numeric_limits<double>::quiet_NaN();
    double Std = std::numeric_limits<double>::quiet_NaN();
    double Min = std::numeric_limits<double>::quiet_NaN();
    double P25 = std::numeric_limits<double>::quiet_NaN();
    double Median = std::numeric_limits<double>::quiet_NaN();
    double P75 = std::numeric_limits<double>::quiet_NaN();
    double Max = std::numeric_limits<double>::quiet_NaN();

    // Throws std::invalid_argument for a value that is not finite.
    static SampleStatistics Of(std::span<const double> values);
};
