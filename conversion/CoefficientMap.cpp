#include "CoefficientMap.h"

#include "ConversionFigures.h"
#include "PageConversion.h"
#include "TileScan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

CoefficientMap::CoefficientMap(const ConversionSettings& settings, RgbView image,
                               std::span<Transform* const> transforms,
                               const std::atomic<bool>* cancel)
    : settings(settings) {
    PageConversion conversion(settings, image.Width, image.Height);
    regionWidth = conversion.RegionWidth();
    regionHeight = conversion.RegionHeight();
    const auto side = static_cast<std::size_t>(settings.Side);
    const auto tileSide = static_cast<std::size_t>(TileSide());
    planeSize = side * side;
    // Zero where no tile lies.
    magnitudes.assign(3 * planeSize, 0.0F);
    zeroed.assign(3 * planeSize, 0);
    conversion.Read(image, std::max<std::size_t>(transforms.size(), 1));

    // Where each of the tile's raster elements finds its coefficient.
    const std::shared_ptr<const std::uint32_t[]> zigzag =
        settings.Order == ScanOrder::Zigzag ? ZigzagTable(tileSide) : nullptr;
    const PageConversion::SelectionKept selection = conversion.SelectTiles(
        transforms,
        [&](const PageConversion::SelectedTile& tile) {
            float* magnitude = magnitudes.data() + tile.Channel * planeSize;
            std::uint8_t* mark = zeroed.data() + tile.Channel * planeSize;
            // Raster element (u, v) of the tile is image pixel (x0 + u, y0 + v); the map is
            // written along its rows.
            for (std::size_t v = 0; v < tileSide; ++v) {
                for (std::size_t u = 0; u < tileSide; ++u) {
                    const std::size_t k = u * tileSide + v;
                    const std::size_t from = zigzag ? zigzag[k] : k;
                    const std::size_t to = (tile.Y0 + v) * side + tile.X0 + u;
                    const double c = tile.Coefficients[from];
                    magnitude[to] = static_cast<float>(std::fabs(c));
                    mark[to] = c != 0.0 && tile.Selected[from] == 0.0 ? 1 : 0;
                }
            }
        },
        cancel);
    tileKept = selection.Tiles;
    kept = selection.Channels;

    float least = std::numeric_limits<float>::infinity();
    for (float m : magnitudes) {
        if (m > 0.0F) {
            least = std::min(least, m);
            largest = std::max(largest, m);
        }
    }
    smallest = largest > 0.0F ? least : 0.0F;
}

std::size_t CoefficientMap::At(std::size_t channel, std::int32_t x, std::int32_t y) const {
    if (channel > 2 || x < 0 || y < 0 || x >= settings.Side || y >= settings.Side) {
        throw std::invalid_argument("CoefficientMap: no entry (" + std::to_string(x) + ", " +
                                    std::to_string(y) + ") in channel " + std::to_string(channel) +
                                    " of a side of " + std::to_string(settings.Side));
    }
    return channel * planeSize + static_cast<std::size_t>(y) * settings.Side +
           static_cast<std::size_t>(x);
}

std::span<const float> CoefficientMap::Magnitudes(std::size_t channel) const {
    if (channel > 2) {
        throw std::invalid_argument("CoefficientMap: no channel " + std::to_string(channel));
    }
    return {magnitudes.data() + channel * planeSize, planeSize};
}

std::span<const std::uint8_t> CoefficientMap::Zeroed(std::size_t channel) const {
    if (channel > 2) {
        throw std::invalid_argument("CoefficientMap: no channel " + std::to_string(channel));
    }
    return {zeroed.data() + channel * planeSize, planeSize};
}

float CoefficientMap::Magnitude(std::size_t channel, std::int32_t x, std::int32_t y) const {
    return magnitudes[At(channel, x, y)];
}

bool CoefficientMap::IsZeroed(std::size_t channel, std::int32_t x, std::int32_t y) const {
    return zeroed[At(channel, x, y)] != 0;
}

double CoefficientMap::TileKeptPercent(std::size_t channel, std::int32_t column,
                                       std::int32_t row) const {
    const std::int32_t count = settings.TileCount;
    if (channel > 2 || column < 0 || row < 0 || column >= count || row >= count) {
        throw std::invalid_argument("CoefficientMap: no tile in column " + std::to_string(column) +
                                    ", row " + std::to_string(row) + " of channel " +
                                    std::to_string(channel) + " with " + std::to_string(count) +
                                    " tiles a side");
    }
    const auto perPlane = static_cast<std::size_t>(count) * static_cast<std::size_t>(count);
    return tileKept[channel * perPlane + static_cast<std::size_t>(column) * count +
                    static_cast<std::size_t>(row)];
}

double CoefficientMap::KeptPercent(std::size_t channel) const {
    return kept.at(channel);
}

double CoefficientMap::MeanKeptPercent() const {
    return MeanOfChannels(kept[0], kept[1], kept[2]);
}

std::uint64_t CoefficientMap::BytesNeeded(const ConversionSettings& settings, std::size_t workers) {
    const auto side = static_cast<std::uint64_t>(std::max(settings.Side, 0));
    const auto tiles = static_cast<std::uint64_t>(std::max(settings.TileCount, 1));
    const std::uint64_t tileSide = side / tiles;
    const std::uint64_t map = 3 * side * side * (sizeof(float) + sizeof(std::uint8_t)) +
                              3 * tiles * tiles * sizeof(double);
    // The page's planes and per-worker tiles, and one more tile a worker: the coefficients stay
    // beside the copy the rule works on.
    const std::uint64_t extra = static_cast<std::uint64_t>(std::max<std::size_t>(workers, 1)) *
                                tileSide * tileSide * sizeof(double);
    return map + PageConversion::BytesNeeded(settings, workers) + extra;
}
