#include "Daubechies4DWT.h"

#include "PointerBinding.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

void Daubechies4DWT::FilterStep(double* a, std::uint32_t length, std::int8_t direction) {
    if (length < 4) {
        return;
    }
    // An odd line has no wrap-around pair: the step would leave outputs unwritten.
    if (length % 2 != 0) {
        throw std::invalid_argument("Daubechies4DWT::FilterStep: length " + std::to_string(length) +
                                    " is odd");
    }
    if (a == nullptr) {
        throw std::invalid_argument("Daubechies4DWT::FilterStep: data is null");
    }
    const auto w = std::make_unique_for_overwrite<double[]>(length);
    FilterOutputs(a, length, direction, w.get());
    std::copy(w.get(), w.get() + length, a + 1);
}

// out[i - 1] receives the output that the 1-based step names w[i].
void Daubechies4DWT::FilterOutputs(const double* a, std::uint32_t length, std::int8_t direction,
                                   double* out) {
    const std::size_t L = length;
    const std::size_t h = L / 2;
    if (direction == 1) {
        std::size_t i = 1;
        for (std::size_t j = 1; j + 3 <= L; j += 2, ++i) {
            out[i - 1] = C0 * a[j] + C1 * a[j + 1] + C2 * a[j + 2] + C3 * a[j + 3];
            out[h + i - 1] = C3 * a[j] - C2 * a[j + 1] + C1 * a[j + 2] - C0 * a[j + 3];
        }
        out[i - 1] = C0 * a[L - 1] + C1 * a[L] + C2 * a[1] + C3 * a[2];
        out[h + i - 1] = C3 * a[L - 1] - C2 * a[L] + C1 * a[1] - C0 * a[2];
    } else {
        out[0] = C2 * a[h] + C1 * a[L] + C0 * a[1] + C3 * a[h + 1];
        out[1] = C3 * a[h] - C0 * a[L] + C1 * a[1] - C2 * a[h + 1];
        for (std::size_t i = 1; i < h; ++i) {
            const std::size_t j = 2 * i + 1;
            out[j - 1] = C2 * a[i] + C1 * a[i + h] + C0 * a[i + 1] + C3 * a[i + h + 1];
            out[j] = C3 * a[i] - C0 * a[i + h] + C1 * a[i + 1] - C2 * a[i + h + 1];
        }
    }
}

namespace {

// Returns the vector length n * n after checking that FilterStep can take it.
std::uint32_t VectorLength(const double* data, std::uint32_t n) {
    const std::uint64_t count = std::uint64_t{n} * n;
    if (count > std::numeric_limits<std::uint32_t>::max()) {
        throw std::invalid_argument("Daubechies4DWT: tile side " + std::to_string(n) +
                                    " is too large for one vector of its square");
    }
    if (count >= 4 && count % 2 != 0) {
        throw std::invalid_argument("Daubechies4DWT: tile side " + std::to_string(n) + " is odd");
    }
    if (data == nullptr && count != 0) {
        throw std::invalid_argument("Daubechies4DWT: data is null");
    }
    return static_cast<std::uint32_t>(count);
}

} // namespace

void Daubechies4DWT::StepInPlace(double* data, std::uint32_t length, std::int8_t direction,
                                 double* details) {
    const std::size_t L = length;
    const std::size_t h = L / 2;
    if (direction == 1) {
        // Smooth output k replaces data[k] once pair k is read; every value it replaces was read
        // by an earlier pair, except the first two, which the last pair wraps round to.
        const double first = data[0];
        const double second = data[1];
        for (std::size_t k = 0; k + 1 < h; ++k) {
            const double* a = data + 2 * k;
            const double a0 = a[0];
            const double a1 = a[1];
            const double a2 = a[2];
            const double a3 = a[3];
            data[k] = C0 * a0 + C1 * a1 + C2 * a2 + C3 * a3;
            details[k] = C3 * a0 - C2 * a1 + C1 * a2 - C0 * a3;
        }
        const double a0 = data[L - 2];
        const double a1 = data[L - 1];
        data[h - 1] = C0 * a0 + C1 * a1 + C2 * first + C3 * second;
        details[h - 1] = C3 * a0 - C2 * a1 + C1 * first - C0 * second;
        std::copy(details, details + h, data + h);
        return;
    }
    // The details wait apart, and the outputs are written from the top down: pair i goes to 2i
    // and 2i + 1, above the smooth values still to be read, except the last smooth value, which
    // the first pair wraps round to.
    std::copy(data + h, data + L, details);
    const double lastSmooth = data[h - 1];
    for (std::size_t i = h - 1; i > 0; --i) {
        const double s0 = data[i - 1];
        const double s1 = data[i];
        const double d0 = details[i - 1];
        const double d1 = details[i];
        data[2 * i] = C2 * s0 + C1 * d0 + C0 * s1 + C3 * d1;
        data[2 * i + 1] = C3 * s0 - C0 * d0 + C1 * s1 - C2 * d1;
    }
    const double s1 = data[0];
    data[0] = C2 * lastSmooth + C1 * details[h - 1] + C0 * s1 + C3 * details[0];
    data[1] = C3 * lastSmooth - C0 * details[h - 1] + C1 * s1 - C2 * details[0];
}

Daubechies4DWT::LevelLengths Daubechies4DWT::StepLengths(std::uint32_t length, int levels) {
    LevelLengths lengths;
    for (std::uint32_t len = length;
         len >= 4 && len % 2 == 0 && MoreLevels(levels, static_cast<int>(lengths.Count));
         len /= 2) {
        lengths.Lengths[lengths.Count++] = len;
    }
    return lengths;
}

void Daubechies4DWT::StepLevels(double* data, const LevelLengths& lengths, std::int8_t direction,
                                double* details) {
    for (std::size_t i = 0; i < lengths.Count; ++i) {
        const std::uint32_t len = lengths.Lengths[direction == 1 ? i : lengths.Count - 1 - i];
        StepInPlace(data, len, direction, details);
    }
}

void Daubechies4DWT::Forward(double* data, std::uint32_t n) {
    const std::uint32_t length = VectorLength(data, n);
    if (length < 4) {
        return;
    }
    // The step works on the tile itself: only the details need room of their own, half the tile
    // where a copy of it would need all.
    double* details = Scratch(length / 2);
    const PointerBinding bound(Buffer, data);
    StepLevels(Buffer, StepLengths(length, levels), 1, details);
}

void Daubechies4DWT::Inverse(double* data, std::uint32_t n) {
    const std::uint32_t length = VectorLength(data, n);
    if (length < 4) {
        return;
    }
    double* details = Scratch(length / 2);
    const PointerBinding bound(Buffer, data);
    StepLevels(Buffer, StepLengths(length, levels), -1, details);
}
