#pragma once

#include <array>
#include <span>

// The least-squares cubic y ~ c0 + c1 t + c2 t^2 + c3 t^3 through points (x, y), in the
// variable t = (x - Centre) / Scale that maps the points' x range onto [-1, 1]. Powers of raw
// decibels (x near 40) would lose digits; on [-1, 1] the fit keeps them. The fit is solved by
// Householder QR of the n x 4 Vandermonde matrix, not by the normal equations.
class CubicFit {
public:
    // Throws std::invalid_argument unless x and y have the same length of at least 4 and x holds
    // at least 4 distinct finite values.
    CubicFit(std::span<const double> x, std::span<const double> y);

    double operator()(double x) const;
    // The mean of the cubic over [a, b], from its antiderivative; a < b.
    double MeanOver(double a, double b) const;

    double Centre() const { return centre; }
    double Scale() const { return scale; }
    // c0 .. c3, in t.
    const std::array<double, 4>& Coefficients() const { return c; }

private:
    double Antiderivative(double t) const;

    double centre = 0.0;
    double scale = 1.0;
    std::array<double, 4> c{};
};
