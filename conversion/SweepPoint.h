#pragma once

#include "ConversionResult.h"
#include "TransformKind.h"

// One point of a sweep: a kind at one error percentage.
struct SweepPoint {
    TransformKind Kind = TransformKind::Dct1D;
    // As ConvertImage gives it, with Settings.SetErrorPercent of the point's percentage. Pixels
    // and ErrorMap are empty unless the sweep keeps them; ComputeMilliseconds includes an equal
    // share of the kind's forward transforms, which all the kind's points use.
    ConversionResult Result;

    double ErrorPercent() const { return Result.Settings.ErrorPercent; }
};
