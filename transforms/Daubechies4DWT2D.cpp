#include "Daubechies4DWT2D.h"

#include "ColumnGroups.h"
#include "PointerBinding.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace {

void CheckSide(const double* data, std::uint32_t n) {
    if (n % 2 != 0) {
        throw std::invalid_argument("Daubechies4DWT2D: tile side " + std::to_string(n) + " is odd");
    }
    if (data == nullptr) {
        throw std::invalid_argument("Daubechies4DWT2D: data is null");
    }
}

} // namespace

// The filter's output line is taken here once for all lines, rather than by each step: once the
// first row has changed, no allocation may fail and leave the tile half transformed.
void Daubechies4DWT2D::Forward(double* data, std::uint32_t n) {
    if (n < 4) {
        return;
    }
    CheckSide(data, n);
    if (Levels() != 1) {
        Levels2D(data, n, 1);
        return;
    }
    const std::size_t side = n;
    // Each line has the filter's leading slot before its values.
    const std::size_t stride = LineSpacing(side + 1);
    double* scratch = Scratch(2 * ColumnGroup * stride);
    double* outputs = scratch + ColumnGroup * stride;
    const PointerBinding bound(Buffer, scratch);
    for (std::size_t r = 0; r < side; ++r) {
        double* row = data + r * side;
        std::copy(row, row + side, Buffer + 1);
        FilterOutputs(Buffer, n, 1, row);
    }
    TransformColumnGroups(data, side, scratch + 1, outputs, stride, [&](std::size_t k) {
        FilterOutputs(scratch + k * stride, n, 1, outputs + k * stride);
    });
}

void Daubechies4DWT2D::Inverse(double* data, std::uint32_t n) {
    if (n < 4) {
        return;
    }
    CheckSide(data, n);
    if (Levels() != 1) {
        Levels2D(data, n, -1);
        return;
    }
    const std::size_t side = n;
    const std::size_t stride = LineSpacing(side + 1);
    double* scratch = Scratch(2 * ColumnGroup * stride);
    double* outputs = scratch + ColumnGroup * stride;
    const PointerBinding bound(Buffer, scratch);
    TransformColumnGroups(data, side, scratch + 1, outputs, stride, [&](std::size_t k) {
        FilterOutputs(scratch + k * stride, n, -1, outputs + k * stride);
    });
    for (std::size_t r = 0; r < side; ++r) {
        double* row = data + r * side;
        std::copy(row, row + side, Buffer + 1);
        FilterOutputs(Buffer, n, -1, row);
    }
}

// Several levels: every row through all its levels, then every column (forward), each line in
// place with the details apart; back, the columns first.
void Daubechies4DWT2D::Levels2D(double* data, std::uint32_t n, std::int8_t direction) {
    const std::size_t side = n;
    const std::size_t stride = LineSpacing(side);
    const LevelLengths lengths = StepLengths(n, Levels());
    double* scratch = Scratch(side / 2 + ColumnGroup * stride);
    double* lines = scratch + side / 2;
    const PointerBinding bound(Buffer, lines);
    const auto rows = [&] {
        for (std::size_t r = 0; r < side; ++r) {
            StepLevels(data + r * side, lengths, direction, scratch);
        }
    };
    if (direction == 1) {
        rows();
    }
    TransformColumnGroups(data, side, lines, lines, stride, [&](std::size_t k) {
        StepLevels(lines + k * stride, lengths, direction, scratch);
    });
    if (direction != 1) {
        rows();
    }
}
