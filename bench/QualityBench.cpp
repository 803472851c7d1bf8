// The quality figures of an image and a perturbed copy, at the page sides 256 and 2048, on one
// thread and on every core (threads 0).

#include "BenchImage.h"
#include "Quality.h"

#include <benchmark/benchmark.h>

#include <algorithm>
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

// A photograph-like image, and a copy with each channel moved by up to +-6 as a lossy
// compression might.
Pair MakePair(std::int32_t side) {
    std::mt19937 generator(2024);
    std::uniform_int_distribution<int> change(-6, 6);
    Pair pair{side, PhotoLikeImage(side, 2024), {}};
    pair.B.reserve(pair.A.size());
    for (const std::uint32_t a : pair.A) {
        std::uint32_t b = 0xFF;
        for (int shift = 16; shift >= 0; shift -= 8) {
            const int value = static_cast<int>(a >> shift & 0xFFu);
            b = b << 8 | static_cast<std::uint32_t>(std::clamp(value + change(generator), 0, 255));
        }
        pair.B.push_back(b);
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
