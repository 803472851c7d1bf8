#pragma once

#include "BmpImage.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The largest image accepted: 16384 pixels on a side, 256 Mi pixels (1 GiB decoded).
inline constexpr std::int32_t BmpMaxSide = 16384;
inline constexpr std::uint64_t BmpMaxPixels = std::uint64_t{1} << 28;

// The largest file ReadBmpFile reads: the largest image at 32 bits per pixel,
// with room for headers, palette and a colour profile.
inline constexpr std::uint64_t BmpMaxFileSize =
    (std::uint64_t{1} << 30) + (std::uint64_t{64} << 20);

// Decodes a Windows bitmap held in memory, or throws BmpError saying what is
// wrong with it. Images over maxPixels (1..BmpMaxPixels) are refused before
// anything is allocated. Pixels that an RLE stream leaves undrawn get palette
// entry 0, as Windows draws them.
BmpImage ReadBmp(const std::uint8_t* data, std::size_t size,
                 std::uint64_t maxPixels = BmpMaxPixels);

// Reads and decodes a bitmap file; file errors become BmpError too
// ("cannot open file: No such file or directory").
BmpImage ReadBmpFile(const std::string& path);
