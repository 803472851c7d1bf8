#pragma once

#include <cstdint>

// Columns x Rows square tiles of Side pixels, in rows of tiles: tile (m, l) covers the columns
// X + m * Side .. X + (m + 1) * Side - 1 and the rows Y + l * Side .. Y + (l + 1) * Side - 1 of
// an image. The origin (X, Y) and so any tile may lie partly or wholly outside the image.
struct TileLayout {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Side = 1;
    std::int32_t Columns = 0;
    std::int32_t Rows = 0;
};
