#include "Percentile.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void CheckValues(std::span<const double> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i])) {
            throw std::invalid_argument("Percentile: value " + std::to_string(i) + " is " +
                                        std::to_string(values[i]));
        }
    }
}

void CheckP(double p) {
    if (!(p >= 0.0 && p <= 100.0)) {
        throw std::invalid_argument("Percentile: p " + std::to_string(p) + " is not from 0 to 100");
    }
}

double OfSorted(std::span<const double> sorted, double p) {
    if (sorted.empty()) {
        return std::nan("");
    }
    const double h = p / 100.0 * static_cast<double>(sorted.size() - 1);
    const double below = std::floor(h);
    const auto i = static_cast<std::size_t>(below);
    const double g = h - below;
    if (i + 1 >= sorted.size()) {
        return sorted.back();
    }
    const double a = sorted[i];
    const double b = sorted[i + 1];
    const double difference = b - a;
    return g >= 0.5 ? b - difference * (1.0 - g) : a + difference * g;
}

} // namespace

double Percentile(std::span<const double> values, double p) {
    CheckP(p);
    CheckValues(values);
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    return OfSorted(sorted, p);
}

double PercentileOfSorted(std::span<const double> sorted, double p) {
    CheckP(p);
    CheckValues(sorted);
    if (!std::is_sorted(sorted.begin(), sorted.end())) {
        throw std::invalid_argument("PercentileOfSorted: the values are not sorted");
    }
    return OfSorted(sorted, p);
}
