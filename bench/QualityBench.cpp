// The quality figures of an image and a perturbed copy, at the page sides 256 and 2048, on one
// thread and on every core (threads 0).

#include "Quality.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

struct Pair {
    std::int32_t Side = 0;
    std::vector<std::uint32_t> A;
    std::vector<std::uint32_t> B;

    RgbView ViewA() const { return {A.data(), Side, Side, Side}; }
    RgbView ViewB() const { return {B.data(), Side, Side, Side}; }
};

// Shading, edges and noise like a photograph; the copy has each channel moved by up to +-6 as
// a lossy compression might.
Pair MakePair(std::int32_t side) {
    std::mt19937 generator(2024);
    std::uniform_int_distribution<int> noise(-8, 8);
    std::uniform_int_distribution<int> change(-6, 6);
    Pair pair{side, std::vector<std::uint32_t>(std::size_t(side) * side),
              std::vector<std::uint32_t>(std::size_t(side) * side)};
    const double scale = 256.0 / side;
    for (std::int32_t y = 0; y < side; ++y) {
        for (std::int32_t x = 0; x < side; ++x) {
            std::uint32_t a = 0;
            std::uint32_t b = 0;
            for (int c = 0; c < 3; ++c) {
                const double u = x * scale;
                const double v = y * scale;
                const double shade = 120.0 + 70.0 * std::sin(u / 19.0 + c) * std::cos(v / 29.0) +
                                     (u + v > 300.0 ? 40.0 : 0.0);
                const int value = std::clamp(static_cast<int>(shade) + noise(generator), 0, 255);
                a = a << 8 | static_cast<std::uint32_t>(value);
                b = b << 8 |
                    static_cast<std::uint32_t>(std::clamp(value + change(generator), 0, 255));
            }
            pair.A[std::size_t(y) * side + x] = a;
            pair.B[std::size_t(y) * side + x] = b;
        }
    }
    return pair;
}

void AllFigures(benchmark::State& state) {
    const Pair pair = MakePair(static_cast<std::int32_t>(state.range(0)));
    const auto threads = static_cast<std::int32_t>(state.range(1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(MeasureQuality(pair.ViewA(), pair.ViewB(), threads));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}

void SsimAlone(benchmark::State& state) {
    const Pair pair = MakePair(static_cast<std::int32_t>(state.range(0)));
    const auto threads = static_cast<std::int32_t>(state.range(1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Ssim(pair.ViewA(), pair.ViewB(), threads));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}

// A tile map of 16-pixel tiles.
void TileMap(benchmark::State& state) {
    const Pair pair = MakePair(static_cast<std::int32_t>(state.range(0)));
    const auto tiles = static_cast<std::int32_t>(state.range(0) / 16);
    std::vector<double> mse(std::size_t(tiles) * tiles);
    for (auto _ : state) {
        TileMse(pair.ViewA(), pair.ViewB(), TileLayout{0, 0, 16, tiles, tiles}, mse);
        benchmark::DoNotOptimize(mse.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}

} // namespace

BENCHMARK(AllFigures)
    ->ArgsProduct({{256, 2048}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(SsimAlone)
    ->ArgsProduct({{256, 2048}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(TileMap)->Arg(256)->Arg(2048)->Unit(benchmark::kMillisecond);
