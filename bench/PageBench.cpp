// One page's whole conversion as the window runs it, wall time: pixels into the three planes,
// the tiles on every core, the new pixels and their figures (SSIM included), and the new pixels
// copied into the picture; for each page kind at the sides 256 and 2048 and the tile counts 1, 8
// and 32. And the pixel steps alone, which run on the GUI thread.

#include "BenchImage.h"
#include "PageConversion.h"
#include "ParallelFor.h"
#include "SquarePixels.h"
#include "Transform.h"
#include "TransformKind.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

void Page(benchmark::State& state, TransformKind kind) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint32_t> pixels = PhotoLikeImage(side);
    std::vector<std::uint32_t> picture(pixels.size());
    const RgbView image{pixels.data(), side, side, side};
    ConversionSettings settings;
    settings.Side = side;
    settings.TileCount = static_cast<std::int32_t>(state.range(1));
    settings.ErrorFraction = 0.05;
    settings.Order = Describe(kind).Order();
    std::vector<std::unique_ptr<Transform>> owned;
    std::vector<Transform*> transforms;
    for (std::size_t i = 0; i < HardwareThreads(); ++i) {
        owned.push_back(MakeTransform(kind));
        transforms.push_back(owned.back().get());
    }
    for (auto _ : state) {
        PageConversion conversion(settings, side, side);
        conversion.Read(image);
        conversion.Run(transforms);
        conversion.CorrectColors();
        const ConversionResult result = conversion.Finish();
        // The window copies the new pixels into its bitmap.
        std::copy(result.Pixels.begin(), result.Pixels.end(), picture.begin());
        benchmark::ClobberMemory();
    }
    state.counters["threads"] = static_cast<double>(transforms.size());
}

// What the window's GUI thread does for a page: the pixels into the planes, and the composed
// new pixels into the picture (WriteResultPixels' copy).
void PixelSteps(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint32_t> pixels = PhotoLikeImage(side);
    std::vector<std::uint32_t> composed(pixels.size());
    std::vector<std::uint32_t> picture(pixels.size());
    const auto n = static_cast<std::size_t>(side);
    std::vector<double> red(n * n), green(n * n), blue(n * n);
    ComposeSquare(red, green, blue, n, PixelTarget{composed.data(), side, side, side});
    for (auto _ : state) {
        ReadSquare(RgbView{pixels.data(), side, side, side}, n, red, green, blue,
                   HardwareThreads());
        for (std::size_t y = 0; y < n; ++y) {
            for (std::size_t x = 0; x < n; ++x) {
                picture[y * n + x] = 0xFF000000u | composed[y * n + x];
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{side} * side);
}

// Composing the new pixels from the planes, on the worker's threads.
void ComposePixels(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const auto n = static_cast<std::size_t>(side);
    std::vector<double> red(n * n, 12.5), green(n * n, 254.9999999), blue(n * n, -3.0);
    std::vector<std::uint32_t> picture(n * n);
    for (auto _ : state) {
        ComposeSquare(red, green, blue, n, PixelTarget{picture.data(), side, side, side},
                      HardwareThreads());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{side} * side);
}

const int Registered = [] {
    for (const TransformKindInfo& info : TransformKinds()) {
        const TransformKind kind = info.Kind;
        benchmark::RegisterBenchmark(("Page/" + std::string(info.Caption)).c_str(),
                                     [kind](benchmark::State& state) { Page(state, kind); })
            ->ArgNames({"side", "tiles"})
            ->ArgsProduct({{256, 2048}, {1, 8, 32}})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    return 0;
}();

} // namespace

BENCHMARK(PixelSteps)->Arg(256)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ComposePixels)->Arg(256)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();
