#pragma once

#include "QualityFigures.h"
#include "RgbView.h"
#include "TileErrors.h"
#include "TileLayout.h"

#include <cstdint>
#include <optional>
#include <span>

// How far an image b is from an original a of the same width W and height H, over the three
// 8-bit channels c = R, G, B of every pixel. The two are views, so a region of each is measured
// by passing RgbView::Region of it. Modelled on scikit-image's metrics module (0.19):
// mean_squared_error, peak_signal_noise_ratio with data_range=255, structural_similarity.
//
// Conventions:
// - a_c(x, y) is channel c of pixel (x, y) of a, 0 <= x < W, 0 <= y < H.
// - std::invalid_argument, naming the values, for a negative side, null Pixels with a nonzero
//   side, a Stride below Width in a view of more than one row, or views of different sizes.
// - threads: 0 means one per core, otherwise at most that many std::threads work on bands of
//   rows. Every sum runs in a fixed order, so the figures do not depend on the count.
// - An empty region has no figures: NaN for MSE and PSNR, 0 for the largest error.

// Mean squared error (scikit-image's mean_squared_error), exact up to its final division
// (64-bit integer sum):
//   MSE = 1 / (3 W H) * sum_{x, y, c} (a_c(x, y) - b_c(x, y))^2,   0 .. 65025.
double Mse(const RgbView& a, const RgbView& b);

// Peak signal-to-noise ratio of 8-bit values in decibels (scikit-image's
// peak_signal_noise_ratio with data_range=255):
//   PSNR = 10 log10(255^2 / MSE),   +infinity for MSE 0 (identical images), NaN for NaN.
// Throws std::invalid_argument for a negative mse.
double PsnrDb(double mse);

// Largest absolute error of any channel value: max_{x, y, c} |a_c(x, y) - b_c(x, y)|, 0 .. 255.
int MaxError(const RgbView& a, const RgbView& b);

// Structural similarity, Wang, Bovik, Sheikh, Simoncelli, "Image quality assessment: from error
// visibility to structural similarity", IEEE Trans. Image Processing 13(4):600-612, 2004,
// of each channel, then averaged over R, G and B. With the Gaussian window of sigma 1.5
// truncated at radius 5 (11 x 11),
//   w_k = exp(-k^2 / (2 * 1.5^2)) / sum_{j=-5..5} exp(-j^2 / (2 * 1.5^2)),   k = -5 .. 5,
// and G * f the local mean sum_{i,k} w_i w_k f(x + k, y + i), per channel:
//   mu_a = G * a,   var_a = G * a^2 - mu_a^2,   (mu_b, var_b alike),   cov = G * ab - mu_a mu_b,
//   SSIM(x, y) = (2 mu_a mu_b + C1) (2 cov + C2) / ((mu_a^2 + mu_b^2 + C1) (var_a + var_b + C2)),
//   C1 = (0.01 * 255)^2,   C2 = (0.03 * 255)^2,
// and the channel's figure is the mean of SSIM(x, y) over the (W - 10) x (H - 10) pixels whose
// whole window lies inside the image. Empty when W or H is under 11.
// This is structural_similarity(a, b, data_range=255, gaussian_weights=True, sigma=1.5,
// use_sample_covariance=False) of scikit-image 0.19, computed as it computes it: weights as
// scipy's _gaussian_kernel1d, the window applied as scipy.ndimage.gaussian_filter does,
// columns first, then rows, each output x_0 w_0 + (x_-5 + x_5) w_5 + ... + (x_-1 + x_1) w_1 in
// that order, variances as E[x^2] - mu^2 in double, each map row summed pairwise as numpy's
// mean does, the rows in order. One step differs: var_a + var_b is taken from one window sum,
// G * (a^2 + b^2) - (mu_a^2 + mu_b^2), equal in exact arithmetic and a fifth less work; the
// figures stay within a few 1e-15 of scikit-image's.
std::optional<double> Ssim(const RgbView& a, const RgbView& b, std::int32_t threads = 1);

// The MSE of every tile of a grid, in one pass over the image: the MSE of tile (m, l) over its
// pixels inside the image goes to mse[l * grid.Columns + m], NaN when none of its pixels is
// inside. Pixels outside every tile take no part. Throws std::invalid_argument as above and for
// a Side below 1, negative Columns or Rows, or an mse span not of Columns * Rows values.
void TileMse(const RgbView& a, const RgbView& b, const TileLayout& grid, std::span<double> mse);
// The same pass, giving each tile's sum of squared errors and its pixel count instead (so that
// tiles from different results can be added up exactly); errors as TileMse.
void TileSquaredErrors(const RgbView& a, const RgbView& b, const TileLayout& grid,
                       std::span<TileErrors> errors);
// A tile's MSE from its squared errors, as TileMse gives it: NaN without pixels.
double TileMseOf(const TileErrors& errors);

// All the figures above at once, in one sweep of bands of rows (one band per thread): each band
// sums its errors, then its rows of the three SSIM maps, one pass per channel.
QualityFigures MeasureQuality(const RgbView& a, const RgbView& b, std::int32_t threads = 1);
