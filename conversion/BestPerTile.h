#pragma once

#include "ConversionResult.h"
#include "RgbView.h"
#include "SweepPoint.h"
#include "SweepSettings.h"
#include "TransformOptions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The best transform for every tile, from conversions of one image at one setting (side, tile
// count, error, colour correction and options alike), given in page order.
//
// A tile's winner: under the permitted-error rule the conversion whose tile kept the lowest
// percentage (the mean over the three channels), ties to the lower squared error of the tile,
// then to the earlier conversion; under the kept-share rule, where all keep the same share, the
// lowest squared error, ties to the earlier conversion. The kept share does not count the
// choice itself (about log2 6 = 2.6 bits a tile).

// Per tile, row-major as ConversionResult::Tiles, the index of its winner in results. Throws
// std::invalid_argument when results is empty or its settings, regions or tile counts differ.
std::vector<std::size_t> TileWinners(std::span<const ConversionResult> results);

// The image whose every tile holds its winner's pixels (and error map), with the winners' tile
// figures; its kept percentages are the means of the winners' tile percentages per channel,
// averaged as a page averages its own, and its quality is measured against original (the
// region at the top left of the image the conversions read) as a page's is. Settings are the
// conversions'; the compute time is theirs added up. The results must hold their pixels and
// error maps.
ConversionResult ComposeBestPerTile(std::span<const ConversionResult> results,
                                    std::span<const std::size_t> winners, RgbView original,
                                    std::int32_t threads = 1);

// The figures of the best-per-tile curve at one error, without composing pixels: the kept
// percentages as ComposeBestPerTile gives them, and the MSE and PSNR from the winners' tiles'
// squared errors (the SSIM would need the composed image and is left NaN).
struct BestPerTileFigures {
    std::array<double, 3> KeptPercent{};
    double MeanKeptPercent = 0.0;
    double Mse = 0.0;
    double PsnrDb = 0.0;
};
BestPerTileFigures BestFigures(std::span<const ConversionResult> results,
                               std::span<const std::size_t> winners);

// The best-per-tile curve of a sweep of the six kinds: per error of the settings, in their order,
// the figures of that error's six conversions once all six are among points; nothing for an
// error still missing one, and nothing at all unless the settings' kinds are the six.
std::vector<std::optional<BestPerTileFigures>> BestPerTileCurve(std::span<const SweepPoint> points,
                                                                const SweepSettings& settings);
// The same for one error of the settings, by its index.
std::optional<BestPerTileFigures> BestPerTilePoint(std::span<const SweepPoint> points,
                                                   const SweepSettings& settings,
                                                   std::size_t error);
