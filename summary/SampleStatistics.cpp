#include "SampleStatistics.h"

#include "Percentile.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

SampleStatistics SampleStatistics::Of(std::span<const double> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i])) {
            throw std::invalid_argument("SampleStatistics: value " + std::to_string(i) + " is " +
                                        std::to_string(values[i]));
        }
    }
    SampleStatistics s;
    s.Count = values.size();
    if (values.empty()) {
        return s;
    }
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    const auto n = static_cast<double>(sorted.size());
    double sum = 0.0;
    for (double x : sorted) {
        sum += x;
    }
    s.Mean = sum / n;
    if (sorted.size() > 1) {
        // Two passes: the squares of the deviations, not of the values, so nothing cancels.
        double squares = 0.0;
        for (double x : sorted) {
            squares += (x - s.Mean) * (x - s.Mean);
        }
        s.Std = std::sqrt(squares / (n - 1.0));
    }
    s.Min = sorted.front();
    s.Max = sorted.back();
    s.P25 = PercentileOfSorted(sorted, 25.0);
    s.Median = PercentileOfSorted(sorted, 50.0);
    s.P75 = PercentileOfSorted(sorted, 75.0);
    return s;
}
