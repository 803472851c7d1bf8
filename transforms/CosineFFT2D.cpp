#include "CosineFFT2D.h"

#include "ColumnGroups.h"
#include "CosineKernel.h"
#include "CosinePlan.h"
#include "PointerBinding.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace {

// Lines transformed side by side: each holds one line's element in every lane.
constexpr std::size_t Width = 2;
typedef double Lanes __attribute__((vector_size(Width * sizeof(double))));

void CheckSide(const double* data, std::uint32_t n) {
    // n & (n - 1) rather than std::has_single_bit, which costs a library call per tile here.
    if ((n & (n - 1)) != 0) {
        throw std::invalid_argument("CosineFFT2D: tile side " + std::to_string(n) +
                                    " is not a power of two");
    }
    if (data == nullptr) {
        throw std::invalid_argument("CosineFFT2D: data is null");
    }
}

// Runs the cosine transform over every row of the n x n tile, Width rows at a time through
// lines[0 .. n - 1]; a tile of fewer rows leaves the spare lanes zero.
template <std::size_t Fixed>
void TransformRows(double* data, std::size_t n, Lanes* lines, const CosinePlan& plan) {
    const std::size_t used = std::min(n, Width);
    for (std::size_t r = 0; r < n; r += Width) {
        for (std::size_t c = 0; c < n; ++c) {
            Lanes line{};
            for (std::size_t k = 0; k < used; ++k) {
                line[k] = data[(r + k) * n + c];
            }
            lines[c] = line;
        }
        CosineKernel<Lanes, Fixed>::Cosine(lines, plan);
        for (std::size_t c = 0; c < n; ++c) {
            for (std::size_t k = 0; k < used; ++k) {
                data[(r + k) * n + c] = lines[c][k];
            }
        }
    }
}

// The columns go Width at a time into each of LineGroups line arrays, so that a row's piece of
// a group is one cache line (see ColumnGroups.h). The arrays of n lines are LineStride(n) apart,
// a cache line more than their length.
constexpr std::size_t LineGroups = ColumnGroup / Width;
constexpr std::size_t LineStride(std::size_t n) {
    return n + LineGroups;
}

template <std::size_t Fixed>
void TransformColumns(double* data, std::size_t n, Lanes* lines, const CosinePlan& plan) {
    const std::size_t used = std::min(n, Width);
    const std::size_t stride = LineStride(n);
    for (std::size_t c0 = 0; c0 < n; c0 += ColumnGroup) {
        const std::size_t groups = std::min(LineGroups, (n - c0 + Width - 1) / Width);
        for (std::size_t r = 0; r < n; ++r) {
            const double* row = data + r * n + c0;
            for (std::size_t g = 0; g < groups; ++g) {
                Lanes line{};
                for (std::size_t k = 0; k < used; ++k) {
                    line[k] = row[g * Width + k];
                }
                lines[g * stride + r] = line;
            }
        }
        for (std::size_t g = 0; g < groups; ++g) {
            CosineKernel<Lanes, Fixed>::Cosine(lines + g * stride, plan);
        }
        for (std::size_t r = 0; r < n; ++r) {
            double* row = data + r * n + c0;
            for (std::size_t g = 0; g < groups; ++g) {
                for (std::size_t k = 0; k < used; ++k) {
                    row[g * Width + k] = lines[g * stride + r][k];
                }
            }
        }
    }
}

// The rows and then the columns, or for the inverse the columns first; the shortest lines get
// kernels of their fixed length.
template <std::size_t Fixed>
void TransformTile(double* data, std::size_t n, Lanes* lines, const CosinePlan& plan) {
    if (plan.Direction() == 1) {
        TransformRows<Fixed>(data, n, lines, plan);
        TransformColumns<Fixed>(data, n, lines, plan);
    } else {
        TransformColumns<Fixed>(data, n, lines, plan);
        TransformRows<Fixed>(data, n, lines, plan);
    }
}

void TransformLines(double* data, std::size_t n, Lanes* lines, const CosinePlan& plan) {
    switch (n) {
    case 8:
        TransformTile<8>(data, n, lines, plan);
        break;
    case 16:
        TransformTile<16>(data, n, lines, plan);
        break;
    case 32:
        TransformTile<32>(data, n, lines, plan);
        break;
    case 64:
        TransformTile<64>(data, n, lines, plan);
        break;
    default:
        TransformTile<0>(data, n, lines, plan);
    }
}

} // namespace

void CosineFFT2D::Forward(double* data, std::uint32_t n) {
    // Lines of one value are their own transform.
    if (n < 2) {
        return;
    }
    CheckSide(data, n);
    const CosinePlan& plan = PlanFor(n, 1);
    static_assert(sizeof(Lanes) == Width * sizeof(double));
    auto* lines = reinterpret_cast<Lanes*>(Scratch(Width * LineGroups * LineStride(n)));
    const PointerBinding bound(Buffer, reinterpret_cast<double*>(lines));
    TransformLines(data, n, lines, plan);
}

void CosineFFT2D::Inverse(double* data, std::uint32_t n) {
    if (n < 2) {
        return;
    }
    CheckSide(data, n);
    const CosinePlan& plan = PlanFor(n, -1);
    auto* lines = reinterpret_cast<Lanes*>(Scratch(Width * LineGroups * LineStride(n)));
    const PointerBinding bound(Buffer, reinterpret_cast<double*>(lines));
    TransformLines(data, n, lines, plan);
}
