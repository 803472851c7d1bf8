#pragma once

#include <algorithm>
#include <cstddef>

// The columns of a row-major n x n tile go through line arrays a group at a time. A group's
// piece of a row is one cache line, fetched once for the whole group; one column at a time
// would fetch every line of the tile again for each column, and with a power-of-two side the
// lines of a column all compete for the same few cache sets.
constexpr std::size_t ColumnGroup = 8;

// Line arrays of this many doubles or more are spaced by a little more than their length, so
// that the lines of a group do not fall into the same cache sets either.
constexpr std::size_t LineSpacing(std::size_t length) {
    return length + ColumnGroup;
}

// For each group of up to ColumnGroup columns from column c0: copies column c0 + k to
// in[k * stride + 0 .. n - 1] for every k of the group, calls step(k) for each k in turn, which
// leaves the column's new values in out[k * stride + 0 .. n - 1], and copies those back. Every
// column passes through step exactly as it would one column at a time.
template <class Step>
void TransformColumnGroups(double* data, std::size_t n, double* in, const double* out,
                           std::size_t stride, const Step& step) {
    for (std::size_t c0 = 0; c0 < n; c0 += ColumnGroup) {
        const std::size_t group = std::min(ColumnGroup, n - c0);
        for (std::size_t r = 0; r < n; ++r) {
            const double* row = data + r * n + c0;
            for (std::size_t k = 0; k < group; ++k) {
                in[k * stride + r] = row[k];
            }
        }
        for (std::size_t k = 0; k < group; ++k) {
            step(k);
        }
        for (std::size_t r = 0; r < n; ++r) {
            double* row = data + r * n + c0;
            for (std::size_t k = 0; k < group; ++k) {
                row[k] = out[k * stride + r];
            }
        }
    }
}
