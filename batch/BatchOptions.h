#pragma once

#include "Bjontegaard.h"
#include "ImageFormats.h"
#include "SweepSettings.h"
#include "TransformKind.h"
#include "TransformOptions.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What one run of the batch command does, as its command line asks.
struct BatchOptions {
    // Image files and folders, in the order given.
    std::vector<std::string> Inputs;
    // Folders' subfolders too.
    bool Recursive = false;
    // In the order given; all six in page order by default.
    std::vector<TransformKind> Kinds = SweepSettings{}.Kinds;
    std::vector<std::int32_t> TileCounts = {1, 2, 4, 8, 16, 32};
    std::vector<double> ErrorPercents{WindowErrorPercents.begin(), WindowErrorPercents.end()};
    // Empty: the smallest power of two covering each image.
    std::optional<std::int32_t> Side;
    bool ColorCorrection = false;
    // Under the kept-share rule ErrorPercents are the shares to keep.
    TransformOptions Options;
    // 0: one thread per core.
    std::size_t Jobs = 0;
    // Empty: standard output.
    std::optional<std::string> Output;
    // Where the converted images go, when asked for.
    std::optional<std::string> ImagesFolder;
    ImageFormat ImagesFormat = ImageFormat::Bmp;
    bool Header = true;
    // Keep the rows already complete in Output and convert only what follows them.
    bool Resume = false;
    // Shard ShardIndex (from 1) of ShardCount of the sorted list of images.
    std::size_t ShardIndex = 1;
    std::size_t ShardCount = 1;
    // A seventh block of rows, the best transform for every tile (all six kinds needed).
    bool BestPerTile = false;
    // One row per tile of every conversion of the transforms, to this file.
    std::optional<std::string> TileRowsFile;
    // The curve the BD figures are against (a caption as Describe spells it, or "Best per
    // tile"), their method and their file.
    std::optional<std::string> BdReference;
    BdMethod Method = BdMethod::CubicFit;
    std::optional<std::string> BdOutput;
    bool Help = false;
};
