#include "PageConversion.h"

#include "ColorCorrector.h"
#include "ConversionFigures.h"
#include "ParallelFor.h"
#include "Quality.h"
#include "SquarePixels.h"
#include "TileScan.h"
#include "TileSelection.h"
#include "Transform.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

constexpr double NotStopped = std::numeric_limits<double>::quiet_NaN();

std::uint32_t Pack(double red, double green, double blue) {
    return static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue);
}

void CheckTransforms(std::span<Transform* const> transforms, const char* step) {
    if (transforms.empty()) {
        throw std::invalid_argument(std::string("PageConversion::") + step +
                                    ": no transform given");
    }
    for (std::size_t i = 0; i < transforms.size(); ++i) {
        if (transforms[i] == nullptr) {
            throw std::invalid_argument(std::string("PageConversion::") + step + ": transform " +
                                        std::to_string(i) + " is null");
        }
    }
}

} // namespace

PageConversion::PageConversion(const ConversionSettings& settings, std::int32_t imageWidth,
                               std::int32_t imageHeight)
    : settings(settings) {
    if (settings.Side < 1) {
        throw std::invalid_argument("PageConversion: side must be at least 1, got " +
                                    std::to_string(settings.Side));
    }
    if (settings.TileCount < 1) {
        throw std::invalid_argument("PageConversion: tile count must be at least 1, got " +
                                    std::to_string(settings.TileCount));
    }
    if (settings.Side / settings.TileCount == 0) {
        throw std::invalid_argument("PageConversion: a side of " + std::to_string(settings.Side) +
                                    " has no room for " + std::to_string(settings.TileCount) +
                                    " tiles");
    }
    CheckOptions(settings.Options);
    if (imageWidth < 0 || imageHeight < 0) {
        throw std::invalid_argument("PageConversion: image size " + std::to_string(imageWidth) +
                                    " x " + std::to_string(imageHeight) + " is negative");
    }
    regionWidth = std::min(imageWidth, settings.Side);
    regionHeight = std::min(imageHeight, settings.Side);
    const auto side = static_cast<std::size_t>(settings.Side);
    planeSize = side * side;
    for (auto& plane : planes) {
        plane = std::make_unique_for_overwrite<double[]>(planeSize);
    }
}

PageConversion::~PageConversion() = default;

std::span<double> PageConversion::Plane(std::size_t channel) {
    return {planes.at(channel).get(), planeSize};
}

std::span<const double> PageConversion::Plane(std::size_t channel) const {
    return {planes.at(channel).get(), planeSize};
}

void PageConversion::Read(RgbView image, std::size_t threads) {
    if (std::min(image.Width, settings.Side) != regionWidth ||
        std::min(image.Height, settings.Side) != regionHeight) {
        throw std::invalid_argument("PageConversion: image of " + std::to_string(image.Width) +
                                    " x " + std::to_string(image.Height) +
                                    " is not the one the conversion was made for");
    }
    ReadSquare(image, static_cast<std::size_t>(settings.Side), Plane(0), Plane(1), Plane(2),
               threads);
}

std::vector<std::uint32_t> PageConversion::PackRegion() const {
    const auto side = static_cast<std::size_t>(settings.Side);
    const auto width = static_cast<std::size_t>(regionWidth);
    const auto height = static_cast<std::size_t>(regionHeight);
    std::vector<std::uint32_t> region(width * height);
    const double* red = planes[0].get();
    const double* green = planes[1].get();
    const double* blue = planes[2].get();
    // In square blocks: the planes run down the columns and the region along the rows, and a
    // block's lines of both stay in cache while it is packed.
    constexpr std::size_t Block = 64;
    for (std::size_t x0 = 0; x0 < width; x0 += Block) {
        for (std::size_t y0 = 0; y0 < height; y0 += Block) {
            const std::size_t xEnd = std::min(width, x0 + Block);
            const std::size_t yEnd = std::min(height, y0 + Block);
            for (std::size_t x = x0; x < xEnd; ++x) {
                for (std::size_t y = y0; y < yEnd; ++y) {
                    const std::size_t at = x * side + y;
                    region[y * width + x] = Pack(red[at], green[at], blue[at]);
                }
            }
        }
    }
    return region;
}

