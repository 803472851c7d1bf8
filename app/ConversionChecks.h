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

// Where a page conversion stands: it may start now; it would fit in memory once the running
// conversions end; or it never fits, its tiles too many for the side or its needs above the
// memory free with nothing else running.
enum class PageFit { Now, AfterOthers, Never };
PageFit PageConversionFit(const TransformPages& pages, const TransformPage& page,
                          const QImage& picture);
// The refusal of the page's conversion as if no other conversion ran: why it cannot start at
// all, or empty.
QString PageConversionRefusalAlone(const TransformPage& page, const QString& caption,
                                   const QImage& picture);
// Why the page's conversion at side, with no other conversion running, would not fit in
// memory ("The conversion on page "DCT 1D" at 2048 x 2048 needs 112.00 MiB of memory, but only
// 64.00 MiB are free."), or empty.
QString PageMemoryRefusalAt(const TransformPage& page, int side, const QString& caption,
                            const QImage& picture);

// The Curves tab's sweep of picture (the loaded image, maybe null), at the settings of the page
// captioned caption.
QString SweepRefusal(const SweepSettings& settings, const QString& caption, const QImage& picture);

// A memory figure as the window's messages write it, "3.00 MiB".
QString MemoryText(std::uint64_t bytes);
