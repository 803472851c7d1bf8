#pragma once

#include <cstdint>
#include <vector>

class CoefficientMap;

// Which of a coefficient map's channels an image shows: one of the three, or Largest, at every
// entry the largest of the three magnitudes, marked zeroed when the rule zeroed it in at least
// one channel and no channel keeps a non-zero coefficient there (what the page loses there).
enum class CoefficientChannel : std::uint8_t { Red, Green, Blue, Largest };

// Where the rule zeroed a coefficient: a clear blue, unlike any grey.
inline constexpr std::uint32_t ZeroedCoefficientColor = 0xFF2060FFu;
// The strips beyond the last whole tile, which hold no coefficients: transparent.
inline constexpr std::uint32_t UncoveredColor = 0x00000000u;

// The map as Side x Side pixels 0xAARRGGBB, pixel (x, y) at y * Side + x. A magnitude m shows as
// the opaque grey round(255 (log10 m - log10 s) / (log10 l - log10 s)), s and l the smallest
// non-zero and the largest magnitude of the whole map (all three channels, zeroed ones too, so
// that every channel and every error fraction share one scale): s is black, l white, and when
// they are equal every non-zero magnitude is white. Exact zeros are black; zeroed entries
// ZeroedCoefficientColor, uncovered ones UncoveredColor.
std::vector<std::uint32_t> RenderCoefficients(const CoefficientMap& map, CoefficientChannel which);
