#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "RgbView.h"

class Canvas;

// Moving pixels between a bitmap and three channel planes of doubles. Plane
// element x * n + y holds the pixel at column x, row y, so a plane row is an
// image column. Each plane must hold at least n * n values.

// Reads the n x n square at the top left of the bitmap into the red, green and
// blue planes. Points outside the bitmap read as white (255 in every channel).
// Once the whole square is read, columnDone(x) is called for each column x in
// turn, the progress of a read column by column. Returns the last pixel read.
std::uint32_t ReadChannelPlanes(const Canvas& canvas, int n, double* red, double* green,
                                double* blue, std::size_t planeSize,
                                const std::function<void(int)>& columnDone);

// The parts of one composed pixel, each already in its place of the COLORREF.
struct ComposedPixel {
    std::uint32_t RedPart = 0;
    std::uint32_t GreenPart = 0;
    std::uint32_t BluePart = 0;
    std::uint32_t Color = 0;
};

// A COLORREF from three channel values, each brought to a whole grey level.
ComposedPixel ComposePixel(double red, double green, double blue);

// Writes a conversion's new pixels (0x??RRGGBB, the part of the n x n square
// that lies inside the bitmap, as composed from the planes) into the bitmap by
// rows, where both reach; then columnDone(x) is called for each column x of the
// square in turn.
void WriteResultPixels(Canvas& canvas, int n, RgbView pixels,
                       const std::function<void(int)>& columnDone);
