#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The transforms written out literally, one loop per formula, on 1-based arrays where the
// library's kernels are 1-based: the figures the optimised library must reproduce bit for bit.
// The library reorders memory traffic and caches twiddle factors; none of that is here.
namespace Reference {

// data[1 .. 2 nn], twiddles advanced by the recurrence inside each stage.
void ComplexFFT(double* data, std::uint32_t nn, int direction);
// data[1 .. n]; direction 1 forward, any other the inverse (times n/2).
void RealFFT(double* data, std::uint32_t n, int direction);
// y[1 .. n]; direction 1 DCT-II, any other its inverse scaled by 2/n.
void CosineTransform(double* y, std::uint32_t n, int direction);

// Whole-tile transforms on a 0-based n x n tile, forward when forward is true.
void Cosine(std::vector<double>& tile, std::uint32_t n, bool forward);
void Cosine2D(std::vector<double>& tile, std::uint32_t n, bool forward);
void Haar(std::vector<double>& tile, std::uint32_t n, bool forward);
void Haar2D(std::vector<double>& tile, std::uint32_t n, bool forward);
void Daubechies4(std::vector<double>& tile, std::uint32_t n, bool forward);
void Daubechies4_2D(std::vector<double>& tile, std::uint32_t n, bool forward);

// The thresholding rule: magnitudes summed in array order, sorted with std::sort, walked from
// the smallest with a square root and a division at every step. keptPercent is left as it is
// when the walk never stops.
void Threshold(std::vector<double>& data, double x, double& keptPercent);

// The same rule for one tile at many error fractions: the tile is sorted and its walk summed
// once.
class ThresholdRule {
public:
    explicit ThresholdRule(const std::vector<double>& tile);

    // The tile thresholded at x, with keptPercent set as Threshold sets it.
    std::vector<double> Apply(double x, double& keptPercent) const;
    // The magnitude below which Apply zeroes values, for a tile with energy; keptPercent as
    // Apply sets it.
    double Cut(double x, double& keptPercent) const;
    // The walk's test figure sqrt(partial) / sqrt(total) once it has taken the k + 1 smallest
    // magnitudes.
    double Ratio(std::size_t k) const;

private:
    std::vector<double> tile;
    // The ascending magnitudes and the walk's partial sums of their squares.
    std::vector<double> ascending;
    std::vector<double> partials;
    double total = 0.0;
    double rootTotal = 0.0;
};

} // namespace Reference
