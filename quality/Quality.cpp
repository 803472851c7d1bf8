#include "Quality.h"

#include "SsimRows.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::int32_t Radius = 5;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// Rows per band at least, so that small images are not split among threads for nothing.
constexpr std::int32_t MinBandRows = 32;

std::string Size(const RgbView& v) {
    return std::to_string(v.Width) + " x " + std::to_string(v.Height);
}

void CheckView(const RgbView& v, const char* who, const char* name) {
    const std::string prefix = std::string(who) + ": image " + name + " ";
    if (v.Width < 0 || v.Height < 0) {
        throw std::invalid_argument(prefix + "has a negative side, " + Size(v));
    }
    if (v.Pixels == nullptr && v.Width > 0 && v.Height > 0) {
        throw std::invalid_argument(prefix + "has null pixels and size " + Size(v));
    }
    if (v.Height > 1 && v.Stride < v.Width) {
        throw std::invalid_argument(prefix + "has stride " + std::to_string(v.Stride) +
                                    " below its width " + std::to_string(v.Width));
    }
}

void CheckPair(const RgbView& a, const RgbView& b, const char* who) {
    CheckView(a, who, "a");
    CheckView(b, who, "b");
    if (a.Width != b.Width || a.Height != b.Height) {
        throw std::invalid_argument(std::string(who) + ": sizes differ, a " + Size(a) + ", b " +
                                    Size(b));
    }
}

std::int32_t BandCount(std::int32_t threads, std::int32_t height, const char* who) {
    if (threads < 0) {
        throw std::invalid_argument(std::string(who) + ": threads " + std::to_string(threads) +
                                    " is negative");
    }
    const std::int32_t wanted =
        threads > 0 ? threads
                    : std::max<std::int32_t>(
                          1, static_cast<std::int32_t>(std::thread::hardware_concurrency()));
    return std::clamp(height / MinBandRows, 1, wanted);
}

struct Errors {
    std::uint64_t Squares = 0;
    int Largest = 0;
};

// The sum of the squared errors of the three channels of one pixel, 0 .. 3 * 255^2.
std::uint32_t SquaredError(std::uint32_t p, std::uint32_t q) {
    const int dr = RedOf(p) - RedOf(q);
    const int dg = GreenOf(p) - GreenOf(q);
    const int db = BlueOf(p) - BlueOf(q);
    return static_cast<std::uint32_t>(dr * dr + dg * dg + db * db);
}

// Squared and largest absolute error of count pixels.
Errors RunErrors(const std::uint32_t* pa, const std::uint32_t* pb, std::int64_t count) {
    std::uint64_t squares = 0;
    int largest = 0;
    for (std::int64_t x = 0; x < count; ++x) {
        squares += SquaredError(pa[x], pb[x]);
        largest = std::max({largest, std::abs(RedOf(pa[x]) - RedOf(pb[x])),
                            std::abs(GreenOf(pa[x]) - GreenOf(pb[x])),
                            std::abs(BlueOf(pa[x]) - BlueOf(pb[x]))});
    }
    return {squares, largest};
}

// sums[x] += the squared error of pixel x, for count pixels.
void AddSquares(const std::uint32_t* pa, const std::uint32_t* pb, std::int64_t count,
                std::uint64_t* sums) {
    for (std::int64_t x = 0; x < count; ++x) {
        sums[x] += SquaredError(pa[x], pb[x]);
    }
}

double MeanSquare(std::uint64_t squares, std::int64_t pixels) {
    return pixels > 0 ? static_cast<double>(squares) / static_cast<double>(3 * pixels) : NaN;
}

// The work of one band of rows [First, End): its errors and, for the rows whose window lies
// inside the image, the sums of their SSIM map rows.
struct Band {
    std::int32_t First = 0;
    std::int32_t End = 0;
    Errors Sum;
    std::optional<SsimRows> Rows;
};

