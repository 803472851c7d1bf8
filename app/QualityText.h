#pragma once

#include "QualityFigures.h"

#include <QString>

#include <optional>

// The texts of the quality figures, alike wherever the window shows them.

// "PSNR 31.04 dB   SSIM 0.854   max error 60"; "PSNR identical" when nothing changed, "SSIM n/a"
// when the region is too small for it.
QString QualityCaption(const QualityFigures& figures);

// PSNR with two decimals, "identical" when infinite, "n/a" when undefined.
QString PsnrText(double psnrDb);
// SSIM with the given decimals, "n/a" when undefined.
QString SsimText(const std::optional<double>& ssim, int decimals);
// A figure for a file: the shortest text that reads back as the same double; "inf" for
// infinity and an empty field for NaN.
QString ExactNumber(double value);
