#pragma once

#include "TransformOptions.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::string_view BestPerTileCaption = "Best per tile";

// What makes one curve over a set of images: a transform at a number of tiles per side, with or
// without colour correction, under options; its points are the errors. The tables list curves
// by transform in page order (DCT 1D, D4 1D, Haar 1D, DCT 2D, D4 2D, Haar 2D, then Best per
// tile), tiles ascending, without colour correction first, then the options: plain before
// orthonormal, levels page, all, then 1 to 12, the error rule before the kept rule.
struct CurveKey {
    std::string Transform;
    std::int32_t Tiles = 1;
    bool ColorCorrection = false;
    TransformOptions Options;

    bool operator==(const CurveKey&) const = default;
    // The tables' order. Throws std::invalid_argument for an unknown transform.
    bool operator<(const CurveKey& other) const;

    // The transform's place in that order, from 0; nothing for a name that is not a page
    // caption or Best per tile (compared exactly).
    static std::optional<std::size_t> TransformRank(std::string_view transform);
    // The levels' place in that order.
    static int LevelsRank(int levels);
};
