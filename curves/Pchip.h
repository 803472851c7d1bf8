#pragma once

#include <span>
#include <vector>

// The monotone piecewise cubic Hermite interpolant through points (x, y), x strictly
// increasing, with the slopes as scipy.interpolate.PchipInterpolator chooses them (Fritsch and
// Butland; Moler, Numerical Computing with MATLAB, 3.6):
// - interior: 0 where the neighbouring secants m_{k-1}, m_k differ in sign or one is 0, else
//   the weighted harmonic mean (w1 + w2) / (w1 / m_{k-1} + w2 / m_k) with w1 = 2 h_k + h_{k-1}
//   and w2 = h_k + 2 h_{k-1};
// - ends: the one-sided three-point estimate ((2 h0 + h1) m0 - h0 m1) / (h0 + h1), set to 0 when
//   its sign differs from m0's, and to 3 m0 when m0 and m1 differ in sign and it exceeds 3 |m0|;
// - two points: the secant at both.
class Pchip {
public:
    // Throws std::invalid_argument unless x and y have the same length of at least 2 and x is
    // finite and strictly increasing.
    Pchip(std::span<const double> x, std::span<const double> y);

    double operator()(double x) const;
    // The integral over [a, b] inside [x0, x_last], exactly, piece by piece.
    double Integral(double a, double b) const;
    double MeanOver(double a, double b) const { return Integral(a, b) / (b - a); }

    const std::vector<double>& Slopes() const { return d; }

private:
    // The piece holding x: the last k with x_k <= x, at most the last piece.
    std::size_t Piece(double x) const;
    // The integral of piece k from x_k to x_k + s.
    double PieceIntegral(std::size_t k, double s) const;

    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> d;
};
