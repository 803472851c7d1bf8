#pragma once

#include <string>

// One image's conversion at a point of a curve over the set.
struct ImageSample {
    std::string Image;
    double KeptPercent = 0.0;
    // +infinity for an identical result; NaN when not defined.
    double PsnrDb = 0.0;
    // NaN when not defined.
    double Ssim = 0.0;
};
