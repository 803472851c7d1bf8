#include "PixelTransfer.h"

#include "Canvas.h"
#include "GreyLevel.h"
#include "SquarePixels.h"

#include <QImage>

#include <stdexcept>
#include <string>

namespace {

void CheckPlanes(int n, std::size_t planeSize, const void* red, const void* green,
                 const void* blue) {
    if (n < 0)
        throw std::invalid_argument("plane side " + std::to_string(n) + " is negative");
    const auto needed = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    if (planeSize < needed)
        throw std::invalid_argument("planes of " + std::to_string(planeSize) +
                                    " values cannot hold a side of " + std::to_string(n));
    if (needed > 0 && (!red || !green || !blue))
        throw std::invalid_argument("missing channel plane");
}

// The canvas's bitmap as 32-bit pixels; an empty view when there is none.
RgbView ViewOf(const QImage* image) {
    if (!image || image->isNull())
        return RgbView{};
    if (image->depth() != 32)
        throw std::invalid_argument("the bitmap is not held in 32 bits per pixel");
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
               {blue, planeSize});
    if (columnDone)
        for (int x = 0; x < n; ++x)
            columnDone(x);
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

ComposedPixel WriteChannelPlanes(Canvas& canvas, int n, const double* red, const double* green,
                                 const double* blue, std::size_t planeSize,
                                 const std::function<void(int)>& columnDone) {
    CheckPlanes(n, planeSize, red, green, blue);
    const auto side = static_cast<std::size_t>(n);
    PixelTarget target;
    if (QImage* image = canvas.Image(); image && !image->isNull()) {
        target = PixelTarget{reinterpret_cast<std::uint32_t*>(image->bits()), image->width(),
                             image->height(), image->bytesPerLine() / 4};
    }
    ComposeSquare({red, planeSize}, {green, planeSize}, {blue, planeSize}, side, target);
    if (columnDone)
        for (int x = 0; x < n; ++x)
            columnDone(x);
    canvas.Changed();
    if (n == 0)
        return ComposedPixel{};
    const std::size_t last = side * side - 1;
    return ComposePixel(red[last], green[last], blue[last]);
}
