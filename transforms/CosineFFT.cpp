#include "CosineFFT.h"

#include "CosineKernel.h"
#include "CosinePlan.h"
#include "PointerBinding.h"

#include <bit>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

void CheckData(const double* data, const char* where) {
    if (data == nullptr) {
        throw std::invalid_argument(std::string(where) + ": data is null");
    }
}

} // namespace

// The 1-based arrays of the static kernels are the 0-based arrays that start one element later.

void CosineFFT::ComplexFFT(double* data, std::uint32_t nn, std::int8_t direction) {
    // Other lengths make the butterflies run past the end of the array.
    if (!std::has_single_bit(nn)) {
        throw std::invalid_argument("ComplexFFT: length " + std::to_string(nn) +
                                    " is not a power of two");
    }
    // Other directions scale the exponent and give no Fourier transform at all.
    if (direction != 1 && direction != -1) {
        throw std::invalid_argument("ComplexFFT: direction " + std::to_string(direction) +
                                    " is neither 1 nor -1");
    }
    CheckData(data, "ComplexFFT");
    const auto plan = CosinePlan::Get(2 * std::size_t{nn}, direction);
    CosineKernel<double>::Complex(data + 1, nn, *plan);
}

void CosineFFT::RealFFT(double* data, std::uint32_t n, std::int8_t direction) {
    if (n < 2 || !std::has_single_bit(n)) {
        throw std::invalid_argument("RealFFT: length " + std::to_string(n) +
                                    " is not a power of two of at least 2");
    }
    CheckData(data, "RealFFT");
    // Every direction but 1 is the inverse.
    const auto plan = CosinePlan::Get(n, direction == 1 ? 1 : -1);
    CosineKernel<double>::Real(data + 1, *plan);
}

void CosineFFT::CosineTransform(double* y, std::uint32_t n, std::int8_t direction) {
    // One value is its own transform under this pair; the recurrence would divide by zero.
    if (n < 2) {
        return;
    }
    if (!std::has_single_bit(n)) {
        throw std::invalid_argument("CosineTransform: length " + std::to_string(n) +
                                    " is not a power of two");
    }
    CheckData(y, "CosineTransform");
    const auto plan = CosinePlan::Get(n, direction == 1 ? 1 : -1);
    CosineKernel<double>::Cosine(y + 1, *plan);
}

void CosineFFT::Forward(double* data, std::uint32_t n) {
    TransformTile(data, n, 1);
}

void CosineFFT::Inverse(double* data, std::uint32_t n) {
    TransformTile(data, n, -1);
}

const CosinePlan& CosineFFT::PlanFor(std::size_t length, int direction) {
    std::shared_ptr<const CosinePlan>& kept = cosinePlans[direction == 1 ? 0 : 1];
    if (!kept || kept->Length() != length) {
        kept.reset();
        kept = CosinePlan::Get(length, direction);
    }
    return *kept;
}

void CosineFFT::TransformTile(double* data, std::uint32_t n, int direction) {
    const std::uint64_t count = std::uint64_t{n} * n;
    // The whole tile is one vector, and the kernels count its values in 32 bits.
    if (count > std::numeric_limits<std::uint32_t>::max()) {
        throw std::invalid_argument("CosineFFT: tile side " + std::to_string(n) +
                                    " is too large for one vector of its square");
    }
    if (count < 2) {
        return;
    }
    if (!std::has_single_bit(n)) {
        throw std::invalid_argument("CosineFFT: tile side " + std::to_string(n) +
                                    " is not a power of two");
    }
    CheckData(data, "CosineFFT");
    const CosinePlan& plan = PlanFor(count, direction);
    // The kernels work on the tile itself.
    const PointerBinding bound(Buffer, data);
    CosineKernel<double>::Cosine(Buffer, plan);
}
