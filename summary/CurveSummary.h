#pragma once

#include "BatchRow.h"
#include "SetCurve.h"

#include <span>
#include <vector>

// The curves over a set of images, in CurveKey's order: for every transform, tiles per side,
// colour correction and options the rows have, a point per error percent that some image has,
// over the images converted so. The figures do not depend on the order of the rows.
class CurveSummary {
public:
    // Throws std::invalid_argument for a row whose transform is not a page caption or Best per
    // tile.
    static std::vector<SetCurve> Of(std::span<const BatchRow> rows);
};
