#pragma once

#include "Bjontegaard.h"
#include "CurveKey.h"
#include "ImageBd.h"
#include "SampleStatistics.h"

#include <cstddef>
#include <string>
#include <vector>

// A curve's Bjontegaard figures over a set of images. They are computed per image, the image's
// curve against the same image's reference curve, and then summarised over the images, as
// codec comparisons do; never from curves averaged over the images, whose BD would mix points
// of different images.
struct SetBd {
    // The test curve.
    CurveKey Key;
    std::string Reference;
    BdMethod Method = BdMethod::CubicFit;
    // Every image with the test curve, by name.
    std::vector<ImageBd> Images;
    // Over the Defined images whose BD kept and BD PSNR are both defined.
    SampleStatistics KeptPercent;
    SampleStatistics PsnrDb;
    std::size_t Defined = 0;
    // The others: no reference curve, too few points or no overlap.
    std::size_t Undefined = 0;
};