void PageConversion::FillUncovered() {
    const auto side = static_cast<std::size_t>(settings.Side);
    const std::size_t covered =
        static_cast<std::size_t>(settings.TileCount) * static_cast<std::size_t>(TileSide());
    const auto width = static_cast<std::size_t>(regionWidth);
    const auto height = static_cast<std::size_t>(regionHeight);
    for (std::size_t c = 0; c < 3; ++c) {
        double* plane = planes[c].get();
        const int shift = 16 - 8 * static_cast<int>(c);
        for (std::size_t x = 0; x < side; ++x) {
            for (std::size_t y = x < covered ? covered : 0; y < side; ++y) {
                plane[x * side + y] =
                    x < width && y < height ? (original[y * width + x] >> shift & 0xFFu) : 255.0;
            }
        }
    }
}

PageConversion::TilePlace PageConversion::Place(std::size_t index) const {
    const auto count = static_cast<std::size_t>(settings.TileCount);
    const auto tileSide = static_cast<std::size_t>(TileSide());
    const std::size_t tilesPerPlane = count * count;
    const std::size_t tile = index % tilesPerPlane;
    return {index / tilesPerPlane, tile / count * tileSide, tile % count * tileSide};
}

void PageConversion::Run(std::span<Transform* const> transforms, const std::atomic<bool>* cancel) {
    CheckTransforms(transforms, "Run");
    const auto side = static_cast<std::size_t>(settings.Side);
    const auto tileSide = static_cast<std::size_t>(TileSide());
    const bool inPlace = InPlace();
    const auto start = std::chrono::steady_clock::now();
    original = PackRegion();
    RunTiles(
        start, transforms, cancel,
        [&](const TilePlace& place, std::size_t, std::span<double> data) {
            if (!inPlace) {
                GatherTile(Plane(place.Channel), side, place.Row0, place.Col0, tileSide,
                           settings.Order, data);
            } else if (settings.Order == ScanOrder::Zigzag) {
                ZigzagInPlace(data, tileSide, true);
            }
        },
        false);
}

TileCoefficients PageConversion::ForwardTiles(std::span<Transform* const> transforms,
                                              const std::atomic<bool>* cancel) const {
    CheckTransforms(transforms, "ForwardTiles");
    const auto start = std::chrono::steady_clock::now();
    const auto side = static_cast<std::size_t>(settings.Side);
    const auto tileSide = static_cast<std::size_t>(TileSide());
    for (Transform* transform : transforms) {
        ApplyLevels(*transform, settings.Options.Levels);
    }
    TileCoefficients coefficients(settings.Side, settings.TileCount, settings.Order,
                                  settings.Options.Levels);
    coefficients.regionWidth = regionWidth;
    coefficients.regionHeight = regionHeight;
    coefficients.original = PackRegion();
    ParallelFor(
        coefficients.Tiles(), transforms.size(),
        [&](std::size_t index, std::size_t worker) {
            const TilePlace place = Place(index);
            const std::span<double> tile = coefficients.Tile(index);
            GatherTile(Plane(place.Channel), side, place.Row0, place.Col0, tileSide, settings.Order,
                       tile);
            transforms[worker]->Forward(tile.data(), static_cast<std::uint32_t>(tileSide));
        },
        cancel);
    coefficients.forwardMilliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return coefficients;
}

void PageConversion::Run(const TileCoefficients& coefficients,
                         std::span<Transform* const> transforms, const std::atomic<bool>* cancel) {
    if (coefficients.Side() != settings.Side || coefficients.TileCount() != settings.TileCount ||
        coefficients.Order() != settings.Order ||
        coefficients.Levels() != settings.Options.Levels) {
        throw std::invalid_argument(
            "PageConversion::Run: coefficients of side " + std::to_string(coefficients.Side()) +
            ", " + std::to_string(coefficients.TileCount()) + " tiles, " +
            ScanOrderName(coefficients.Order()) + " order, levels " +
            LevelsName(coefficients.Levels()) + " do not fit a conversion of side " +
            std::to_string(settings.Side) + ", " + std::to_string(settings.TileCount) + " tiles, " +
            ScanOrderName(settings.Order) + " order, levels " +
            LevelsName(settings.Options.Levels));
    }
    if (coefficients.regionWidth != regionWidth || coefficients.regionHeight != regionHeight) {
        throw std::invalid_argument(
            "PageConversion::Run: coefficients of a " + std::to_string(coefficients.regionWidth) +
            " x " + std::to_string(coefficients.regionHeight) +
            " region do not fit a conversion of a " + std::to_string(regionWidth) + " x " +
            std::to_string(regionHeight) + " region");
    }
    CheckTransforms(transforms, "Run");
    const auto start = std::chrono::steady_clock::now();
    original = coefficients.original;
    FillUncovered();
    RunTiles(
        start, transforms, cancel,
        [&](const TilePlace&, std::size_t index, std::span<double> data) {
            const std::span<const double> tile = coefficients.Tile(index);
            std::copy(tile.begin(), tile.end(), data.begin());
        },
        true);
}

