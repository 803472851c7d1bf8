#include "HaarDWT2D.h"

#include "ColumnGroups.h"
#include "PointerBinding.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

void CheckSide(const double* data, std::uint32_t n) {
    // The level operations count a line in an int.
    if (!std::has_single_bit(n) ||
        n > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
        throw std::invalid_argument("HaarDWT2D: tile side " + std::to_string(n) +
                                    " is not a power of two that fits an int");
    }
    if (data == nullptr) {
        throw std::invalid_argument("HaarDWT2D: data is null");
    }
}

} // namespace

void HaarDWT2D::Forward(double* data, std::uint32_t n) {
    if (n < 2) {
        return;
    }
    CheckSide(data, n);
    const std::size_t side = n;
    const std::size_t stride = LineSpacing(side);
    double* scratch = Scratch(side + ColumnGroup * stride);
    double* lines = scratch + side;
    const PointerBinding boundTemp(Temp, scratch);
    const PointerBinding boundBuffer(Buffer, lines);
    for (std::size_t r = 0; r < side; ++r) {
        double* row = data + r * side;
        std::copy(row, row + side, Buffer);
        ForwardLevels(static_cast<int>(n));
        std::copy(Buffer, Buffer + side, row);
    }
    TransformColumnGroups(data, side, lines, lines, stride, [&](std::size_t k) {
        Buffer = lines + k * stride;
        ForwardLevels(static_cast<int>(n));
    });
}

void HaarDWT2D::Inverse(double* data, std::uint32_t n) {
    if (n < 2) {
        return;
    }
    CheckSide(data, n);
    const std::size_t side = n;
    const std::size_t stride = LineSpacing(side);
    double* scratch = Scratch(side + ColumnGroup * stride);
    double* lines = scratch + side;
    const PointerBinding boundTemp(Temp, scratch);
    const PointerBinding boundBuffer(Buffer, lines);
    TransformColumnGroups(data, side, lines, lines, stride, [&](std::size_t k) {
        Buffer = lines + k * stride;
        InverseLevels(static_cast<int>(n));
    });
    Buffer = lines;
    for (std::size_t r = 0; r < side; ++r) {
        double* row = data + r * side;
        std::copy(row, row + side, Buffer);
        InverseLevels(static_cast<int>(n));
        std::copy(Buffer, Buffer + side, row);
    }
}
