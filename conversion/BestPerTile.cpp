#include "BestPerTile.h"

#include "ConversionFigures.h"
#include "Quality.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

void CheckAlike(std::span<const ConversionResult> results) {
    if (results.empty()) {
        throw std::invalid_argument("BestPerTile: no conversion given");
    }
    const ConversionResult& first = results.front();
    const ConversionSettings& s = first.Settings;
    const std::size_t tiles = static_cast<std::size_t>(s.TileCount) * s.TileCount;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const ConversionResult& r = results[i];
        const ConversionSettings& o = r.Settings;
        if (o.Side != s.Side || o.TileCount != s.TileCount || o.ErrorPercent != s.ErrorPercent ||
            o.ColorCorrection != s.ColorCorrection || !(o.Options == s.Options) ||
            r.RegionWidth != first.RegionWidth || r.RegionHeight != first.RegionHeight ||
            r.Tiles.size() != tiles) {
            throw std::invalid_argument("BestPerTile: conversion " + std::to_string(i) +
                                        " was made at another setting than conversion 0");
        }
    }
}

// Channel c's mean of the winners' tile percentages, summed in the order a page sums its own
// (the tiles column by column, each column from the top), so that one winner everywhere gives
// that conversion's figure to the bit.
std::array<double, 3> KeptOf(std::span<const ConversionResult> results,
                             std::span<const std::size_t> winners) {
    const auto count = static_cast<std::size_t>(results.front().Settings.TileCount);
    const std::size_t tiles = count * count;
    std::array<double, 3> kept{};
    for (std::size_t c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (std::size_t column = 0; column < count; ++column) {
            for (std::size_t row = 0; row < count; ++row) {
                const std::size_t i = row * count + column;
                sum += results[winners[i]].Tiles[i].ChannelKept[c];
            }
        }
        kept[c] = sum / static_cast<double>(tiles);
    }
    return kept;
}

void CheckWinners(std::span<const ConversionResult> results, std::span<const std::size_t> winners) {
    CheckAlike(results);
    if (winners.size() != results.front().Tiles.size()) {
        throw std::invalid_argument("BestPerTile: " + std::to_string(winners.size()) +
                                    " winners for " + std::to_string(results.front().Tiles.size()) +
                                    " tiles");
    }
    for (std::size_t w : winners) {
        if (w >= results.size()) {
            throw std::invalid_argument("BestPerTile: winner " + std::to_string(w) + " of " +
                                        std::to_string(results.size()) + " conversions");
        }
    }
}

} // namespace

std::vector<std::size_t> TileWinners(std::span<const ConversionResult> results) {
    CheckAlike(results);
    const bool keptRule = results.front().Settings.Options.Rule == KeepRule::Kept;
    std::vector<std::size_t> winners(results.front().Tiles.size(), 0);
    for (std::size_t t = 0; t < winners.size(); ++t) {
        std::size_t best = 0;
        for (std::size_t i = 1; i < results.size(); ++i) {
            const TileFigures& a = results[i].Tiles[t];
            const TileFigures& b = results[best].Tiles[t];
            // Every conversion has the same pixels in the tile, so squared errors compare as
            // the MSEs do, and exactly.
            const bool better =
                keptRule ? a.SquaredErrors < b.SquaredErrors
                         : (a.KeptPercent < b.KeptPercent ||
                            (a.KeptPercent == b.KeptPercent && a.SquaredErrors < b.SquaredErrors));
            if (better) {
                best = i;
            }
        }
        winners[t] = best;
    }
    return winners;
}

