#include "BenchImage.h"

#include <algorithm>
#include <cmath>
#include <random>

std::vector<std::uint32_t> PhotoLikeImage(std::int32_t side, unsigned variant) {
    std::mt19937 generator(variant);
    std::uniform_int_distribution<int> noise(-8, 8);
    std::vector<std::uint32_t> pixels(std::size_t(side) * side);
    const double scale = 256.0 / side;
    for (std::int32_t y = 0; y < side; ++y) {
        for (std::int32_t x = 0; x < side; ++x) {
            std::uint32_t pixel = 0xFF;
            for (int c = 0; c < 3; ++c) {
                const double u = x * scale;
                const double v = y * scale;
                const double shade = 120.0 + 70.0 * std::sin(u / 19.0 + c) * std::cos(v / 29.0) +
                                     (u + v > 300.0 ? 40.0 : 0.0);
                pixel = pixel << 8 | static_cast<std::uint32_t>(std::clamp(
                                         static_cast<int>(shade) + noise(generator), 0, 255));
            }
            pixels[std::size_t(y) * side + x] = pixel;
        }
    }
    return pixels;
}
