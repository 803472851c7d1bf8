#pragma once

#include "ImageFormats.h"
#include "TransformKind.h"
#include "TransformOptions.h"

#include <cstdint>
#include <string>
#include <string_view>

// How results are named and sized where tarvish-batch and the window must agree: the file name
// of a result image and the side that covers an image.

// The name of a result image, e.g. "chelsea_256x256_DCT1D_8tiles_5pct.bmp" for
// "photos/chelsea_256x256.bmp"; an input of another format has its extension after its stem,
// in lower case ("photo_png_DCT1D_8tiles_5pct.bmp" for "photo.PNG"), so that photo.png and
// photo.jpg do not write the same file; options other than the defaults follow the percent
// ("..._5pct_orthonormal_all_kept.bmp"); the extension is format's.
std::string ResultFileName(std::string_view image, TransformKind kind, std::int32_t tileCount,
                           double percent, const TransformOptions& options = {},
                           ImageFormat format = ImageFormat::Bmp);
// The same with the part that names the transform given: "BestPerTile".
std::string ResultFileName(std::string_view image, std::string_view transform,
                           std::int32_t tileCount, double percent,
                           const TransformOptions& options = {},
                           ImageFormat format = ImageFormat::Bmp);

// The smallest power of two at least side (and at least 1). Throws std::invalid_argument when
// side is above 2^30, whose covering side an int32 cannot hold.
std::int32_t CoveringSide(std::int32_t side);
