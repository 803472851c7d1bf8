#pragma once

#include "Transform.h"

#include <cstddef>
#include <cstdint>

// Unnormalised DCT-II of the whole tile taken as one vector of n * n values, computed through a
// real FFT of the same length; Inverse scales by 2/N so that it undoes Forward.
//
// The kernels work on 1-based arrays: a kernel of length L reads and writes elements 1 .. L of
// the array it is given, never element 0. Twiddle factors advance by a trigonometric recurrence,
// so every figure they produce is fixed by the order of the arithmetic written in CosinePlan and
// CosineKernel; CosinePlan keeps them per length and direction, shared by all objects.
class CosineFFT : public Transform {
public:
    // Sides 0 and 1 leave the tile unchanged. Other sides must be powers of two whose square
    // fits 32 bits; anything else throws std::invalid_argument before the tile is touched.
    void Forward(double* data, std::uint32_t n) override;
    void Inverse(double* data, std::uint32_t n) override;

    // Radix-2 FFT of nn complex values interleaved in data[1 .. 2 * nn]; direction 1 uses the
    // exponent e^(+2 pi i jk / nn), -1 the negative one, with no scaling. nn must be a power of
    // two and direction 1 or -1, else std::invalid_argument.
    static void ComplexFFT(double* data, std::uint32_t nn, std::int8_t direction);

    // FFT of n real values in data[1 .. n] (n a power of two, at least 2, else
    // std::invalid_argument). Direction 1 packs the spectrum as F_0, F_(n/2), then the real and
    // imaginary parts of F_1 .. F_(n/2 - 1); any other direction undoes that, times n/2.
    static void RealFFT(double* data, std::uint32_t n, std::int8_t direction);

    // DCT-II of y[1 .. n] for direction 1; any other direction is its inverse, scaled by 2/n.
    // Fewer than two values are their own transform and are left unchanged; other lengths must
    // be powers of two, else std::invalid_argument before anything changes.
    static void CosineTransform(double* y, std::uint32_t n, std::int8_t direction);

protected:
    // The plan of this length and direction, kept by the object from call to call.
    const CosinePlan& PlanFor(std::size_t length, int direction);

private:
    void TransformTile(double* data, std::uint32_t n, int direction);
};
