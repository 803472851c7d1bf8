#include "CubicFit.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

CubicFit::CubicFit(std::span<const double> x, std::span<const double> y) {
    const std::size_t n = x.size();
    if (y.size() != n || n < 4) {
        throw std::invalid_argument("CubicFit: needs at least 4 points with x and y alike, got " +
                                    std::to_string(n) + " and " + std::to_string(y.size()));
    }
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    if (!std::isfinite(*low) || !std::isfinite(*high) || !(*high > *low)) {
        throw std::invalid_argument("CubicFit: x must be finite and not all equal");
    }
    centre = (*low + *high) / 2.0;
    scale = (*high - *low) / 2.0;

    // A = [1 t t^2 t^3], column-major, and b = y; Householder reflections make A upper
    // triangular (R) and b into Q^T b.
    std::vector<double> a(4 * n);
    std::vector<double> b(y.begin(), y.end());
    for (std::size_t i = 0; i < n; ++i) {
        const double t = (x[i] - centre) / scale;
        a[i] = 1.0;
        a[n + i] = t;
        a[2 * n + i] = t * t;
        a[3 * n + i] = t * t * t;
    }
    for (std::size_t k = 0; k < 4; ++k) {
        double* column = a.data() + k * n;
        double norm = 0.0;
        for (std::size_t i = k; i < n; ++i) {
            norm += column[i] * column[i];
        }
        norm = std::sqrt(norm);
        if (norm == 0.0) {
            throw std::invalid_argument("CubicFit: fewer than 4 distinct x values");
        }
        const double alpha = column[k] > 0.0 ? -norm : norm;
        // v = column[k..] - alpha e_k, kept in place of the column.
        column[k] -= alpha;
        double vv = 0.0;
        for (std::size_t i = k; i < n; ++i) {
            vv += column[i] * column[i];
        }
        const auto reflect = [&](double* target) {
            double dot = 0.0;
            for (std::size_t i = k; i < n; ++i) {
                dot += column[i] * target[i];
            }
            const double f = 2.0 * dot / vv;
            for (std::size_t i = k; i < n; ++i) {
                target[i] -= f * column[i];
            }
        };
        for (std::size_t j = k + 1; j < 4; ++j) {
            reflect(a.data() + j * n);
        }
        reflect(b.data());
        // The diagonal of R; below it nothing is needed any more.
        column[k] = alpha;
    }
    // R c = (Q^T b)[0..3].
    for (std::size_t k = 4; k-- > 0;) {
        double sum = b[k];
        for (std::size_t j = k + 1; j < 4; ++j) {
            sum -= a[j * n + k] * c[j];
        }
        const double diagonal = a[k * n + k];
        if (std::fabs(diagonal) <= 1e-12 * std::fabs(a[0])) {
            throw std::invalid_argument("CubicFit: fewer than 4 distinct x values");
        }
        c[k] = sum / diagonal;
    }
}

double CubicFit::operator()(double x) const {
    const double t = (x - centre) / scale;
    return c[0] + t * (c[1] + t * (c[2] + t * c[3]));
}

double CubicFit::Antiderivative(double t) const {
    return t * (c[0] + t * (c[1] / 2.0 + t * (c[2] / 3.0 + t * c[3] / 4.0)));
}

double CubicFit::MeanOver(double a, double b) const {
    const double ta = (a - centre) / scale;
    const double tb = (b - centre) / scale;
    return (Antiderivative(tb) - Antiderivative(ta)) / (tb - ta);
}
