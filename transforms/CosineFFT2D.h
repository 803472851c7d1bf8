#pragma once

#include "CosineFFT.h"

#include <cstdint>

// The cosine transform of every row and then every column of the tile; Inverse undoes the
// columns first. Sides 0 and 1 leave the tile unchanged; other sides must be powers of two.
class CosineFFT2D : public CosineFFT {
public:
    void Forward(double* data, std::uint32_t n) override;
    void Inverse(double* data, std::uint32_t n) override;
};
