#pragma once

#include "ConversionResult.h"
#include "ConversionSettings.h"
#include "RgbView.h"
#include "TileCoefficients.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class Transform;

// The conversion of one page's image, without any user interface: the three channel planes of
// the square, the tile pipeline over them, colour correction, the new pixels and how they
// compare with the old ones. The window's worker, the sweep and the batch command all convert
// through it, so they agree to the last bit.
//
// Steps, in this order: construct; fill the planes (Read, or write Plane() directly); Run;
// read the kept percentages; CorrectColors; Finish. A sweep over error fractions has one
// conversion make every tile's coefficients (Read, ForwardTiles), and each of its conversions
// run from them (construct, Run with the coefficients, and on as before).
// The planes follow the square's layout: element x * Side + y holds pixel (x, y), so tile (l, m)
// covers image columns from l * tile side and rows from m * tile side.
//
// Every tile goes through its transform's Forward (with the options' wavelet levels), what the
// options' rule keeps of it (TileSelection: Threshold at the error fraction by default), and
// Inverse, exactly as a plane that is split into tiles and run tile by tile, red plane first, then
// green, then blue, on one transform object would give. Threshold leaves the kept percentage of the
// previous call when its walk never stops; Run carries that value over from tile to tile in
// that order, starting from the KeptPercent of the first transform object it is given and
// leaving the last one there, so results do not depend on the number of threads.
class PageConversion {
public:
    // imageWidth x imageHeight is the size of the image whose top-left square is converted; the
    // region is the part of it inside the square. Throws std::invalid_argument for a side or
    // tile count below 1, a tile side (Side / TileCount) of 0, a negative image size or options
    // that CheckOptions refuses; std::bad_alloc when the planes do not fit in memory.
    PageConversion(const ConversionSettings& settings, std::int32_t imageWidth,
                   std::int32_t imageHeight);
    PageConversion(const PageConversion&) = delete;
    PageConversion& operator=(const PageConversion&) = delete;
    ~PageConversion();

    const ConversionSettings& Settings() const { return settings; }
    std::int32_t TileSide() const { return settings.Side / settings.TileCount; }
    std::int32_t RegionWidth() const { return regionWidth; }
    std::int32_t RegionHeight() const { return regionHeight; }

    // Red, green and blue planes: 0, 1 and 2; Side * Side values each.
    std::span<double> Plane(std::size_t channel);
    std::span<const double> Plane(std::size_t channel) const;

    // Fills the planes from the square at the top left of image (white outside it); image must
    // have the size given to the constructor.
    void Read(RgbView image, std::size_t threads = 1);

    // Runs every tile of the three planes, with one thread per transform given; all transforms
    // must be of one class, and each is used by one thread only. cancel is checked between
    // tiles: when set, ConversionCancelled is thrown and the planes hold no usable result.
    void Run(std::span<Transform* const> transforms, const std::atomic<bool>* cancel = nullptr);

    // For conversions of one image at several error fractions: after Read, the forward
    // transforms of every tile, once, on as many threads as Run would use; the planes stay as
    // they are. Arguments and cancel as for Run.
    TileCoefficients ForwardTiles(std::span<Transform* const> transforms,
                                  const std::atomic<bool>* cancel = nullptr) const;

    // Run from what ForwardTiles made of the same image with this side, tile count and order,
    // with transforms of the class that made them: each tile starts from a copy of its
    // coefficients instead of being transformed again, with results identical to Read and Run.
    // The planes need not be filled: the coefficients bring the image's pixels. Throws
    // std::invalid_argument for coefficients of another layout or region.
    void Run(const TileCoefficients& coefficients, std::span<Transform* const> transforms,
             const std::atomic<bool>* cancel = nullptr);

