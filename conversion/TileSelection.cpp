#include "TileSelection.h"

#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "KeepLargest.h"
#include "Transform.h"

#include <cmath>

namespace {

enum class CosineAxes { None, One, Two };

// CosineFFT2D is a CosineFFT, so it is asked first.
CosineAxes CosineAxesOf(const Transform& transform) {
    if (dynamic_cast<const CosineFFT2D*>(&transform) != nullptr) {
        return CosineAxes::Two;
    }
    if (dynamic_cast<const CosineFFT*>(&transform) != nullptr) {
        return CosineAxes::One;
    }
    return CosineAxes::None;
}

} // namespace

TileSelection::TileSelection(const ConversionSettings& settings) : settings(settings) {}

double* TileSelection::Scaled(const Transform& transform, const double* data, std::uint32_t n) {
    const CosineAxes axes = settings.Options.Scaling == DctScaling::Orthonormal
                                ? CosineAxesOf(transform)
                                : CosineAxes::None;
    if (axes == CosineAxes::None) {
        return nullptr;
    }
    const std::size_t side = n;
    const std::size_t count = side * side;
    if (!scaled || capacity < count) {
        scaled.reset();
        scaled = std::make_unique_for_overwrite<double[]>(count);
        capacity = count;
    }
    if (axes == CosineAxes::One) {
        // One vector of count values: the first coefficient weighs 1/N, the others 2/N.
        const double first = std::sqrt(1.0 / static_cast<double>(count));
        const double others = std::sqrt(2.0 / static_cast<double>(count));
        for (std::size_t i = 0; i < count; ++i) {
            scaled[i] = data[i] * (i == 0 ? first : others);
        }
        return scaled.get();
    }
    // Per axis: element (r, c) weighs a(r) a(c), a(0) = sqrt(1/n), a(k) = sqrt(2/n).
    const double first = std::sqrt(1.0 / static_cast<double>(side));
    const double others = std::sqrt(2.0 / static_cast<double>(side));
    for (std::size_t r = 0; r < side; ++r) {
        const double row = r == 0 ? first : others;
        for (std::size_t c = 0; c < side; ++c) {
            scaled[r * side + c] = data[r * side + c] * (row * (c == 0 ? first : others));
        }
    }
    return scaled.get();
}

double TileSelection::Select(Transform& transform, double* data, std::uint32_t n) {
    const TransformOptions& options = settings.Options;
    if (options.IsDefault()) {
        transform.Threshold(data, n, settings.ErrorFraction);
        return transform.KeptPercent;
    }
    const std::size_t count = std::size_t{n} * n;
    double* copy = Scaled(transform, data, n);
    const double* rank = copy != nullptr ? copy : data;
    if (options.Rule == KeepRule::Kept) {
        const std::size_t keep = KeptCount(settings.ErrorPercent, count);
        if (keep < count && (!keys || keyCapacity < count)) {
            keys.reset();
            keys = std::make_unique_for_overwrite<std::uint64_t[]>(count);
            keyCapacity = count;
        }
        KeepLargest(rank, data, count, keep, keys.get());
        const double kept =
            count == 0 ? 0.0 : static_cast<double>(keep) * 100.0 / static_cast<double>(count);
        transform.KeptPercent = kept;
        return kept;
    }
    if (copy == nullptr) {
        transform.Threshold(data, n, settings.ErrorFraction);
        return transform.KeptPercent;
    }
    // The scaled copy decides; what it zeroes, the coefficients lose.
    transform.Threshold(copy, n, settings.ErrorFraction);
    for (std::size_t i = 0; i < count; ++i) {
        data[i] = copy[i] == 0.0 ? 0.0 : data[i];
    }
    return transform.KeptPercent;
}

std::uint64_t TileSelection::BytesNeeded(const ConversionSettings& settings,
                                         std::uint64_t tileSide) {
    const std::uint64_t tile = tileSide * tileSide * sizeof(double);
    std::uint64_t bytes = 0;
    if (settings.Options.Scaling == DctScaling::Orthonormal) {
        bytes += tile;
    }
    if (settings.Options.Rule == KeepRule::Kept) {
        bytes += tile;
    }
    return bytes;
}
