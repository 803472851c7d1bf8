#pragma once

#include "CurveKey.h"
#include "SetPoint.h"

#include <vector>

// One curve over the set of images: its points by error percent, ascending.
struct SetCurve {
    CurveKey Key;
    std::vector<SetPoint> Points;
};
