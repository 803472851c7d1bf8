#pragma once

#include "Transform.h"
#include "WaveletLevels.h"

#include <array>
#include <cstddef>
#include <cstdint>

// One periodic Daubechies-4 filter step over the tile taken as one vector of n * n values: the
// first half becomes the smooth outputs, the second half the details. Fewer than four values
// are left unchanged; an odd count of four or more throws std::invalid_argument.
// SetLevels repeats the step on the smooth half, level after level, while that half has an even
// length of at least 4: a line of 144 values steps at 144, 72, 36 and 18.
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

    // The levels Forward and Inverse go through (WaveletLevels.h); one at first.
    void SetLevels(int levels) {
        this->levels = CheckedLevels(levels, "Daubechies4DWT::SetLevels");
    }
    int Levels() const { return levels; }

protected:
    // The lengths a line of length (even, or below 4) steps at, longest first, for levels.
    struct LevelLengths {
        std::array<std::uint32_t, 32> Lengths{};
        std::size_t Count = 0;
    };
    static LevelLengths StepLengths(std::uint32_t length, int levels);

    // The same step on data[0 .. length - 1] in place (0-based), with details holding
    // length / 2 doubles of scratch: the same operations in the same order as FilterOutputs.
    // length must be 4 or more and even.
    static void StepInPlace(double* data, std::uint32_t length, std::int8_t direction,
                            double* details);
    // Every step of lengths on data in place, longest first forward, shortest first back.
    static void StepLevels(double* data, const LevelLengths& lengths, std::int8_t direction,
                           double* details);

    // The step's outputs for a[1 .. length] written to out[0 .. length - 1], a separate array,
    // so that callers can allocate everything before they change a tile and can write the
    // outputs straight to where they belong. length must be 4 or more and even.
    static void FilterOutputs(const double* a, std::uint32_t length, std::int8_t direction,
                              double* out);

private:
    int levels = 1;
};
