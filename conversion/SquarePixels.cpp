#include "SquarePixels.h"

#include "GreyLevel.h"
#include "ParallelFor.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace {

// The pixels move in blocks of StripColumns image columns, one cache line of each image row,
// by StripRows rows: a block's transposed copy (32 KiB) stays in the first-level cache, each
// image line is touched once, and each plane line is written in one run of StripRows values.
// Square blocks would keep several times more plane lines open at once.
constexpr std::size_t StripColumns = 16;
constexpr std::size_t StripRows = 512;

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

std::size_t Strips(std::size_t width) {
    return (width + StripColumns - 1) / StripColumns;
}

// Small squares are not worth a thread.
std::size_t Threads(std::size_t asked, std::size_t n) {
    return n >= 512 ? std::max<std::size_t>(asked, 1) : 1;
}

// Calls visit(x0, columns, y0, rows) for every block of the width x height region, a strip of
// columns per task on the threads.
template <class Visit>
void ForEachBlock(std::size_t width, std::size_t height, std::size_t threads, const Visit& visit) {
    ParallelFor(Strips(width), threads, [&](std::size_t strip, std::size_t) {
        const std::size_t x0 = strip * StripColumns;
        const std::size_t columns = std::min(width - x0, StripColumns);
        for (std::size_t y0 = 0; y0 < height; y0 += StripRows) {
            visit(x0, columns, y0, std::min(height - y0, StripRows));
        }
    });
}

} // namespace

void ReadSquare(RgbView image, std::size_t n, std::span<double> red, std::span<double> green,
                std::span<double> blue, std::size_t threads) {
    CheckPlanes(n, red.size(), green.size(), blue.size());
    CheckView(image, "image");
    const std::size_t width = std::min(n, static_cast<std::size_t>(image.Width));
    const std::size_t height = std::min(n, static_cast<std::size_t>(image.Height));
    // Each block passes through a small transposed copy: the image is read along its rows and
    // every plane written along its own, so no stride of a power-of-two side lands all its
    // lines in one cache set.
    ForEachBlock(width, height, Threads(threads, n),
                 [&](std::size_t x0, std::size_t columns, std::size_t y0, std::size_t rows) {
                     std::array<std::uint32_t, StripColumns * StripRows> local;
                     for (std::size_t y = 0; y < rows; ++y) {
                         const std::uint32_t* row =
                             image.Pixels + static_cast<std::ptrdiff_t>(y0 + y) * image.Stride + x0;
                         for (std::size_t x = 0; x < columns; ++x) {
                             local[x * StripRows + y] = row[x];
                         }
                     }
                     for (std::size_t x = 0; x < columns; ++x) {
                         const std::size_t at = (x0 + x) * n + y0;
                         const std::uint32_t* column = local.data() + x * StripRows;
                         for (std::size_t y = 0; y < rows; ++y) {
                             red[at + y] = RedOf(column[y]);
                             green[at + y] = GreenOf(column[y]);
                             blue[at + y] = BlueOf(column[y]);
                         }
                     }
                 });
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
                   std::span<const double> blue, std::size_t n, PixelTarget target,
                   std::size_t threads) {
    CheckPlanes(n, red.size(), green.size(), blue.size());
    CheckView(target, "target");
    const std::size_t width = std::min(n, static_cast<std::size_t>(target.Width));
    const std::size_t height = std::min(n, static_cast<std::size_t>(target.Height));
    ForEachBlock(width, height, Threads(threads, n),
                 [&](std::size_t x0, std::size_t columns, std::size_t y0, std::size_t rows) {
                     std::array<std::uint32_t, StripColumns * StripRows> local;
                     for (std::size_t x = 0; x < columns; ++x) {
                         const std::size_t at = (x0 + x) * n + y0;
                         for (std::size_t y = 0; y < rows; ++y) {
                             local[y * StripColumns + x] =
                                 0xFF000000u |
                                 static_cast<std::uint32_t>(GreyLevel(red[at + y])) << 16 |
                                 static_cast<std::uint32_t>(GreyLevel(green[at + y])) << 8 |
                                 static_cast<std::uint32_t>(GreyLevel(blue[at + y]));
                         }
                     }
                     for (std::size_t y = 0; y < rows; ++y) {
                         std::uint32_t* row = target.Pixels +
                                              static_cast<std::ptrdiff_t>(y0 + y) * target.Stride +
                                              x0;
                         std::copy_n(local.data() + y * StripColumns, columns, row);
                     }
                 });
}
