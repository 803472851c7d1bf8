#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes a 24-bit bottom-up bitmap with a BITMAPINFOHEADER. Pixels are
// row-major, top row first, 0x??RRGGBB (the top byte is ignored); count must be
// width * height. The file is written to a temporary file in the target's
// folder that replaces the target only when complete, so a failure (reported
// as BmpError with the reason) leaves any old file as it was.
void WriteBmpFile(const std::string& path, std::int32_t width, std::int32_t height,
                  const std::uint32_t* pixels, std::size_t count);
