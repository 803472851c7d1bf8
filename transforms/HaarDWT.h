#pragma once

#include "Transform.h"
#include "WaveletLevels.h"

#include <cstdint>

// Complete Haar decomposition of the tile taken as one vector of n * n values: each level
// replaces a segment by its scaled pair sums followed by its scaled pair differences, down to a
// single value. Tile sides must be 0 or powers of two whose square fits an int. SetLevels stops
// the decomposition after fewer levels; every level otherwise.
class HaarDWT : public Transform {
public:
    // The scale of every sum and difference in both directions. It is one unit in the last place
    // below the double nearest 1/sqrt(2), and the coefficients depend on exactly this value.
    static constexpr double K = 0.7071067811865475;

    void Forward(double* data, std::uint32_t n) override;
    void Inverse(double* data, std::uint32_t n) override;

    // One level on Buffer[0 .. len - 1] through Temp[0 .. len / 2 - 1]; Buffer must hold len
    // doubles and Temp len / 2. An odd len has an unpaired value and throws
    // std::invalid_argument.
    virtual void ForwardStep(std::uint32_t len);
    virtual void InverseStep(std::uint32_t len);

    // All levels on Buffer[0 .. len - 1]. len must be 0 or a power of two, else
    // std::invalid_argument: for other lengths the two directions visit different levels.
    virtual void ForwardAll(int len);
    virtual void InverseAll(int len);

    // The levels Forward and Inverse go through (WaveletLevels.h); AllLevels at first.
    void SetLevels(int levels) { this->levels = CheckedLevels(levels, "HaarDWT::SetLevels"); }
    int Levels() const { return levels; }

    // Scratch of the level steps; meaningless between calls.
    double* Temp = nullptr;

protected:
    // Buffer[0 .. len - 1] through the levels set, len 0 or a power of two: ForwardAll and
    // InverseAll for every level, else the first Levels() of their steps.
    void ForwardLevels(int len);
    void InverseLevels(int len);

private:
    int levels = AllLevels;
};
