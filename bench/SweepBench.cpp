// A whole rate-distortion sweep (the six kinds at the window's fifteen errors) of a photograph-
// like image at the sides 256 and 1024 and several tile counts, on every core; and, for the
// ratio, the same ninety points as separate conversions at 256.

#include "BenchImage.h"
#include "ConversionFigures.h"
#include "ConvertImage.h"
#include "ParallelFor.h"
#include "Sweep.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

void WholeSweep(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint32_t> pixels = PhotoLikeImage(side);
    SweepSettings settings;
    settings.Side = side;
    settings.TileCount = static_cast<std::int32_t>(state.range(1));
    const Sweep sweep(settings);
    for (auto _ : state) {
        benchmark::DoNotOptimize(sweep.Run(RgbView{pixels.data(), side, side, side}, 0));
    }
    state.counters["points"] = static_cast<double>(sweep.PointCount());
    state.counters["threads"] = static_cast<double>(HardwareThreads());
}
BENCHMARK(WholeSweep)
    ->ArgNames({"side", "tiles"})
    ->Args({256, 1})
    ->Args({256, 8})
    ->Args({256, 32})
    ->Args({1024, 1})
    ->Args({1024, 8})
    ->Args({1024, 32})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void SeparateConversions(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint32_t> pixels = PhotoLikeImage(side);
    const RgbView image{pixels.data(), side, side, side};
    for (auto _ : state) {
        for (const auto& info : TransformKinds()) {
            for (double percent : WindowErrorPercents) {
                ConversionSettings settings;
                settings.Side = side;
                settings.TileCount = static_cast<std::int32_t>(state.range(1));
                settings.ErrorFraction = ErrorFractionOfPercent(percent);
                benchmark::DoNotOptimize(
                    ConvertImage(image, info.Kind, settings, HardwareThreads()));
            }
        }
    }
}
BENCHMARK(SeparateConversions)
    ->ArgNames({"side", "tiles"})
    ->Args({256, 1})
    ->Args({256, 8})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
