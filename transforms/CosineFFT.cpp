#include "CosineFFT.h"

#include "PointerBinding.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

constexpr double TwoPi = 6.283185307179586;
constexpr double Pi = 3.141592653589793;
constexpr double HalfPi = 1.5707963267948966;

// Turns (wr, wi) by the angle whose recurrence constants are wpr = -2 sin^2(a/2), wpi = sin a.
inline void Rotate(double& wr, double& wi, double wpr, double wpi) {
    const double wtemp = wr;
    wr = wr * wpr - wi * wpi + wr;
    wi = wi * wpr + wtemp * wpi + wi;
}

void CheckData(const double* data, const char* where) {
    if (data == nullptr) {
        throw std::invalid_argument(std::string(where) + ": data is null");
    }
}

} // namespace

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
    const std::size_t n = 2 * std::size_t{nn};

    std::size_t j = 1;
    for (std::size_t i = 1; i < n; i += 2) {
        if (j > i) {
            std::swap(data[j], data[i]);
            std::swap(data[j + 1], data[i + 1]);
        }
        std::size_t m = n / 2;
        while (m >= 2 && j > m) {
            j -= m;
            m /= 2;
        }
        j += m;
    }

    std::size_t mmax = 2;
    while (n > mmax) {
        const std::size_t istep = 2 * mmax;
        const double theta = (TwoPi / static_cast<double>(mmax)) * direction;
        const double wtemp = std::sin(theta / 2.0);
        const double wpr = -2.0 * wtemp * wtemp;
        const double wpi = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        for (std::size_t m = 1; m < mmax; m += 2) {
            for (std::size_t i = m; i <= n; i += istep) {
                const std::size_t k = i + mmax;
                const double tempr = wr * data[k] - wi * data[k + 1];
                const double tempi = wr * data[k + 1] + wi * data[k];
                data[k] = data[i] - tempr;
                data[k + 1] = data[i + 1] - tempi;
                data[i] = data[i] + tempr;
                data[i + 1] = data[i + 1] + tempi;
            }
            Rotate(wr, wi, wpr, wpi);
        }
        mmax = istep;
    }
}

void CosineFFT::RealFFT(double* data, std::uint32_t n, std::int8_t direction) {
    if (n < 2 || !std::has_single_bit(n)) {
        throw std::invalid_argument("RealFFT: length " + std::to_string(n) +
                                    " is not a power of two of at least 2");
    }
    CheckData(data, "RealFFT");
    // Every direction but 1 is the inverse, so the complex kernel gets a proper -1.
    const bool forward = direction == 1;
    const double c1 = 0.5;
    double c2 = 0.5;
    double theta = Pi / static_cast<double>(n / 2);
    if (forward) {
        c2 = -0.5;
        ComplexFFT(data, n / 2, 1);
    } else {
        theta = -theta;
    }
    const double wtemp = std::sin(theta / 2.0);
    const double wpr = -2.0 * wtemp * wtemp;
    const double wpi = std::sin(theta);
    double wr = 1.0 + wpr;
    double wi = wpi;
    const std::size_t np3 = std::size_t{n} + 3;
    for (std::size_t i = 2; i <= n / 4; ++i) {
        const std::size_t i1 = 2 * i - 1;
        const std::size_t i2 = i1 + 1;
        const std::size_t i3 = np3 - i2;
        const std::size_t i4 = i3 + 1;
        const double h1r = c1 * (data[i1] + data[i3]);
        const double h1i = c1 * (data[i2] - data[i4]);
        const double h2r = -c2 * (data[i2] + data[i4]);
        const double h2i = c2 * (data[i1] - data[i3]);
        data[i1] = h1r + wr * h2r - wi * h2i;
        data[i2] = h1i + wr * h2i + wi * h2r;
        data[i3] = h1r - wr * h2r + wi * h2i;
        data[i4] = -h1i + wr * h2i + wi * h2r;
        Rotate(wr, wi, wpr, wpi);
    }
    const double h1r = data[1];
    if (forward) {
        data[1] = h1r + data[2];
        data[2] = h1r - data[2];
    } else {
        data[1] = c1 * (h1r + data[2]);
        data[2] = c1 * (h1r - data[2]);
        ComplexFFT(data, n / 2, -1);
    }
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
    const std::size_t len = n;
    const double theta = HalfPi / static_cast<double>(n);
    double wr1 = std::cos(theta);
    double wi1 = std::sin(theta);
    const double wpr = -2.0 * wi1 * wi1;
    const double wpi = std::sin(2.0 * theta);
    double wr = 1.0;
    double wi = 0.0;

    if (direction == 1) {
        for (std::size_t i = 1; i <= len / 2; ++i) {
            const double a = y[i];
            const double b = y[len - i + 1];
            const double p = 0.5 * (a + b);
            const double q = wi1 * (a - b);
            y[i] = p + q;
            y[len - i + 1] = p - q;
            Rotate(wr1, wi1, wpr, wpi);
        }
        RealFFT(y, n, 1);
        for (std::size_t i = 3; i <= len; i += 2) {
            Rotate(wr, wi, wpr, wpi);
            const double p = y[i] * wr - y[i + 1] * wi;
            const double q = y[i + 1] * wr + y[i] * wi;
            y[i] = p;
            y[i + 1] = q;
        }
        double sum = 0.5 * y[2];
        for (std::size_t i = len; i >= 2; i -= 2) {
            const double old = sum;
            sum = sum + y[i];
            y[i] = old;
        }
        return;
    }

    const double last = y[len];
    for (std::size_t i = len; i >= 4; i -= 2) {
        y[i] = y[i - 2] - y[i];
    }
    y[2] = 2.0 * last;
    for (std::size_t i = 3; i <= len; i += 2) {
        Rotate(wr, wi, wpr, wpi);
        const double p = y[i] * wr + y[i + 1] * wi;
        const double q = y[i + 1] * wr - y[i] * wi;
        y[i] = p;
        y[i + 1] = q;
    }
    RealFFT(y, n, direction);
    for (std::size_t i = 1; i <= len / 2; ++i) {
        const double a = y[i];
        const double b = y[len - i + 1];
        const double p = a + b;
        const double q = (0.5 / wi1) * (a - b);
        y[i] = 0.5 * (p + q);
        y[len - i + 1] = 0.5 * (p - q);
        Rotate(wr1, wi1, wpr, wpi);
    }
    const double scale = 2.0 / static_cast<double>(n);
    for (std::size_t i = 1; i <= len; ++i) {
        y[i] = scale * y[i];
    }
}

void CosineFFT::Forward(double* data, std::uint32_t n) {
    TransformTile(data, n, 1);
}

void CosineFFT::Inverse(double* data, std::uint32_t n) {
    TransformTile(data, n, -1);
}

void CosineFFT::TransformTile(double* data, std::uint32_t n, std::int8_t direction) {
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
    const auto scratch = std::make_unique_for_overwrite<double[]>(count + 1);
    const PointerBinding bound(Buffer, scratch.get());
    std::copy(data, data + count, Buffer + 1);
    CosineTransform(Buffer, static_cast<std::uint32_t>(count), direction);
    std::copy(Buffer + 1, Buffer + 1 + count, data);
}
