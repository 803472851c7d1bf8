#pragma once

#include "SetBd.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The table of the Bjontegaard figures over a set (BdSummary.h): a row per curve, in
// CurveKey's order. "images" counts the images whose BD kept and BD PSNR are both defined, which
// the figures are over; "undefined" the others (no reference curve, too few points, no
// overlap). Numbers as ResultRow::Number writes them; the options come last.
class BdSetTable {
public:
    static const std::array<std::string_view, 18>& Columns();
    static std::vector<std::vector<std::string>> Rows(std::span<const SetBd> sets);
};
