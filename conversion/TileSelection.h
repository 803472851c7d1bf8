#pragma once

#include "ConversionSettings.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class Transform;

// What a tile keeps of its coefficients, as the settings' options say: the permitted-error rule
// (Transform::Threshold) or the kept-share rule, on the coefficients as the transform made them
// or, for the cosine transforms under the orthonormal scaling, on a scaled copy that decides for
// them. One object per thread: it keeps the copies it needs from tile to tile.
class TileSelection {
public:
    explicit TileSelection(const ConversionSettings& settings);

    // Zeroes what the tile data (n x n coefficients of transform) does not keep, and returns its
    // kept percentage; NaN when the error rule's walk never stopped, which leaves
    // transform.KeptPercent as it was.
    double Select(Transform& transform, double* data, std::uint32_t n);

    // Bytes a thread's selection holds beside the tile, for tiles of the given side.
    static std::uint64_t BytesNeeded(const ConversionSettings& settings, std::uint64_t tileSide);

private:
    double* Scaled(const Transform& transform, const double* data, std::uint32_t n);

    ConversionSettings settings;
    std::size_t capacity = 0;
    std::unique_ptr<double[]> scaled;
    std::size_t keyCapacity = 0;
    std::unique_ptr<std::uint64_t[]> keys;
};