ConversionResult ComposeBestPerTile(std::span<const ConversionResult> results,
                                    std::span<const std::size_t> winners, RgbView original,
                                    std::int32_t threads) {
    CheckWinners(results, winners);
    const ConversionResult& first = results.front();
    const auto width = static_cast<std::size_t>(first.RegionWidth);
    const auto height = static_cast<std::size_t>(first.RegionHeight);
    for (const ConversionResult& r : results) {
        if (r.Pixels.size() != width * height || r.ErrorMap.size() != width * height) {
            throw std::invalid_argument("ComposeBestPerTile: a conversion without its pixels");
        }
    }
    if (original.Width < first.RegionWidth || original.Height < first.RegionHeight) {
        throw std::invalid_argument("ComposeBestPerTile: the original is smaller than the region");
    }

    ConversionResult best;
    best.Settings = first.Settings;
    best.RegionWidth = first.RegionWidth;
    best.RegionHeight = first.RegionHeight;
    best.Pixels.resize(width * height);
    best.ErrorMap.resize(width * height);
    const auto count = static_cast<std::size_t>(first.Settings.TileCount);
    const auto side = static_cast<std::size_t>(first.Settings.Side) / count;
    for (std::size_t y = 0; y < height; ++y) {
        const std::size_t row = y / side;
        for (std::size_t x0 = 0; x0 < width; x0 += side) {
            const std::size_t x1 = std::min(width, x0 + side);
            const ConversionResult& from = results[winners[row * count + x0 / side]];
            const std::size_t at = y * width;
            std::copy(from.Pixels.begin() + at + x0, from.Pixels.begin() + at + x1,
                      best.Pixels.begin() + at + x0);
            std::copy(from.ErrorMap.begin() + at + x0, from.ErrorMap.begin() + at + x1,
                      best.ErrorMap.begin() + at + x0);
        }
    }
    best.Tiles.resize(winners.size());
    for (std::size_t t = 0; t < winners.size(); ++t) {
        best.Tiles[t] = results[winners[t]].Tiles[t];
    }
    best.KeptPercent = KeptOf(results, winners);
    best.MeanKeptPercent =
        MeanOfChannels(best.KeptPercent[0], best.KeptPercent[1], best.KeptPercent[2]);
    if (width == 0 || height == 0) {
        best.Quality.Mse = std::numeric_limits<double>::quiet_NaN();
        best.Quality.PsnrDb = std::numeric_limits<double>::quiet_NaN();
    } else {
        const RgbView after{best.Pixels.data(), best.RegionWidth, best.RegionHeight,
                            static_cast<std::ptrdiff_t>(width)};
        best.Quality = MeasureQuality(original.Region(0, 0, best.RegionWidth, best.RegionHeight),
                                      after, threads);
    }
    for (const ConversionResult& r : results) {
        best.ComputeMilliseconds += r.ComputeMilliseconds;
    }
    return best;
}

BestPerTileFigures BestFigures(std::span<const ConversionResult> results,
                               std::span<const std::size_t> winners) {
    CheckWinners(results, winners);
    BestPerTileFigures figures;
    figures.KeptPercent = KeptOf(results, winners);
    figures.MeanKeptPercent =
        MeanOfChannels(figures.KeptPercent[0], figures.KeptPercent[1], figures.KeptPercent[2]);
    std::uint64_t squares = 0;
    std::int64_t pixels = 0;
    for (std::size_t t = 0; t < winners.size(); ++t) {
        squares += results[winners[t]].Tiles[t].SquaredErrors;
        pixels += results[winners[t]].Tiles[t].Pixels;
    }
    figures.Mse = TileMseOf(TileErrors{squares, pixels});
    figures.PsnrDb = std::isnan(figures.Mse) ? figures.Mse : PsnrDb(figures.Mse);
    return figures;
}

std::optional<BestPerTileFigures> BestPerTilePoint(std::span<const SweepPoint> points,
                                                   const SweepSettings& settings,
                                                   std::size_t error) {
    if (settings.Kinds.size() != TransformKindCount || error >= settings.ErrorPercents.size()) {
        return std::nullopt;
    }
    // The six kinds' results at the error, in page order.
    std::vector<const ConversionResult*> found(TransformKindCount, nullptr);
    for (const SweepPoint& p : points) {
        const auto kind = static_cast<std::size_t>(p.Kind);
        if (kind < TransformKindCount && p.ErrorPercent() == settings.ErrorPercents[error]) {
            found[kind] = &p.Result;
        }
    }
    if (std::any_of(found.begin(), found.end(), [](auto* r) { return !r; })) {
        return std::nullopt;
    }
    std::vector<ConversionResult> six;
    six.reserve(TransformKindCount);
    for (const ConversionResult* r : found) {
        // The figures need the tiles alone.
        ConversionResult figuresOnly;
        figuresOnly.Settings = r->Settings;
        figuresOnly.RegionWidth = r->RegionWidth;
        figuresOnly.RegionHeight = r->RegionHeight;
        figuresOnly.Tiles = r->Tiles;
        six.push_back(std::move(figuresOnly));
    }
    return BestFigures(six, TileWinners(six));
}

std::vector<std::optional<BestPerTileFigures>> BestPerTileCurve(std::span<const SweepPoint> points,
                                                                const SweepSettings& settings) {
    std::vector<std::optional<BestPerTileFigures>> curve(settings.ErrorPercents.size());
    for (std::size_t e = 0; e < curve.size(); ++e) {
        curve[e] = BestPerTilePoint(points, settings, e);
    }
    return curve;
}
