#pragma once

#include "ConversionResult.h"
#include "ConversionSettings.h"
#include "RgbView.h"
#include "TransformKind.h"

#include <atomic>
#include <cstddef>

// Converts the square at the top left of image with fresh transform objects of the given kind,
// as a page of that kind does on its first conversion; settings.Order is the kind's.
// Runs the tiles on up to jobs threads; the result does not depend on jobs.
ConversionResult ConvertImage(RgbView image, TransformKind kind, ConversionSettings settings,
                              std::size_t jobs, const std::atomic<bool>* cancel = nullptr);