void PageConversion::RunTiles(std::chrono::steady_clock::time_point start,
                              std::span<Transform* const> transforms,
                              const std::atomic<bool>* cancel, const TileLoader& load,
                              bool loadsCoefficients) {
    workers = transforms.size();

    const auto side = static_cast<std::size_t>(settings.Side);
    const auto count = static_cast<std::size_t>(settings.TileCount);
    const auto tileSide = static_cast<std::size_t>(TileSide());
    const std::size_t tilesPerPlane = count * count;
    const std::size_t tileValues = tileSide * tileSide;
    const auto n = static_cast<std::uint32_t>(tileSide);
    const bool inPlace = InPlace();

    tileKept.assign(3 * tilesPerPlane, NotStopped);
    for (Transform* transform : transforms) {
        ApplyLevels(*transform, settings.Options.Levels);
    }
    std::vector<TileSelection> selections;
    selections.reserve(transforms.size());
    for (std::size_t i = 0; i < transforms.size(); ++i) {
        selections.emplace_back(settings);
    }
    Transform& first = *transforms[0];
    const double carriedIn = first.KeptPercent;
    // Each worker's copy of the tiles that are not transformed where they lie.
    std::vector<std::unique_ptr<double[]>> copies(transforms.size());
    try {
        ParallelFor(
            3 * tilesPerPlane, transforms.size(),
            [&](std::size_t index, std::size_t worker) {
                const TilePlace place = Place(index);
                Transform& transform = *transforms[worker];
                std::unique_ptr<double[]>& copy = copies[worker];
                // Not filled until the load writes it, so that its memory comes in then.
                if (!inPlace && !copy) {
                    copy = std::make_unique_for_overwrite<double[]>(tileValues);
                }
                const std::span<double> data = inPlace ? Plane(place.Channel).first(tileValues)
                                                       : std::span<double>(copy.get(), tileValues);
                load(place, index, data);
                if (!loadsCoefficients) {
                    transform.Forward(data.data(), n);
                }
                // Threshold leaves KeptPercent alone when its walk never stops: the NaN marks
                // the tiles whose figure comes from the tile before them.
                transform.KeptPercent = NotStopped;
                tileKept[index] = selections[worker].Select(transform, data.data(), n);
                transform.Inverse(data.data(), n);
                if (!inPlace) {
                    ScatterTile(data, tileSide, settings.Order, Plane(place.Channel), side,
                                place.Row0, place.Col0);
                } else if (settings.Order == ScanOrder::Zigzag) {
                    ZigzagInPlace(data, tileSide, false);
                }
            },
            cancel);
    } catch (...) {
        first.KeptPercent = carriedIn;
        for (Transform* transform : transforms) {
            transform->ReleaseScratch();
        }
        throw;
    }
    // The page's own object outlives the conversion: it keeps no tile-sized scratch.
    for (Transform* transform : transforms) {
        transform->ReleaseScratch();
    }

    first.KeptPercent = SettleKept(tileKept, carriedIn);
    kept = ChannelMeans(tileKept);
    computeTime += std::chrono::steady_clock::now() - start;
}

