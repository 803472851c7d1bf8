#pragma once

#include "Bjontegaard.h"
#include "TransformOptions.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The rows of --bd-output: for one image and tile count, every curve against the reference by
// one method (Bjontegaard.h), figures left empty and the reason in "note" when not defined.
class BdRows {
public:
    static const std::array<std::string_view, 17>& Columns();

    // curves: the name of each curve and its points, in the order the rows come; the reference
    // is the one named reference.
    static void Append(std::vector<std::vector<std::string>>& rows, const std::string& image,
                       std::int32_t side, std::int32_t tileCount, bool colorCorrection,
                       const std::string& reference,
                       const std::vector<std::pair<std::string, std::vector<RdPoint>>>& curves,
                       BdMethod method, const TransformOptions& options);
};