// rowSums holds the three channels' row sums, channel after channel, each height - 10 rows.
void RunBand(const RgbView& a, const RgbView& b, bool errors, Band& band,
             std::vector<double>& rowSums) {
    for (std::int32_t y = band.First; errors && y < band.End; ++y) {
        const Errors row = RunErrors(a.Pixels + y * a.Stride, b.Pixels + y * b.Stride, a.Width);
        band.Sum.Squares += row.Squares;
        band.Sum.Largest = std::max(band.Sum.Largest, row.Largest);
    }
    const std::int32_t first = std::max(band.First, Radius);
    const std::int32_t end = std::min(band.End, a.Height - Radius);
    if (band.Rows && first < end) {
        const std::span<double> all(rowSums);
        const std::size_t mapRows = rowSums.size() / 3;
        const std::size_t at = static_cast<std::size_t>(first - Radius);
        const std::size_t count = static_cast<std::size_t>(end - first);
        band.Rows->RowSums(a, b, first, end,
                           {all.subspan(at, count), all.subspan(mapRows + at, count),
                            all.subspan(2 * mapRows + at, count)});
    }
}

// The pass behind every figure: bands of rows, one per thread, reduced in row order.
QualityFigures Measure(const RgbView& a, const RgbView& b, std::int32_t threads, bool errors,
                       bool ssim, const char* who) {
    CheckPair(a, b, who);
    const std::int32_t bandCount = BandCount(threads, a.Height, who);
    QualityFigures figures;
    if (a.Width == 0 || a.Height == 0) {
        figures.Mse = NaN;
        figures.PsnrDb = NaN;
        return figures;
    }
    const bool hasSsim = ssim && a.Width >= 2 * Radius + 1 && a.Height >= 2 * Radius + 1;

    std::vector<double> rowSums(hasSsim ? 3 * static_cast<std::size_t>(a.Height - 2 * Radius) : 0);
    std::vector<Band> bands(static_cast<std::size_t>(bandCount));
    for (std::int32_t i = 0; i < bandCount; ++i) {
        Band& band = bands[static_cast<std::size_t>(i)];
        band.First = static_cast<std::int32_t>(std::int64_t{a.Height} * i / bandCount);
        band.End = static_cast<std::int32_t>(std::int64_t{a.Height} * (i + 1) / bandCount);
        if (hasSsim) {
            band.Rows.emplace(a.Width);
        }
    }
    {
        std::vector<std::jthread> workers;
        for (std::size_t i = 1; i < bands.size(); ++i) {
            workers.emplace_back([&, i] { RunBand(a, b, errors, bands[i], rowSums); });
        }
        RunBand(a, b, errors, bands[0], rowSums);
    }

    if (errors) {
        std::uint64_t squares = 0;
        for (const Band& band : bands) {
            squares += band.Sum.Squares;
            figures.MaxError = std::max(figures.MaxError, band.Sum.Largest);
        }
        figures.Mse = MeanSquare(squares, std::int64_t{a.Width} * a.Height);
        figures.PsnrDb = PsnrDb(figures.Mse);
    }
    if (hasSsim) {
        // numpy's mean of each map (its rows' sums added in order), then of the three channels.
        const std::size_t mapRows = static_cast<std::size_t>(a.Height - 2 * Radius);
        const double mapPixels =
            static_cast<double>(std::int64_t{a.Width - 2 * Radius} * (a.Height - 2 * Radius));
        double channels = 0.0;
        for (std::size_t c = 0; c < 3; ++c) {
            double sum = 0.0;
            for (std::size_t r = 0; r < mapRows; ++r) {
                sum += rowSums[c * mapRows + r];
            }
            channels += sum / mapPixels;
        }
        figures.Ssim = channels / 3.0;
    }
    return figures;
}

} // namespace

double Mse(const RgbView& a, const RgbView& b) {
    return Measure(a, b, 1, true, false, "Mse").Mse;
}

