#pragma once

#include "BatchRow.h"
#include "SetBd.h"

#include <span>
#include <string>
#include <vector>

// The Bjontegaard figures over a set of images (SetBd.h) of every curve the rows have, the
// reference's own included, in CurveKey's order. An image's curve is its points (kept_percent,
// psnr_db) over the errors; each image's is compared with its reference curve at the same tiles
// per side, colour correction and options by Bjontegaard() (curves/Bjontegaard.h), as
// tarvish-batch --bd does.
class BdSummary {
public:
    // reference: a page caption or "Best per tile", as the rows spell it. Throws
    // std::invalid_argument for another reference or method, or a row of an unknown transform.
    static std::vector<SetBd> Of(std::span<const BatchRow> rows, const std::string& reference,
                                 BdMethod method);
};
