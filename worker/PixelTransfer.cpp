#include "PixelTransfer.h"

#include "Canvas.h"
#include "GreyLevel.h"

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

} // namespace

std::uint32_t ReadChannelPlanes(const Canvas& canvas, int n, double* red, double* green,
                                double* blue, std::size_t planeSize,
                                const std::function<void(int)>& columnDone) {
    CheckPlanes(n, planeSize, red, green, blue);
    std::uint32_t color = 0;
    for (int x = 0; x < n; ++x) {
        const std::size_t column = static_cast<std::size_t>(x) * static_cast<std::size_t>(n);
        for (int y = 0; y < n; ++y) {
            color = canvas.GetPixel(x, y);
            red[column + y] = color & 0xFFu;
            green[column + y] = (color & 0xFF00u) >> 8;
            blue[column + y] = (color & 0xFF0000u) >> 16;
        }
        if (columnDone)
            columnDone(x);
    }
    return color;
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
    ComposedPixel pixel;
    for (int x = 0; x < n; ++x) {
        const std::size_t column = static_cast<std::size_t>(x) * static_cast<std::size_t>(n);
        for (int y = 0; y < n; ++y) {
            pixel = ComposePixel(red[column + y], green[column + y], blue[column + y]);
            canvas.SetPixel(x, y, ColorToRGB(pixel.Color));
        }
        if (columnDone)
            columnDone(x);
    }
    canvas.Changed();
    return pixel;
}