double PsnrDb(double mse) {
    if (mse < 0.0) {
        throw std::invalid_argument("PsnrDb: mse " + std::to_string(mse) + " is negative");
    }
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

int MaxError(const RgbView& a, const RgbView& b) {
    return Measure(a, b, 1, true, false, "MaxError").MaxError;
}

std::optional<double> Ssim(const RgbView& a, const RgbView& b, std::int32_t threads) {
    return Measure(a, b, threads, false, true, "Ssim").Ssim;
}

QualityFigures MeasureQuality(const RgbView& a, const RgbView& b, std::int32_t threads) {
    return Measure(a, b, threads, true, true, "MeasureQuality");
}

void TileMse(const RgbView& a, const RgbView& b, const TileLayout& grid, std::span<double> mse) {
    std::vector<TileErrors> errors(mse.size());
    TileSquaredErrors(a, b, grid, errors);
    std::transform(errors.begin(), errors.end(), mse.begin(), TileMseOf);
}

double TileMseOf(const TileErrors& errors) {
    return MeanSquare(errors.Squares, errors.Pixels);
}

void TileSquaredErrors(const RgbView& a, const RgbView& b, const TileLayout& grid,
                       std::span<TileErrors> errors) {
    CheckPair(a, b, "TileMse");
    if (grid.Side < 1 || grid.Columns < 0 || grid.Rows < 0) {
        throw std::invalid_argument("TileMse: grid of " + std::to_string(grid.Columns) + " x " +
                                    std::to_string(grid.Rows) + " tiles of side " +
                                    std::to_string(grid.Side) + " is not a grid");
    }
    const std::size_t tiles = std::size_t(grid.Columns) * std::size_t(grid.Rows);
    if (errors.size() != tiles) {
        throw std::invalid_argument("TileMse: " + std::to_string(errors.size()) + " values for " +
                                    std::to_string(tiles) + " tiles");
    }
    const std::int64_t side = grid.Side;
    // Tile columns that reach into the image: X + (m + 1) side > 0 and X + m side < Width.
    const std::int64_t left = std::int64_t{grid.X} < 0 ? -std::int64_t{grid.X} / side : 0;
    const std::int64_t right = std::int64_t{a.Width} - grid.X;
    const std::int64_t firstColumn = std::min<std::int64_t>(left, grid.Columns);
    const std::int64_t endColumn =
        right > 0 ? std::clamp<std::int64_t>((right + side - 1) / side, firstColumn, grid.Columns)
                  : firstColumn;
    // The image columns that some tile covers.
    const std::int64_t covered0 = std::max<std::int64_t>(0, grid.X + firstColumn * side);
    const std::int64_t covered1 = std::min<std::int64_t>(a.Width, grid.X + endColumn * side);
    // Squared errors per image column down one row of tiles, summed per tile at its end: whole
    // rows at a time rather than short runs.
    std::vector<std::uint64_t> columns(static_cast<std::size_t>(a.Width));
    for (std::int64_t l = 0; l < grid.Rows; ++l) {
        const std::int64_t y0 = std::max<std::int64_t>(0, grid.Y + l * side);
        const std::int64_t y1 = std::min<std::int64_t>(a.Height, grid.Y + (l + 1) * side);
        std::fill(columns.begin(), columns.end(), 0);
        for (std::int64_t y = y0; covered1 > covered0 && y < y1; ++y) {
            AddSquares(a.Pixels + y * a.Stride + covered0, b.Pixels + y * b.Stride + covered0,
                       covered1 - covered0, columns.data() + covered0);
        }
        for (std::int64_t m = 0; m < grid.Columns; ++m) {
            const std::int64_t x0 = std::max<std::int64_t>(0, grid.X + m * side);
            const std::int64_t x1 = std::min<std::int64_t>(a.Width, grid.X + (m + 1) * side);
            const bool inside = y1 > y0 && x1 > x0;
            const std::uint64_t squares =
                inside
                    ? std::accumulate(columns.begin() + x0, columns.begin() + x1, std::uint64_t{0})
                    : 0;
            errors[static_cast<std::size_t>(l * grid.Columns + m)] = {
                squares, inside ? (y1 - y0) * (x1 - x0) : 0};
        }
    }
}
