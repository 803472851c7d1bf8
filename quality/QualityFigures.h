#pragma once

#include <optional>

// How close a result is to its original, over the region both cover (see Quality.h).
struct QualityFigures {
    double Mse = 0.0;
    // +infinity when the images are identical (Mse 0).
    double PsnrDb = 0.0;
    // Largest |a - b| of any channel value, 0..255.
    int MaxError = 0;
    // Mean SSIM of R, G and B; empty when a side is under 11 pixels.
    std::optional<double> Ssim;
};
