#pragma once

#include "ConversionResult.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The rows of --tile-rows: one per tile of a conversion, row-major from the top left of the
// image, with what the tile kept, its squared errors and, when the best per tile is computed,
// whether the conversion won it.
class TileRows {
public:
    static const std::array<std::string_view, 19>& Columns();

    // Appends the rows of result's tiles to rows; won, when given, says per tile whether this
    // conversion is the tile's winner.
    static void Append(std::vector<std::vector<std::string>>& rows, const std::string& image,
                       std::string_view transform, const ConversionResult& result,
                       const std::vector<bool>* won = nullptr);
};
