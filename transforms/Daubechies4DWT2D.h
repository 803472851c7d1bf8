#pragma once

#include "Daubechies4DWT.h"

#include <cstdint>

// One Daubechies-4 filter step on every row and then every column of the tile; Inverse undoes
// the columns first. Sides below 4 leave the tile unchanged; odd sides of 4 or more throw
// std::invalid_argument. With SetLevels, every row goes through its levels, then every column.
class Daubechies4DWT2D : public Daubechies4DWT {
public:
    void Forward(double* data, std::uint32_t n) override;
    void Inverse(double* data, std::uint32_t n) override;

private:
    void Levels2D(double* data, std::uint32_t n, std::int8_t direction);
};
