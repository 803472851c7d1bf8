#include "Transform.h"

#include <ostream>
#include <stdexcept>

void Transform::Threshold(double* data, std::uint32_t n, double x) {
    thresholder.Run(data, std::size_t{n} * n, x, scratch, KeptPercent);
}

void Transform::WriteCoefficients(const double* data, std::uint32_t count, std::ostream& out) {
    if (data == nullptr && count != 0) {
        throw std::invalid_argument("WriteCoefficients: data is null");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        out << data[i] << '\t';
    }
}

void Transform::ReleaseScratch() {
    scratch.Release();
    thresholder.Release();
    cosinePlans[0].reset();
    cosinePlans[1].reset();
}

double* Transform::Scratch(std::size_t count) {
    return scratch.Take(count);
}
