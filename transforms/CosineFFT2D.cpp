#include "CosineFFT2D.h"

#include "PointerBinding.h"

#include <bit>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

void CheckSide(const double* data, std::uint32_t n) {
    if (!std::has_single_bit(n)) {
        throw std::invalid_argument("CosineFFT2D: tile side " + std::to_string(n) +
                                    " is not a power of two");
    }
    if (data == nullptr) {
        throw std::invalid_argument("CosineFFT2D: data is null");
    }
}

// Runs the cosine transform over every row of the n x n tile, through line[1 .. n].
void TransformRows(double* data, std::size_t n, double* line, std::int8_t direction) {
    for (std::size_t r = 0; r < n; ++r) {
        double* row = data + r * n;
        for (std::size_t c = 0; c < n; ++c) {
            line[c + 1] = row[c];
        }
        CosineFFT::CosineTransform(line, static_cast<std::uint32_t>(n), direction);
        for (std::size_t c = 0; c < n; ++c) {
            row[c] = line[c + 1];
        }
    }
}

void TransformColumns(double* data, std::size_t n, double* line, std::int8_t direction) {
    for (std::size_t c = 0; c < n; ++c) {
        for (std::size_t r = 0; r < n; ++r) {
            line[r + 1] = data[r * n + c];
        }
        CosineFFT::CosineTransform(line, static_cast<std::uint32_t>(n), direction);
        for (std::size_t r = 0; r < n; ++r) {
            data[r * n + c] = line[r + 1];
        }
    }
}

} // namespace

void CosineFFT2D::Forward(double* data, std::uint32_t n) {
    // Lines of one value are their own transform.
    if (n < 2) {
        return;
    }
    CheckSide(data, n);
    const auto scratch = std::make_unique_for_overwrite<double[]>(std::size_t{n} + 1);
    const PointerBinding bound(Buffer, scratch.get());
    TransformRows(data, n, Buffer, 1);
    TransformColumns(data, n, Buffer, 1);
}

void CosineFFT2D::Inverse(double* data, std::uint32_t n) {
    if (n < 2) {
        return;
    }
    CheckSide(data, n);
    const auto scratch = std::make_unique_for_overwrite<double[]>(std::size_t{n} + 1);
    const PointerBinding bound(Buffer, scratch.get());
    TransformColumns(data, n, Buffer, -1);
    TransformRows(data, n, Buffer, -1);
}
