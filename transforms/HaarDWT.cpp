#include "HaarDWT.h"

#include "PointerBinding.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

void CheckLength(int len, const char* where) {
    if (len < 0 || (len > 0 && !std::has_single_bit(static_cast<unsigned>(len)))) {
        throw std::invalid_argument(std::string(where) + ": length " + std::to_string(len) +
                                    " is not 0 or a power of two");
    }
}

void CheckStep(std::uint32_t len, const char* where) {
    if (len % 2 != 0) {
        throw std::invalid_argument(std::string(where) + ": length " + std::to_string(len) +
                                    " is odd");
    }
}

} // namespace

// The sums go straight to the front of Buffer: sum i is written after pair i is read, and
// every value it replaces was read by an earlier pair. Only the differences wait in Temp.
void HaarDWT::ForwardStep(std::uint32_t len) {
    CheckStep(len, "HaarDWT::ForwardStep");
    const std::size_t h = len / 2;
    for (std::size_t i = 0; i < h; ++i) {
        const double a = Buffer[2 * i];
        const double b = Buffer[2 * i + 1];
        Buffer[i] = (a + b) * K;
        Temp[i] = (a - b) * K;
    }
    std::copy(Temp, Temp + h, Buffer + h);
}

// The differences wait in Temp, and the pairs are written from the top down: pair i goes to
// 2i and 2i + 1, above every sum still to be read.
void HaarDWT::InverseStep(std::uint32_t len) {
    CheckStep(len, "HaarDWT::InverseStep");
    const std::size_t h = len / 2;
    std::copy(Buffer + h, Buffer + len, Temp);
    for (std::size_t i = h; i-- > 0;) {
        const double sum = Buffer[i];
        Buffer[2 * i] = (sum + Temp[i]) * K;
        Buffer[2 * i + 1] = (sum - Temp[i]) * K;
    }
}

void HaarDWT::ForwardAll(int len) {
    CheckLength(len, "HaarDWT::ForwardAll");
    for (auto level = static_cast<std::uint32_t>(len); level > 1; level /= 2) {
        ForwardStep(level);
    }
}

void HaarDWT::InverseAll(int len) {
    CheckLength(len, "HaarDWT::InverseAll");
    // Counted in 64 bits: doubling past the largest int power of two must not overflow.
    for (std::uint64_t level = 2; level <= static_cast<std::uint64_t>(len); level *= 2) {
        InverseStep(static_cast<std::uint32_t>(level));
    }
}

void HaarDWT::ForwardLevels(int len) {
    if (levels == AllLevels) {
        ForwardAll(len);
        return;
    }
    CheckLength(len, "HaarDWT::ForwardLevels");
    int steps = 0;
    for (auto level = static_cast<std::uint32_t>(len); level > 1 && MoreLevels(levels, steps);
         level /= 2, ++steps) {
        ForwardStep(level);
    }
}

void HaarDWT::InverseLevels(int len) {
    if (levels == AllLevels) {
        InverseAll(len);
        return;
    }
    CheckLength(len, "HaarDWT::InverseLevels");
    // The shortest segment Forward stepped, then up to the whole line.
    std::uint64_t shortest = static_cast<std::uint64_t>(len);
    for (int steps = 1; shortest > 2 && steps < levels; ++steps) {
        shortest /= 2;
    }
    for (std::uint64_t level = shortest; level >= 2 && level <= static_cast<std::uint64_t>(len);
         level *= 2) {
        InverseStep(static_cast<std::uint32_t>(level));
    }
}

namespace {

// Returns the vector length n * n after checking that it is one ForwardAll accepts.
int VectorLength(const double* data, std::uint32_t n) {
    const std::uint64_t count = std::uint64_t{n} * n;
    if (count > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
        throw std::invalid_argument("HaarDWT: tile side " + std::to_string(n) +
                                    " is too large for one vector of its square");
    }
    if (n > 1 && !std::has_single_bit(n)) {
        throw std::invalid_argument("HaarDWT: tile side " + std::to_string(n) +
                                    " is not a power of two");
    }
    if (data == nullptr && n != 0) {
        throw std::invalid_argument("HaarDWT: data is null");
    }
    return static_cast<int>(count);
}

} // namespace

void HaarDWT::Forward(double* data, std::uint32_t n) {
    const int length = VectorLength(data, n);
    if (length < 2) {
        return;
    }
    // Temp first: the tile itself is the working array, so nothing may fail once it is bound.
    const PointerBinding boundTemp(Temp, Scratch(static_cast<std::size_t>(length) / 2));
    const PointerBinding boundBuffer(Buffer, data);
    ForwardLevels(length);
}

void HaarDWT::Inverse(double* data, std::uint32_t n) {
    const int length = VectorLength(data, n);
    if (length < 2) {
        return;
    }
    const PointerBinding boundTemp(Temp, Scratch(static_cast<std::size_t>(length) / 2));
    const PointerBinding boundBuffer(Buffer, data);
    InverseLevels(length);
}
