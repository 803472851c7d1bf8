#include "SquarePixels.h"

#include "GreyLevel.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

// A block of this many columns and rows touches 3 * Block plane lines at once, which stay in
// the first-level cache while the image rows stream past.
constexpr std::size_t Block = 32;

void CheckPlanes(std::size_t n, std::size_t red, std::size_t green, std::size_t blue) {
    if (n != 0 && n > SIZE_MAX / n) {
        throw std::invalid_argument("square side " + std::to_string(n) + " is too large");
    }
    const std::size_t needed = n * n;
    if (red < needed || green < needed || blue < needed) {
        throw std::invalid_argument("planes of " + std::to_string(std::min({red, green, blue})) +
                                    " values cannot hold a square of side " + std::to_string(n));
    }
}

template <typename View>
void CheckView(const View& view, const char* what) {
    if (view.Width < 0 || view.Height < 0 || view.Stride < view.Width ||
        (view.Pixels == nullptr && view.Width > 0 && view.Height > 0)) {
        throw std::invalid_argument(std::string(what) + " of " + std::to_string(view.Width) +
                                    " x " + std::to_string(view.Height) + " with stride " +
                                    std::to_string(view.Stride) + " is not a valid image");
    }
}

} // namespace

void ReadSquare(RgbView image, std::size_t n, std::span<double> red, std::span<double> green,
                std::span<double> blue) {
    CheckPlanes(n, red.size(), green.size(), blue.size());
    CheckView(image, "image");
    const std::size_t width = std::min(n, static_cast<std::size_t>(image.Width));
    const std::size_t height = std::min(n, static_cast<std::size_t>(image.Height));
    for (std::size_t y0 = 0; y0 < height; y0 += Block) {
        const std::size_t y1 = std::min(height, y0 + Block);
        for (std::size_t x0 = 0; x0 < width; x0 += Block) {
            const std::size_t x1 = std::min(width, x0 + Block);
            for (std::size_t y = y0; y < y1; ++y) {
                const std::uint32_t* row =
                    image.Pixels + static_cast<std::ptrdiff_t>(y) * image.Stride;
                for (std::size_t x = x0; x < x1; ++x) {
                    const std::uint32_t pixel = row[x];
                    const std::size_t at = x * n + y;
                    red[at] = RedOf(pixel);
                    green[at] = GreenOf(pixel);
                    blue[at] = BlueOf(pixel);
                }
            }
        }
    }
    // White where the square reaches past the image: below it in every column, and whole
    // columns right of it.
    for (std::size_t x = 0; x < n; ++x) {
        const std::size_t from = x * n + (x < width ? height : 0);
        const std::size_t to = x * n + n;
        std::fill(red.begin() + from, red.begin() + to, 255.0);
        std::fill(green.begin() + from, green.begin() + to, 255.0);
        std::fill(blue.begin() + from, blue.begin() + to, 255.0);
    }
}

void ComposeSquare(std::span<const double> red, std::span<const double> green,
                   std::span<const double> blue, std::size_t n, PixelTarget target) {
    CheckPlanes(n, red.size(), green.size(), blue.size());
    CheckView(target, "target");
    const std::size_t width = std::min(n, static_cast<std::size_t>(target.Width));
    const std::size_t height = std::min(n, static_cast<std::size_t>(target.Height));
    for (std::size_t y0 = 0; y0 < height; y0 += Block) {
        const std::size_t y1 = std::min(height, y0 + Block);
        for (std::size_t x0 = 0; x0 < width; x0 += Block) {
            const std::size_t x1 = std::min(width, x0 + Block);
            for (std::size_t y = y0; y < y1; ++y) {
                std::uint32_t* row = target.Pixels + static_cast<std::ptrdiff_t>(y) * target.Stride;
                for (std::size_t x = x0; x < x1; ++x) {
                    const std::size_t at = x * n + y;
                    row[x] = 0xFF000000u | static_cast<std::uint32_t>(GreyLevel(red[at])) << 16 |
                             static_cast<std::uint32_t>(GreyLevel(green[at])) << 8 |
                             static_cast<std::uint32_t>(GreyLevel(blue[at]));
                }
            }
        }
    }
}
