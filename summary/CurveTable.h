#pragma once

#include "SetCurve.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The table of the curves over a set (CurveSummary.h): a row per point, curves in CurveKey's
// order and points by error. "images" counts the images at the point, "psnr_infinite" those
// whose PSNR is infinite, left out of the PSNR columns like undefined PSNRs; undefined SSIMs
// are left out of the SSIM columns. Numbers as ResultRow::Number writes them, so an undefined
// figure (a standard deviation of one image, a column of no images) is empty. The options come
// last, as in the rows of tarvish-batch.
class CurveTable {
public:
    static const std::array<std::string_view, 24>& Columns();
    static std::vector<std::vector<std::string>> Rows(std::span<const SetCurve> curves);
};
