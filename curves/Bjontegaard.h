#pragma once

#include "RdPoints.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Bjontegaard delta figures between a reference curve and a test curve (G. Bjontegaard,
// "Calculation of average PSNR differences between RD-curves", VCEG-M33, 2001), with the rate R
// a conversion's kept percentage and the distortion D its PSNR in dB. Each curve is first
// reduced by BdPoints; each needs at least BdMinimumPoints of them.
//
// - BD kept (%): log R as a function of D, for each curve; over the overlap of the two curves'
//   D ranges, M = the mean of (log R_test - log R_ref); BD kept = (exp(M) - 1) * 100. Negative:
//   the test keeps fewer coefficients than the reference for the same PSNR.
// - BD PSNR (dB): D as a function of log R, over the overlap of the log R ranges; the mean of
//   D_test - D_ref.
//
// The function of each curve is, by method:
// - CubicFit: the least-squares cubic through its points (VCEG-M33), see CubicFit.h;
// - PiecewiseCubic: the monotone piecewise cubic Hermite interpolant, see Pchip.h.
// Both are integrated exactly. Logarithms are natural; the figures do not depend on the base.
//
// BD kept counts coefficients, not bits (no positions, no entropy coding): it is not a BD-rate.
enum class BdMethod { CubicFit, PiecewiseCubic };

inline constexpr std::size_t BdMinimumPoints = 4;

struct BdFigures {
    // How many points each curve kept under BdPoints.
    std::size_t ReferencePoints = 0;
    std::size_t TestPoints = 0;
    // The overlap of the PSNR ranges, which BD kept averages over; absent when a curve has too
    // few points.
    std::optional<double> OverlapLowDb;
    std::optional<double> OverlapHighDb;
    std::optional<double> KeptPercent;
    std::optional<double> PsnrDb;
    // Why a figure is absent: "fewer than 4 points" or "the curves do not overlap"; empty when
    // both are there.
    std::string Note;
};

BdFigures Bjontegaard(std::span<const RdPoint> reference, std::span<const RdPoint> test,
                      BdMethod method);

// "cubic" and "pchip", as tarvish-batch spells the methods; parsing returns nothing otherwise.
std::string BdMethodName(BdMethod method);
std::optional<BdMethod> ParseBdMethod(std::string_view text);
