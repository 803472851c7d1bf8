#pragma once

#include "ConversionSettings.h"
#include "RgbView.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class Transform;

// Every tile's forward coefficients and what the page's rule keeps of them, laid out over the
// square so that students can see the coefficients themselves. The steps are the page's own
// (PageConversion::SelectTiles: Forward with the options' wavelet levels, then the options'
// selection), without the inverse.
//
// Each channel (0 red, 1 green, 2 blue) holds Side x Side entries in image orientation: entry
// y * Side + x belongs to image pixel (x, y). A tile's coefficients lie on its own pixels, its
// first coefficient (DC, or the coarsest smooth one) on the tile's top-left pixel:
// - raster order (the 2D pages): the coefficient at tile array index u * TileSide + v lies at
//   (x0 + u, y0 + v). The planes hold image columns as their rows, so u, the tile's row index,
//   runs along image x: a pattern that varies along x alone keeps its coefficients in the
//   tile's top row (Haar and the DCT; D4's smooth coefficients take TileSide / 2 rows at one
//   level, two rows through every level).
// - zigzag order (the 1D pages): coefficient p lies on the tile's pixel whose zigzag position is
//   p (TileScan.h), so low orders are at the top left here too; for a 4 x 4 tile the rows read
//   0 1 5 6 / 2 4 7 12 / 3 8 11 13 / 9 10 14 15, the JPEG sequence.
//
// An entry holds |c| of the forward coefficient c as a float, linear (the renderer takes the
// logarithm), and whether the rule zeroed it: c was not zero and the selection made it zero. An
// exact zero stays unmarked with magnitude 0, whatever the rule did. The white padding beyond
// the image is transformed and kept as the page does; the strips beyond the last whole tile
// (Covered() to Side) belong to no tile and hold magnitude 0, unmarked.
class CoefficientMap {
public:
    // image is the whole image whose top-left square the page converts. One thread per
    // transform; all of one class, each used by one thread only, every KeptPercent left as it
    // was. Throws std::invalid_argument for settings PageConversion refuses, a missing transform
    // or a tile side the transform does not take; ConversionCancelled when cancel is set
    // between tiles; std::bad_alloc when the map does not fit in memory.
    CoefficientMap(const ConversionSettings& settings, RgbView image,
                   std::span<Transform* const> transforms,
                   const std::atomic<bool>* cancel = nullptr);
    CoefficientMap(const CoefficientMap&) = delete;
    CoefficientMap& operator=(const CoefficientMap&) = delete;
    CoefficientMap(CoefficientMap&&) noexcept = default;
    CoefficientMap& operator=(CoefficientMap&&) noexcept = default;
    ~CoefficientMap() = default;

    const ConversionSettings& Settings() const { return settings; }
    std::int32_t Side() const { return settings.Side; }
    std::int32_t TileSide() const { return settings.Side / settings.TileCount; }
    // The side of the square the tiles cover, from the top left: TileCount * TileSide.
    std::int32_t Covered() const { return settings.TileCount * TileSide(); }
    // The image's region inside the square; the rest is white padding.
    std::int32_t RegionWidth() const { return regionWidth; }
    std::int32_t RegionHeight() const { return regionHeight; }

    // Side * Side entries of a channel, y * Side + x; Zeroed holds 1 where the rule zeroed.
    std::span<const float> Magnitudes(std::size_t channel) const;
    std::span<const std::uint8_t> Zeroed(std::size_t channel) const;
    float Magnitude(std::size_t channel, std::int32_t x, std::int32_t y) const;
    bool IsZeroed(std::size_t channel, std::int32_t x, std::int32_t y) const;

    // The smallest non-zero and the largest magnitude over all three channels; both 0 when
    // every magnitude is.
    float SmallestMagnitude() const { return smallest; }
    float LargestMagnitude() const { return largest; }

    // The kept percentages as the page's conversion at these settings reports them, from
    // transforms whose first one carried the same KeptPercent: a tile's (by its column and row
    // over the image), a channel's mean, and the mean of the three.
    double TileKeptPercent(std::size_t channel, std::int32_t column, std::int32_t row) const;
    double KeptPercent(std::size_t channel) const;
    double MeanKeptPercent() const;

    // Bytes the map holds, with the conversion state it needs while it is made, for workers
    // threads: what a caller checks against free memory before it starts. A rendering of it
    // takes Side * Side * 4 bytes more.
    static std::uint64_t BytesNeeded(const ConversionSettings& settings, std::size_t workers);

private:
    std::size_t At(std::size_t channel, std::int32_t x, std::int32_t y) const;

    ConversionSettings settings;
    std::int32_t regionWidth = 0;
    std::int32_t regionHeight = 0;
    std::size_t planeSize = 0;
    // The three channels one after another.
    std::vector<float> magnitudes;
    std::vector<std::uint8_t> zeroed;
    float smallest = 0.0F;
    float largest = 0.0F;
    // In the page's order: red tiles, then green, then blue; tile (column l, row m) at
    // l * TileCount + m.
    std::vector<double> tileKept;
    std::array<double, 3> kept{};
};
