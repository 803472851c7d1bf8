#pragma once

#include <cstdint>
#include <vector>

// A decoded bitmap. Pixels are row-major, top row first, each 0xFFRRGGBB: the
// layout of QImage::Format_RGB32, so the window wraps them without conversion.
struct BmpImage {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint32_t> Pixels;
};
