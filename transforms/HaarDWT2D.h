#pragma once

#include "HaarDWT.h"

#include <cstdint>

// Complete Haar decomposition of every row and then every column of the tile (each row through
// all its levels, then each column); Inverse undoes the columns first. Tile sides must be 0 or
// powers of two. SetLevels limits the levels of every line.
class HaarDWT2D : public HaarDWT {
public:
    void Forward(double* data, std::uint32_t n) override;
    void Inverse(double* data, std::uint32_t n) override;
};
