#include "RenderCoefficients.h"

#include "CoefficientMap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>

namespace {

std::uint32_t Grey(std::uint32_t level) {
    return 0xFF000000u | level << 16 | level << 8 | level;
}

} // namespace

std::vector<std::uint32_t> RenderCoefficients(const CoefficientMap& map, CoefficientChannel which) {
    if (which > CoefficientChannel::Largest) {
        throw std::invalid_argument("RenderCoefficients: no channel " +
                                    std::to_string(static_cast<int>(which)));
    }
    const auto side = static_cast<std::size_t>(map.Side());
    const auto covered = static_cast<std::size_t>(map.Covered());
    std::vector<std::uint32_t> pixels(side * side, UncoveredColor);

    const double lowest =
        map.SmallestMagnitude() > 0.0F ? std::log10(map.SmallestMagnitude()) : 0.0;
    const double range =
        map.LargestMagnitude() > 0.0F ? std::log10(map.LargestMagnitude()) - lowest : 0.0;
    const auto level = [&](float magnitude) -> std::uint32_t {
        if (!(magnitude > 0.0F)) {
            return 0;
        }
        if (range <= 0.0) {
            return 255;
        }
        const double t = std::clamp((std::log10(magnitude) - lowest) / range, 0.0, 1.0);
        return static_cast<std::uint32_t>(std::lround(255.0 * t));
    };

    std::array<std::span<const float>, 3> magnitudes;
    std::array<std::span<const std::uint8_t>, 3> zeroed;
    for (std::size_t c = 0; c < 3; ++c) {
        magnitudes[c] = map.Magnitudes(c);
        zeroed[c] = map.Zeroed(c);
    }
    const auto one = static_cast<std::size_t>(which);
    for (std::size_t y = 0; y < covered; ++y) {
        for (std::size_t x = 0; x < covered; ++x) {
            const std::size_t at = y * side + x;
            float magnitude = 0.0F;
            bool marked = false;
            if (which != CoefficientChannel::Largest) {
                magnitude = magnitudes[one][at];
                marked = zeroed[one][at] != 0;
            } else {
                bool anyZeroed = false;
                bool anyKept = false;
                for (std::size_t c = 0; c < 3; ++c) {
                    magnitude = std::max(magnitude, magnitudes[c][at]);
                    anyZeroed = anyZeroed || zeroed[c][at] != 0;
                    anyKept = anyKept || (zeroed[c][at] == 0 && magnitudes[c][at] != 0.0F);
                }
                marked = anyZeroed && !anyKept;
            }
            pixels[at] = marked ? ZeroedCoefficientColor : Grey(level(magnitude));
        }
    }
    return pixels;
}
