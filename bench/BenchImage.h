#pragma once

#include <cstdint>
#include <vector>

// A photograph-like colour image for the benchmarks: shading, an edge and noise in every
// channel, scaled so that every side shows the same scene. Pixels 0xFFRRGGBB, row-major.
std::vector<std::uint32_t> PhotoLikeImage(std::int32_t side, unsigned variant = 7);
