#include "Pchip.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

double Sign(double v) {
    return v > 0.0 ? 1.0 : (v < 0.0 ? -1.0 : 0.0);
}

double EndSlope(double h0, double h1, double m0, double m1) {
    const double slope = ((2.0 * h0 + h1) * m0 - h0 * m1) / (h0 + h1);
    if (Sign(slope) != Sign(m0)) {
        return 0.0;
    }
    if (Sign(m0) != Sign(m1) && std::fabs(slope) > 3.0 * std::fabs(m0)) {
        return 3.0 * m0;
    }
    return slope;
}

} // namespace

Pchip::Pchip(std::span<const double> xs, std::span<const double> ys)
    : x(xs.begin(), xs.end()), y(ys.begin(), ys.end()), d(xs.size()) {
    const std::size_t n = x.size();
    if (y.size() != n || n < 2) {
        throw std::invalid_argument("Pchip: needs at least 2 points with x and y alike, got " +
                                    std::to_string(n) + " and " + std::to_string(y.size()));
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]) || (i > 0 && !(x[i] > x[i - 1]))) {
            throw std::invalid_argument("Pchip: x must be finite and strictly increasing, and y "
                                        "finite (point " +
                                        std::to_string(i) + ")");
        }
    }
    std::vector<double> h(n - 1);
    std::vector<double> m(n - 1);
    for (std::size_t k = 0; k + 1 < n; ++k) {
        h[k] = x[k + 1] - x[k];
        m[k] = (y[k + 1] - y[k]) / h[k];
    }
    if (n == 2) {
        d[0] = d[1] = m[0];
        return;
    }
    for (std::size_t k = 1; k + 1 < n; ++k) {
        if (Sign(m[k - 1]) != Sign(m[k]) || m[k - 1] == 0.0 || m[k] == 0.0) {
            d[k] = 0.0;
            continue;
        }
        const double w1 = 2.0 * h[k] + h[k - 1];
        const double w2 = h[k] + 2.0 * h[k - 1];
        d[k] = 1.0 / ((w1 / m[k - 1] + w2 / m[k]) / (w1 + w2));
    }
    d[0] = EndSlope(h[0], h[1], m[0], m[1]);
    d[n - 1] = EndSlope(h[n - 2], h[n - 3], m[n - 2], m[n - 3]);
}

std::size_t Pchip::Piece(double at) const {
    const auto after = std::upper_bound(x.begin(), x.end(), at);
    const auto k = static_cast<std::size_t>(std::max<std::ptrdiff_t>(after - x.begin() - 1, 0));
    return std::min(k, x.size() - 2);
}

double Pchip::PieceIntegral(std::size_t k, double s) const {
    // On the piece, p(s) = y_k + d_k s + c2 s^2 + c3 s^3 with s = x - x_k.
    const double h = x[k + 1] - x[k];
    const double m = (y[k + 1] - y[k]) / h;
    const double c2 = (3.0 * m - 2.0 * d[k] - d[k + 1]) / h;
    const double c3 = (d[k] + d[k + 1] - 2.0 * m) / (h * h);
    return s * (y[k] + s * (d[k] / 2.0 + s * (c2 / 3.0 + s * c3 / 4.0)));
}

double Pchip::operator()(double at) const {
    const std::size_t k = Piece(at);
    const double h = x[k + 1] - x[k];
    const double m = (y[k + 1] - y[k]) / h;
    const double c2 = (3.0 * m - 2.0 * d[k] - d[k + 1]) / h;
    const double c3 = (d[k] + d[k + 1] - 2.0 * m) / (h * h);
    const double s = at - x[k];
    return y[k] + s * (d[k] + s * (c2 + s * c3));
}

double Pchip::Integral(double a, double b) const {
    const std::size_t first = Piece(a);
    const std::size_t last = Piece(b);
    if (first == last) {
        return PieceIntegral(first, b - x[first]) - PieceIntegral(first, a - x[first]);
    }
    double sum = PieceIntegral(first, x[first + 1] - x[first]) - PieceIntegral(first, a - x[first]);
    for (std::size_t k = first + 1; k < last; ++k) {
        sum += PieceIntegral(k, x[k + 1] - x[k]);
    }
    return sum + PieceIntegral(last, b - x[last]);
}
