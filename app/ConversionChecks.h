#pragma once

#include "TransformPage.h"

#include <QString>

#include <cstdint>

class QImage;
struct SweepSettings;

// Whether a conversion may start, checked before anything changes: its tiles must fit the side,
// and what it needs must fit in the memory that the conversions already running leave free.
// Each check returns the reason for a refusal, as the window says it, or an empty string.

// A page conversion of picture (the loaded image) on page, captioned caption, beside the other
// pages' running conversions.
QString PageConversionRefusal(const TransformPages& pages, const TransformPage& page,
                              const QString& caption, const QImage& picture);

// The Curves tab's sweep of picture (the loaded image, maybe null), at the settings of the page
// captioned caption.
QString SweepRefusal(const SweepSettings& settings, const QString& caption, const QImage& picture);

// A memory figure as the window's messages write it, "3.00 MiB".
QString MemoryText(std::uint64_t bytes);
