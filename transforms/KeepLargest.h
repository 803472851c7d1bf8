#pragma once

#include <cstddef>
#include <cstdint>

// The kept-share rule of a tile: of its count coefficients exactly keep survive, those of the
// largest magnitudes in rank (a NaN ranks above every other magnitude); where several share the
// smallest magnitude kept, those at the lower positions survive. The others become 0.0 in data.
// rank may be data itself, or another array of count values (the coefficients scaled) that
// decides for data. keys must hold count values of scratch. Throws std::invalid_argument for a
// null array while count is above 0.
void KeepLargest(const double* rank, double* data, std::size_t count, std::size_t keep,
                 std::uint64_t* keys);

// How many of count coefficients a kept share of percent keeps: floor(percent count / 100 + 0.5),
// between 0 and count. Throws std::invalid_argument for a NaN percent.
std::size_t KeptCount(double percent, std::size_t count);