PageConversion::SelectionKept PageConversion::SelectTiles(std::span<Transform* const> transforms,
                                                          const SelectedTileVisitor& visit,
                                                          const std::atomic<bool>* cancel) const {
    CheckTransforms(transforms, "SelectTiles");
    if (!visit) {
        throw std::invalid_argument("PageConversion::SelectTiles: no visitor given");
    }
    const auto side = static_cast<std::size_t>(settings.Side);
    const auto count = static_cast<std::size_t>(settings.TileCount);
    const auto tileSide = static_cast<std::size_t>(TileSide());
    const std::size_t tilesPerPlane = count * count;
    const std::size_t tileValues = tileSide * tileSide;
    const auto n = static_cast<std::uint32_t>(tileSide);

    for (Transform* transform : transforms) {
        ApplyLevels(*transform, settings.Options.Levels);
    }
    std::vector<TileSelection> selections;
    selections.reserve(transforms.size());
    for (std::size_t i = 0; i < transforms.size(); ++i) {
        selections.emplace_back(settings);
    }
    // The page's objects go on converting after this: their figures are given back.
    std::vector<double> carriedIn(transforms.size());
    for (std::size_t i = 0; i < transforms.size(); ++i) {
        carriedIn[i] = transforms[i]->KeptPercent;
    }
    const auto restore = [&] {
        for (std::size_t i = 0; i < transforms.size(); ++i) {
            transforms[i]->KeptPercent = carriedIn[i];
            transforms[i]->ReleaseScratch();
        }
    };
    SelectionKept selection;
    selection.Tiles.assign(3 * tilesPerPlane, NotStopped);
    // Each worker's coefficients, and the copy its rule works on.
    std::vector<std::unique_ptr<double[]>> copies(transforms.size());
    try {
        ParallelFor(
            3 * tilesPerPlane, transforms.size(),
            [&](std::size_t index, std::size_t worker) {
                const TilePlace place = Place(index);
                Transform& transform = *transforms[worker];
                std::unique_ptr<double[]>& copy = copies[worker];
                if (!copy) {
                    copy = std::make_unique_for_overwrite<double[]>(2 * tileValues);
                }
                const std::span<double> coefficients(copy.get(), tileValues);
                const std::span<double> selected(copy.get() + tileValues, tileValues);
                GatherTile(Plane(place.Channel), side, place.Row0, place.Col0, tileSide,
                           settings.Order, coefficients);
                transform.Forward(coefficients.data(), n);
                std::copy(coefficients.begin(), coefficients.end(), selected.begin());
                transform.KeptPercent = NotStopped;
                selection.Tiles[index] = selections[worker].Select(transform, selected.data(), n);
                visit(SelectedTile{index, place.Channel, place.Row0, place.Col0, coefficients,
                                   selected});
            },
            cancel);
    } catch (...) {
        restore();
        throw;
    }
    SettleKept(selection.Tiles, carriedIn[0]);
    selection.Channels = ChannelMeans(selection.Tiles);
    restore();
    return selection;
}

double PageConversion::SettleKept(std::span<double> tileKept, double carriedIn) {
    double carried = carriedIn;
    for (double& k : tileKept) {
        if (std::isnan(k)) {
            k = carried;
        }
        carried = k;
    }
    return carried;
}

std::array<double, 3> PageConversion::ChannelMeans(std::span<const double> tileKept) const {
    const auto count = static_cast<std::size_t>(settings.TileCount);
    const std::size_t tilesPerPlane = count * count;
    std::array<double, 3> means{};
    for (std::size_t c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (std::size_t i = 0; i < tilesPerPlane; ++i) {
            sum += tileKept[c * tilesPerPlane + i];
        }
        means[c] = sum / static_cast<double>(tilesPerPlane);
    }
    return means;
}

double PageConversion::KeptPercent(std::size_t channel) const {
    return kept.at(channel);
}

double PageConversion::MeanKeptPercent() const {
    return MeanOfChannels(kept[0], kept[1], kept[2]);
}

