#include "PixelTransfer.h"

#include "Canvas.h"
#include "GreyLevel.h"
#include "ParallelFor.h"
#include "SquarePixels.h"

#include <QImage>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

void CheckPlanes(int n, std::size_t planeSize, const void* red, const void* green,
                 const void* blue) {
    if (n < 0) {
        throw std::invalid_argument("plane side " + std::to_string(n) + " is negative");
    }
    const auto needed = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    if (planeSize < needed) {
        throw std::invalid_argument("planes of " + std::to_string(planeSize) +
                                    " values cannot hold a side of " + std::to_string(n));
    }
    if (needed > 0 && (!red || !green || !blue)) {
        throw std::invalid_argument("missing channel plane");
    }
}

// The canvas's bitmap as 32-bit pixels; an empty view when there is none.
RgbView ViewOf(const QImage* image) {
    if (!image || image->isNull()) {
        return RgbView{};
    }
    if (image->depth() != 32) {
        throw std::invalid_argument("the bitmap is not held in 32 bits per pixel");
    }
    return RgbView{reinterpret_cast<const std::uint32_t*>(image->constBits()), image->width(),
                   image->height(), image->bytesPerLine() / 4};
}

} // namespace

std::uint32_t ReadChannelPlanes(const Canvas& canvas, int n, double* red, double* green,
                                double* blue, std::size_t planeSize,
                                const std::function<void(int)>& columnDone) {
    CheckPlanes(n, planeSize, red, green, blue);
    const auto side = static_cast<std::size_t>(n);
    ReadSquare(ViewOf(canvas.Image()), side, {red, planeSize}, {green, planeSize},
               {blue, planeSize}, HardwareThreads());
    if (columnDone) {
        for (int x = 0; x < n; ++x) {
            columnDone(x);
        }
    }
    return n > 0 ? canvas.GetPixel(n - 1, n - 1) : 0;
}

ComposedPixel ComposePixel(double red, double green, double blue) {
    ComposedPixel pixel;
    pixel.RedPart = static_cast<std::uint32_t>(GreyLevel(red)) & 0xFFu;
    pixel.GreenPart = (static_cast<std::uint32_t>(GreyLevel(green)) << 8) & 0xFF00u;
    pixel.BluePart = (static_cast<std::uint32_t>(GreyLevel(blue)) << 16) & 0xFF0000u;
    pixel.Color = (pixel.RedPart | pixel.GreenPart | pixel.BluePart) & 0xFFFFFFu;
    return pixel;
}

void WriteResultPixels(Canvas& canvas, int n, RgbView pixels,
                       const std::function<void(int)>& columnDone) {
    if (n < 0) {
        throw std::invalid_argument("square side " + std::to_string(n) + " is negative");
    }
    QImage* image = canvas.Image();
    const int width = image && !image->isNull() ? std::min(n, image->width()) : 0;
    const int height = image && !image->isNull() ? std::min(n, image->height()) : 0;
    if (width > 0 && height > 0 && image->depth() != 32) {
        throw std::invalid_argument("the bitmap is not held in 32 bits per pixel");
    }
    // Only where both the pixels and the bitmap reach, should the bitmap have changed size.
    const int rows = std::min(height, pixels.Height);
    const int columns = std::min(width, pixels.Width);
    for (int y = 0; y < rows; ++y) {
        const std::uint32_t* from = pixels.Pixels + static_cast<std::ptrdiff_t>(y) * pixels.Stride;
        auto* to = reinterpret_cast<std::uint32_t*>(image->scanLine(y));
        for (int x = 0; x < columns; ++x) {
            to[x] = 0xFF000000u | from[x];
        }
    }
    if (columnDone) {
        for (int x = 0; x < n; ++x) {
            columnDone(x);
        }
    }
    canvas.Changed();
}
