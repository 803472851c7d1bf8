#include "ColorMap.h"

#include <algorithm>
#include <array>
#include <cmath>

QColor Viridis(double t) {
    // Matplotlib's viridis at 0, 0.1, ..., 1; linear between them.
    static constexpr std::array<std::array<int, 3>, 11> Stops = {{{68, 1, 84},
                                                                  {72, 36, 117},
                                                                  {65, 68, 135},
                                                                  {53, 95, 141},
                                                                  {42, 120, 142},
                                                                  {33, 145, 140},
                                                                  {34, 168, 132},
                                                                  {68, 191, 112},
                                                                  {122, 209, 81},
                                                                  {189, 223, 38},
                                                                  {253, 231, 37}}};
    if (!(t >= 0.0)) {
        t = 0.0;
    }
    t = std::min(t, 1.0) * 10.0;
    const int i = std::min(static_cast<int>(t), 9);
    const double f = t - i;
    const auto mix = [&](int c) {
        return static_cast<int>(std::lround(Stops[i][c] + f * (Stops[i + 1][c] - Stops[i][c])));
    };
    return QColor(mix(0), mix(1), mix(2));
}