void PageConversion::CorrectColors() {
    if (!settings.ColorCorrection) {
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    // The corrector counts in 32 bits; a plane that large would not fit in memory anyway.
    if (planeSize > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::invalid_argument("PageConversion: a plane of " + std::to_string(planeSize) +
                                    " values is too large to correct");
    }
    for (auto& plane : planes) {
        ColorCorrector(plane.get(), static_cast<std::int32_t>(planeSize));
    }
    computeTime += std::chrono::steady_clock::now() - start;
}

ConversionResult PageConversion::Finish() {
    ConversionResult result;
    result.Settings = settings;
    result.RegionWidth = regionWidth;
    result.RegionHeight = regionHeight;
    const auto width = static_cast<std::size_t>(regionWidth);
    const auto height = static_cast<std::size_t>(regionHeight);

    const auto start = std::chrono::steady_clock::now();
    result.Pixels.resize(width * height);
    ComposeSquare(Plane(0), Plane(1), Plane(2), static_cast<std::size_t>(settings.Side),
                  PixelTarget{result.Pixels.data(), regionWidth, regionHeight,
                              static_cast<std::ptrdiff_t>(width)},
                  workers);
    computeTime += std::chrono::steady_clock::now() - start;

    result.KeptPercent = kept;
    result.MeanKeptPercent = MeanKeptPercent();

    // The error map: each pixel's largest channel change.
    result.ErrorMap.resize(width * height);
    for (std::size_t i = 0; i < width * height; ++i) {
        const std::uint32_t a = original[i];
        const std::uint32_t b = result.Pixels[i];
        result.ErrorMap[i] = static_cast<std::uint8_t>(
            std::max({std::abs(RedOf(a) - RedOf(b)), std::abs(GreenOf(a) - GreenOf(b)),
                      std::abs(BlueOf(a) - BlueOf(b))}));
    }

    const auto count = static_cast<std::size_t>(settings.TileCount);
    const std::size_t tilesPerPlane = count * count;
    // Without a region every tile keeps no pixels, and its MSE is NaN.
    std::vector<TileErrors> tileErrors(tilesPerPlane);
    if (width > 0 && height > 0) {
        TileSquaredErrors(
            RgbView{original.data(), regionWidth, regionHeight, static_cast<std::ptrdiff_t>(width)},
            RgbView{result.Pixels.data(), regionWidth, regionHeight,
                    static_cast<std::ptrdiff_t>(width)},
            TileLayout{0, 0, TileSide(), settings.TileCount, settings.TileCount}, tileErrors);
    }
    result.Tiles.resize(tilesPerPlane);
    for (std::size_t row = 0; row < count; ++row) {
        for (std::size_t column = 0; column < count; ++column) {
            const std::size_t i = row * count + column;
            // The planes hold the image's columns as their rows, so the tiles were visited
            // column first.
            const std::size_t visited = column * count + row;
            TileFigures& tile = result.Tiles[i];
            if (!tileKept.empty()) {
                tile.ChannelKept = {tileKept[visited], tileKept[tilesPerPlane + visited],
                                    tileKept[2 * tilesPerPlane + visited]};
                tile.KeptPercent =
                    (tile.ChannelKept[0] + tile.ChannelKept[1] + tile.ChannelKept[2]) / 3.0;
            }
            tile.SquaredErrors = tileErrors[i].Squares;
            tile.Pixels = tileErrors[i].Pixels;
            tile.Mse = TileMseOf(tileErrors[i]);
        }
    }

    if (width == 0 || height == 0) {
        result.Quality.Mse = std::numeric_limits<double>::quiet_NaN();
        result.Quality.PsnrDb = std::numeric_limits<double>::quiet_NaN();
    } else {
        const RgbView before{original.data(), regionWidth, regionHeight,
                             static_cast<std::ptrdiff_t>(width)};
        const RgbView after{result.Pixels.data(), regionWidth, regionHeight,
                            static_cast<std::ptrdiff_t>(width)};
        result.Quality = MeasureQuality(before, after, static_cast<std::int32_t>(workers));
    }
    result.ComputeMilliseconds = std::chrono::duration<double, std::milli>(computeTime).count();
    return result;
}

std::uint64_t PageConversion::BytesNeeded(const ConversionSettings& settings, std::size_t workers) {
    const auto side = static_cast<std::uint64_t>(std::max(settings.Side, 0));
    const auto tiles = static_cast<std::uint64_t>(std::max(settings.TileCount, 1));
    const std::uint64_t tileSide = side / tiles;
    const std::uint64_t plane = side * side * sizeof(double);
    // The region's pixels before and after, and the error map.
    const std::uint64_t pixels = side * side * (2 * sizeof(std::uint32_t) + 1);
    // Per worker: a tile copy, what a transform and its threshold need beside it, and what the
    // options' selection holds.
    const std::uint64_t tile = tileSide * tileSide * sizeof(double);
    return 3 * plane + pixels +
           static_cast<std::uint64_t>(std::max<std::size_t>(workers, 1)) *
               (4 * tile + TileSelection::BytesNeeded(settings, tileSide));
}
