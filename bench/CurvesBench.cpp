#include "Bjontegaard.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

// Six curves of fifteen points, shaped like a sweep's: PSNR rising with the log of the kept share.
std::vector<std::vector<RdPoint>> SweepCurves() {
    const std::array<double, 15> rates = {0.01, 0.05, 0.2,  0.6,  1.5,  3.0,  5.0,  8.0,
                                          12.0, 18.0, 26.0, 37.0, 52.0, 75.0, 100.0};
    std::vector<std::vector<RdPoint>> curves(6);
    for (std::size_t k = 0; k < curves.size(); ++k) {
        for (double rate : rates) {
            const double l = std::log(rate * (0.6 + 0.15 * static_cast<double>(k)));
            curves[k].push_back({rate, 28.0 + 3.2 * l + 0.06 * l * l * l});
        }
    }
    return curves;
}

// What the Curves tab computes after a sweep: every transform against the reference, by one
// method.
void BdTableOfASweep(benchmark::State& state) {
    const auto method = static_cast<BdMethod>(state.range(0));
    const auto curves = SweepCurves();
    for (auto _ : state) {
        for (const auto& curve : curves) {
            BdFigures f = Bjontegaard(curves[3], curve, method);
            benchmark::DoNotOptimize(f);
        }
    }
}

} // namespace

BENCHMARK(BdTableOfASweep)
    ->Arg(static_cast<int>(BdMethod::CubicFit))
    ->Arg(static_cast<int>(BdMethod::PiecewiseCubic))
    ->Unit(benchmark::kMicrosecond);
