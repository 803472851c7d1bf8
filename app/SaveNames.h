#pragma once

#include "ImageFormats.h"
#include "TransformKind.h"
#include "TransformOptions.h"

#include <QString>

struct ConversionResult;
struct TransformPage;

// The names the window's save dialogs and Save all give result images: tarvish-batch's names
// for its --images (ResultNames.h), from the loaded image's path (empty when none was loaded:
// the white square, named "white").

// The page's result: its transform, and the tile count, error percent and options of its last
// result; of its controls and current (the options bar) when it has none yet.
QString PageSaveName(const TransformPage& page, TransformKind kind, const QString& imagePath,
                     const TransformOptions& current, ImageFormat format);
// The Best per tile tab's composed result.
QString BestTilesSaveName(const ConversionResult& result, const QString& imagePath,
                          ImageFormat format);
