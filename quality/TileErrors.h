#pragma once

#include <cstdint>

// One tile's squared errors: the sum over its pixels inside the image and their three channels
// of (a_c - b_c)^2, and how many of its pixels are inside.
struct TileErrors {
    std::uint64_t Squares = 0;
    std::int64_t Pixels = 0;
};
