#pragma once

#include "ImageSample.h"
#include "SampleStatistics.h"

#include <cstddef>
#include <vector>

// A curve's point over the set: every image's conversion at one error, by image name, and the
// statistics over the images (SampleStatistics.h). The PSNR figures leave out infinite PSNRs,
// which PsnrInfinite counts, and undefined ones; the SSIM figures leave out undefined SSIMs.
struct SetPoint {
    double ErrorPercent = 0.0;
    std::vector<ImageSample> Samples;
    SampleStatistics KeptPercent;
    SampleStatistics PsnrDb;
    std::size_t PsnrInfinite = 0;
    SampleStatistics Ssim;
};
