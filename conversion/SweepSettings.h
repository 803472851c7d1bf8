#pragma once

#include "TransformKind.h"
#include "TransformOptions.h"

#include <array>
#include <cstdint>
#include <vector>

// The permitted errors, in percent, of the window's rate-distortion sweep.
inline constexpr std::array<double, 15> WindowErrorPercents = {
    0.0, 0.1, 0.25, 0.5, 1.0, 2.0, 3.0, 5.0, 7.0, 10.0, 15.0, 20.0, 30.0, 50.0, 100.0};

// What a sweep converts: every kind at every error percentage, at one side N and tile count.
struct SweepSettings {
    // In the order the points come out; the default is the six pages in page order.
    std::vector<TransformKind> Kinds = {TransformKind::Dct1D,  TransformKind::D4_1D,
                                        TransformKind::Haar1D, TransformKind::Dct2D,
                                        TransformKind::D4_2D,  TransformKind::Haar2D};
    std::int32_t Side = 256;
    std::int32_t TileCount = 1;
    // Each becomes the error fraction ErrorFractionOfPercent(percent).
    std::vector<double> ErrorPercents{WindowErrorPercents.begin(), WindowErrorPercents.end()};
    bool ColorCorrection = false;
    // For every point; under the kept-share rule ErrorPercents are the shares to keep.
    TransformOptions Options;
    // Keep every point's new pixels and error map (5 bytes per pixel of the region per point);
    // otherwise they are dropped as soon as the point's figures are measured.
    bool KeepPixels = false;
};
