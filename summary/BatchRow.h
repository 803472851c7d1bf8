#pragma once

#include "TransformOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

// One row of tarvish-batch (conversion/ResultRow.h) with the figures the summaries use, and
// where it was read, for messages. An undefined figure is NaN; an identical result's PSNR is
// +infinity.
struct BatchRow {
    std::string Image;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    // A page caption ("DCT 2D") or "Best per tile".
    std::string Transform;
    std::int32_t Side = 0;
    std::int32_t Tile = 0;
    // Side / Tile: the summaries group by it, so that images of different sizes meet.
    std::int32_t Tiles = 0;
    double ErrorPercent = 0.0;
    bool ColorCorrection = false;
    // The mean over the channels.
    double KeptPercent = 0.0;
    double PsnrDb = 0.0;
    double Ssim = 0.0;
    TransformOptions Options;
    // The index of the row's file in RowSet::Sources(), and the line the row starts on (from 1).
    std::size_t Source = 0;
    std::size_t Line = 0;
};