    // One tile as SelectTiles made it: its index in Run's order, its channel, the image column
    // and row of its top-left pixel, and its forward coefficients before and after the options'
    // rule, both in the tile's scan order.
    struct SelectedTile {
        std::size_t Index = 0;
        std::size_t Channel = 0;
        std::size_t X0 = 0;
        std::size_t Y0 = 0;
        std::span<const double> Coefficients;
        std::span<const double> Selected;
    };
    using SelectedTileVisitor = std::function<void(const SelectedTile& tile)>;
    // SelectTiles' kept percentages: every tile's in Run's order and each channel's mean, as Run
    // would settle them from the first transform's KeptPercent.
    struct SelectionKept {
        std::vector<double> Tiles;
        std::array<double, 3> Channels{};
    };

    // For showing the coefficients themselves: after Read, every tile's forward transform and
    // what the options' rule keeps of it, the same steps as Run's without the inverse. visit is
    // called once per tile on the thread that made it, concurrently for different tiles. The
    // planes and every transform's KeptPercent stay as they are. Arguments and cancel as for Run.
    SelectionKept SelectTiles(std::span<Transform* const> transforms,
                              const SelectedTileVisitor& visit,
                              const std::atomic<bool>* cancel = nullptr) const;

    // After Run: the mean kept percentage of a channel's tiles, and of the three channels.
    double KeptPercent(std::size_t channel) const;
    double MeanKeptPercent() const;

    // Brings each plane back into 0..255 if it left that range (when the settings ask for it).
    void CorrectColors();

    // Composes the new pixels of the region and measures them against the region's pixels as
    // they were when Run began.
    ConversionResult Finish();

    // Bytes the conversion holds at its peak besides the image, for workers threads: what a
    // caller checks against free memory before it starts.
    static std::uint64_t BytesNeeded(const ConversionSettings& settings, std::size_t workers);

private:
    // Where tile `index` of Run's order lies: its plane, and its first plane row and column.
    struct TilePlace {
        std::size_t Channel = 0;
        std::size_t Row0 = 0;
        std::size_t Col0 = 0;
    };
    // Leaves a tile's values in data, in the tile's scan order: its pixels, or its coefficients
    // when they were computed before.
    using TileLoader =
        std::function<void(const TilePlace& place, std::size_t index, std::span<double> data)>;

    TilePlace Place(std::size_t index) const;
    // A plane of one tile is transformed where it lies, so the largest tiles need no copy: in
    // raster order it is laid out as its tile, in zigzag order it is reordered in place before
    // and back after.
    bool InPlace() const { return settings.TileCount == 1; }
    // Loads every tile, transforms it unless it was loaded as coefficients, thresholds and
    // inverts it, then settles the kept percentages; the time from start on counts as computing.
    void RunTiles(std::chrono::steady_clock::time_point start,
                  std::span<Transform* const> transforms, const std::atomic<bool>* cancel,
                  const TileLoader& load, bool loadsCoefficients);
    // Gives the tiles whose threshold walk never stopped (NaN) the figure of the tile before
    // them, the first one carriedIn; returns the last tile's figure.
    static double SettleKept(std::span<double> tileKept, double carriedIn);
    // The mean of each channel's tile figures, tileKept in Run's order.
    std::array<double, 3> ChannelMeans(std::span<const double> tileKept) const;
    // The region's pixels as the planes hold them, 0x00RRGGBB.
    std::vector<std::uint32_t> PackRegion() const;
    // Gives the plane parts beyond the last whole tile the image's values (white outside it).
    void FillUncovered();

    ConversionSettings settings;
    std::int32_t regionWidth = 0;
    std::int32_t regionHeight = 0;
    std::array<std::unique_ptr<double[]>, 3> planes;
    std::size_t planeSize = 0;
    // The region as it was before Run, 0x00RRGGBB.
    std::vector<std::uint32_t> original;
    // Kept percentage of every tile, channel by channel, in the order tiles are thresholded.
    std::vector<double> tileKept;
    std::array<double, 3> kept{};
    // Threads Run used; Finish measures with as many.
    std::size_t workers = 1;
    std::chrono::steady_clock::duration computeTime{};
};
