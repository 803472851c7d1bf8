#pragma once

#include "ConversionFigures.h"
#include "ScanOrder.h"
#include "TransformOptions.h"

#include <cstdint>

// What one conversion of a page does: the side N of the square it converts, the tiles per side,
// the permitted error fraction x, the tiles' scan order, whether colour correction runs, and the
// transform options (TransformOptions.h).
struct ConversionSettings {
    std::int32_t Side = 256;
    std::int32_t TileCount = 1;
    // The permitted error as the user gave it, in percent, for reports; 0 where only a fraction
    // was given. Under the kept-share rule, the share of each tile's coefficients to keep.
    double ErrorPercent = 0.0;
    // What the threshold uses: ErrorFractionOfPercent(ErrorPercent) for every front end.
    double ErrorFraction = 0.0;
    ScanOrder Order = ScanOrder::Raster;
    bool ColorCorrection = false;
    TransformOptions Options;

    void SetErrorPercent(double percent) {
        ErrorPercent = percent;
        ErrorFraction = ErrorFractionOfPercent(percent);
    }
};
