// Transformer::Run, the whole compression of one channel plane, for each
// transform class at the plane sides and tile counts the pages offer.

#include "Transformer.h"

#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"
#include "HaarDWT.h"
#include "HaarDWT2D.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

// Smooth shading and a few edges like a photograph, plus sensor-like noise,
// within 0..255.
std::vector<double> ImageLikePlane(std::size_t n) {
    std::mt19937 generator(2024);
    std::uniform_real_distribution<double> noise(-6.0, 6.0);
    std::vector<double> plane(n * n);
    const double scale = 256.0 / static_cast<double>(n);
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c) {
            const double x = static_cast<double>(r) * scale;
            const double y = static_cast<double>(c) * scale;
            double v = 110.0 + 60.0 * std::sin(x / 23.0) * std::cos(y / 37.0) + 0.2 * (x - y);
            if ((x - 128.0) * (x - 128.0) + (y - 100.0) * (y - 100.0) < 50.0 * 50.0) {
                v += 45.0;
            }
            plane[r * n + c] = std::clamp(v + noise(generator), 0.0, 255.0);
        }
    }
    return plane;
}

template <typename T>
void TransformerRun(benchmark::State& state, std::uint8_t order) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    const auto tiles = static_cast<std::int32_t>(state.range(1));
    T transform;
    Transformer transformer(n, tiles, 0.05, &transform);
    const std::vector<double> source = ImageLikePlane(static_cast<std::size_t>(n));
    for (auto _ : state) {
        // Run overwrites the plane with its reconstruction.
        state.PauseTiming();
        std::copy(source.begin(), source.end(), transformer.Plane.get());
        state.ResumeTiming();
        transformer.Run(order);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{n} * n);
    state.counters["kept%"] = transformer.MeanKeptPercent();
}

// Split and Merge alone: the copying Run does around the transforms.
void SplitMerge(benchmark::State& state) {
    const auto order = static_cast<std::uint8_t>(state.range(0));
    const auto n = static_cast<std::int32_t>(state.range(1));
    const auto tiles = static_cast<std::int32_t>(state.range(2));
    HaarDWT transform;
    Transformer transformer(n, tiles, 0.05, &transform);
    const std::vector<double> source = ImageLikePlane(static_cast<std::size_t>(n));
    std::copy(source.begin(), source.end(), transformer.Plane.get());
    for (auto _ : state) {
        transformer.Split(order);
        transformer.Merge(order);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{n} * n);
}

// The 1D pages scan their tiles in zigzag order (0), the 2D pages in raster order (1).
template <typename T>
void RegisterRun(const char* name, std::uint8_t order) {
    const std::string base = std::string("TransformerRun/") + name;
    benchmark::RegisterBenchmark(base.c_str(), TransformerRun<T>, order)
        ->ArgsProduct({{256}, {1, 8, 32}})
        ->ArgNames({"N", "tiles"})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(base.c_str(), TransformerRun<T>, order)
        ->ArgsProduct({{2048}, {1, 8, 32}})
        ->ArgNames({"N", "tiles"})
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
}

const bool Registered = [] {
    RegisterRun<CosineFFT>("CosineFFT", 0);
    RegisterRun<HaarDWT>("HaarDWT", 0);
    RegisterRun<Daubechies4DWT>("Daubechies4DWT", 0);
    RegisterRun<CosineFFT2D>("CosineFFT2D", 1);
    RegisterRun<HaarDWT2D>("HaarDWT2D", 1);
    RegisterRun<Daubechies4DWT2D>("Daubechies4DWT2D", 1);
    benchmark::RegisterBenchmark("SplitMerge", SplitMerge)
        ->ArgsProduct({{0, 1}, {2048}, {1, 32}})
        ->ArgNames({"order", "N", "tiles"})
        ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
