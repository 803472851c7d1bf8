#include "BenchImage.h"
#include "BestPerTile.h"
#include "ConvertImage.h"
#include "Sweep.h"

#include <benchmark/benchmark.h>

#include <vector>

// Compare tiles as the Best per tile tab runs it (six conversions on all cores one after
// another, the winners, the composed image and its figures) beside the six conversions alone,
// which is what Convert all computes at the same setting. Options like for like, 8 tiles, 5 %.

namespace {

ConversionSettings Setting(std::int32_t side) {
    ConversionSettings s;
    s.Side = side;
    s.TileCount = 8;
    s.SetErrorPercent(5.0);
    s.Options = {DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Error};
    return s;
}

std::vector<ConversionResult> Six(const RgbView& view, const ConversionSettings& s) {
    std::vector<ConversionResult> six;
    for (const TransformKindInfo& kind : TransformKinds()) {
        six.push_back(ConvertImage(view, kind.Kind, s, 0));
    }
    return six;
}

void CompareTiles(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint32_t> image = PhotoLikeImage(side);
    const RgbView view{image.data(), side, side, side};
    for (auto _ : state) {
        const std::vector<ConversionResult> six = Six(view, Setting(side));
        const std::vector<std::size_t> winners = TileWinners(six);
        ConversionResult best = ComposeBestPerTile(six, winners, view, 2);
        benchmark::DoNotOptimize(best);
    }
}

void SixConversions(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint32_t> image = PhotoLikeImage(side);
    const RgbView view{image.data(), side, side, side};
    for (auto _ : state) {
        std::vector<ConversionResult> six = Six(view, Setting(side));
        benchmark::DoNotOptimize(six);
    }
}

// The part Compare tiles adds: the winners, the composed image and its figures.
void ComposeTiles(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint32_t> image = PhotoLikeImage(side);
    const RgbView view{image.data(), side, side, side};
    const std::vector<ConversionResult> six = Six(view, Setting(side));
    for (auto _ : state) {
        const std::vector<std::size_t> winners = TileWinners(six);
        ConversionResult best = ComposeBestPerTile(six, winners, view, 2);
        benchmark::DoNotOptimize(best);
    }
}

// The sweep's Best per tile curve from a whole sweep of 90 points at 32 tiles per side: what the
// Curves tab computes in all, one error at a time as each error's sixth point arrives.
void BestCurveOfASweep(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint32_t> image = PhotoLikeImage(side);
    const RgbView view{image.data(), side, side, side};
    SweepSettings settings;
    settings.Side = side;
    settings.TileCount = 32;
    const std::vector<SweepPoint> points = Sweep(settings).Run(view, 0);
    for (auto _ : state) {
        auto curve = BestPerTileCurve(points, settings);
        benchmark::DoNotOptimize(curve);
    }
}

} // namespace

BENCHMARK(BestCurveOfASweep)->Arg(256)->Unit(benchmark::kMillisecond);
BENCHMARK(ComposeTiles)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CompareTiles)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SixConversions)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();
