#pragma once

#include "Transform.h"

#include <cstdint>

// One periodic Daubechies-4 filter step over the tile taken as one vector of n * n values: the
// first half becomes the smooth outputs, the second half the details. Fewer than four values
// are left unchanged; an odd count of four or more throws std::invalid_argument.
class Daubechies4DWT : public Transform {
public:
    // The filter taps as 16-digit decimals. C0 and C3 are each one unit in the last place away
    // from the doubles nearest the exact (1 +- sqrt 3) / (4 sqrt 2) expressions; the
    // coefficients depend on exactly these values.
    static constexpr double C0 = 0.4829629131445341;
    static constexpr double C1 = 0.8365163037378079;
    static constexpr double C2 = 0.2241438680420134;
    static constexpr double C3 = -0.1294095225512604;

    void Forward(double* data, std::uint32_t n) override;
    void Inverse(double* data, std::uint32_t n) override;

    // One filter step on a[1 .. length], a[0] untouched; direction 1 is forward, any other value
    // the inverse. A length below 4 is left unchanged; an odd length of 4 or more throws
    // std::invalid_argument.
    static void FilterStep(double* a, std::uint32_t length, std::int8_t direction);

protected:
    // The step's outputs for a[1 .. length] written to out[0 .. length - 1], a separate array,
    // so that callers can allocate everything before they change a tile and can write the
    // outputs straight to where they belong. length must be 4 or more and even.
    static void FilterOutputs(const double* a, std::uint32_t length, std::int8_t direction,
                              double* out);

private:
    // The same step on data[0 .. length - 1] in place (0-based), with details holding
    // length / 2 doubles of scratch: the same operations in the same order as FilterOutputs.
    // length must be 4 or more and even.
    static void StepInPlace(double* data, std::uint32_t length, std::int8_t direction,
                            double* details);
};
