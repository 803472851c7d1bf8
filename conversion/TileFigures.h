#pragma once

#include <array>
#include <cstdint>

// What one tile of a conversion kept and how far its pixels moved: the kept percentage of each
// channel and their mean, the sum of the squared channel errors of its pixels inside the
// converted region and how many those are, and their mean squared error (NaN for a tile wholly
// outside the image).
struct TileFigures {
    double KeptPercent = 0.0;
    std::array<double, 3> ChannelKept{};
    double Mse = 0.0;
    std::uint64_t SquaredErrors = 0;
    std::int64_t Pixels = 0;
};
