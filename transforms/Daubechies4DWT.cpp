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

void Daubechies4DWT::Forward(double* data, std::uint32_t n) {
    const std::uint32_t length = VectorLength(data, n);
    if (length < 4) {
        return;
    }
    const PointerBinding bound(Buffer, Scratch(std::size_t{length} + 1));
    std::copy(data, data + length, Buffer + 1);
    // The outputs go straight back to the tile: the same values as stepping Buffer in place
    // and copying it back, without a second scratch array.
    FilterOutputs(Buffer, length, 1, data);
}

void Daubechies4DWT::Inverse(double* data, std::uint32_t n) {
    const std::uint32_t length = VectorLength(data, n);
    if (length < 4) {
        return;
    }
    const PointerBinding bound(Buffer, Scratch(std::size_t{length} + 1));
    std::copy(data, data + length, Buffer + 1);
    FilterOutputs(Buffer, length, -1, data);
}
