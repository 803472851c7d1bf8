#pragma once

#include "ConversionSettings.h"
#include "QualityFigures.h"
#include "TileFigures.h"

#include <array>
#include <cstdint>
#include <vector>

// Everything one conversion produced. The region is the part of the image inside the converted
// square: RegionWidth = min(image width, Side) columns by RegionHeight = min(image height, Side)
// rows at the top left. Only its pixels change; the figures are measured over it alone.
struct ConversionResult {
    ConversionSettings Settings;
    std::int32_t RegionWidth = 0;
    std::int32_t RegionHeight = 0;
    // The region's new pixels, 0xFFRRGGBB, row-major, RegionWidth per row.
    std::vector<std::uint32_t> Pixels;
    // Per pixel of the region, the largest absolute change of its three channels, 0..255.
    std::vector<std::uint8_t> ErrorMap;
    // Mean kept percentage of the red, green and blue planes, and of the three.
    std::array<double, 3> KeptPercent{};
    double MeanKeptPercent = 0.0;
    // Against the original region; Mse and PsnrDb are NaN for an empty region.
    QualityFigures Quality;
    // TileCount x TileCount entries, row by row from the top of the image: entry
    // r * TileCount + c is the tile whose top-left pixel is (c * tile side, r * tile side).
    std::vector<TileFigures> Tiles;
    // Time spent converting: the tile pipeline, colour correction and the new pixels.
    double ComputeMilliseconds = 0.0;
};
