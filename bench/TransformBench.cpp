#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "CosinePlan.h"
#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"
#include "HaarDWT.h"
#include "HaarDWT2D.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#ifdef TARVISH_HAVE_FFTW
#include <fftw3.h>
#endif

// Every timed iteration copies a tile into the work array and then runs the operation on it,
// so the transforms always see fresh input and the copy costs the same in every comparison.

namespace {

constexpr double ErrorFraction = 0.05;

// A tile of an image-like channel: a smooth pattern that differs from tile to tile, with noise.
std::vector<double> PixelTile(std::size_t count, std::uint64_t variant) {
    std::mt19937_64 random(variant);
    std::uniform_real_distribution<double> phase(0.0, 6.0);
    std::uniform_real_distribution<double> noise(-12.0, 12.0);
    const double px = phase(random);
    const double py = phase(random);
    const auto side = static_cast<std::size_t>(std::sqrt(static_cast<double>(count)));
    std::vector<double> tile(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double r = static_cast<double>(i / side);
        const double c = static_cast<double>(i % side);
        const double value = 128.0 + 70.0 * std::sin(r / 9.0 + px) * std::cos(c / 13.0 + py);
        tile[i] = std::clamp(std::round(value + noise(random)), 0.0, 255.0);
    }
    return tile;
}

// Enough distinct tiles that the branch predictor cannot learn the sorts by heart.
std::vector<std::vector<double>> CoefficientPool(Transform& transform, std::uint32_t n) {
    const std::size_t count = std::size_t{n} * n;
    const std::size_t tiles = std::max<std::size_t>(4, 65536 / count);
    std::vector<std::vector<double>> pool;
    for (std::size_t t = 0; t < tiles; ++t) {
        pool.push_back(PixelTile(count, t + 1));
        transform.Forward(pool.back().data(), n);
    }
    return pool;
}

void SetCounts(benchmark::State& state, std::size_t count) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}

template <class T>
void Forward(benchmark::State& state) {
    const auto n = static_cast<std::uint32_t>(state.range(0));
    const std::size_t count = std::size_t{n} * n;
    const std::vector<double> tile = PixelTile(count, 1);
    std::vector<double> work(count);
    T transform;
    for (auto _ : state) {
        std::copy(tile.begin(), tile.end(), work.begin());
        transform.Forward(work.data(), n);
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
    SetCounts(state, count);
}

template <class T>
void Inverse(benchmark::State& state) {
    const auto n = static_cast<std::uint32_t>(state.range(0));
    const std::size_t count = std::size_t{n} * n;
    T transform;
    std::vector<double> coefficients = PixelTile(count, 1);
    transform.Forward(coefficients.data(), n);
    std::vector<double> work(count);
    for (auto _ : state) {
        std::copy(coefficients.begin(), coefficients.end(), work.begin());
        transform.Inverse(work.data(), n);
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
    SetCounts(state, count);
}

template <class T>
void Threshold(benchmark::State& state) {
    const auto n = static_cast<std::uint32_t>(state.range(0));
    const std::size_t count = std::size_t{n} * n;
    T transform;
    const std::vector<std::vector<double>> pool = CoefficientPool(transform, n);
    std::vector<double> work(count);
    std::size_t next = 0;
    for (auto _ : state) {
        const std::vector<double>& tile = pool[next];
        next = (next + 1) % pool.size();
        std::copy(tile.begin(), tile.end(), work.begin());
        transform.Threshold(work.data(), n, ErrorFraction);
        benchmark::DoNotOptimize(transform.KeptPercent);
        benchmark::ClobberMemory();
    }
    SetCounts(state, count);
}

// What a comparison sort alone costs on the same tiles: the copy, the magnitudes and a
// descending std::sort, none of the rest of the thresholding.
template <class T>
void StdSortBaseline(benchmark::State& state) {
    const auto n = static_cast<std::uint32_t>(state.range(0));
    const std::size_t count = std::size_t{n} * n;
    T transform;
    const std::vector<std::vector<double>> pool = CoefficientPool(transform, n);
    std::vector<double> work(count);
    std::vector<double> magnitudes(count);
    std::size_t next = 0;
    for (auto _ : state) {
        const std::vector<double>& tile = pool[next];
        next = (next + 1) % pool.size();
        std::copy(tile.begin(), tile.end(), work.begin());
        for (std::size_t i = 0; i < count; ++i) {
            magnitudes[i] = std::fabs(work[i]);
        }
        std::sort(magnitudes.begin(), magnitudes.end(), std::greater<>());
        benchmark::DoNotOptimize(magnitudes.data());
        benchmark::ClobberMemory();
    }
    SetCounts(state, count);
}

#define TARVISH_SIDES RangeMultiplier(2)->Range(8, 256)
// The cosine classes also at the sides of the largest pages: 256 Ki to 4 Mi values.
#define TARVISH_LARGE_SIDES RangeMultiplier(2)->Range(512, 2048)->Unit(benchmark::kMillisecond)

#define TARVISH_TRANSFORM_BENCHMARKS(T)                                                            \
    BENCHMARK_TEMPLATE(Forward, T)->TARVISH_SIDES;                                                 \
    BENCHMARK_TEMPLATE(Inverse, T)->TARVISH_SIDES;                                                 \
    BENCHMARK_TEMPLATE(Threshold, T)->TARVISH_SIDES;                                               \
    BENCHMARK_TEMPLATE(StdSortBaseline, T)->TARVISH_SIDES

TARVISH_TRANSFORM_BENCHMARKS(CosineFFT);
TARVISH_TRANSFORM_BENCHMARKS(CosineFFT2D);
BENCHMARK_TEMPLATE(Forward, CosineFFT)->TARVISH_LARGE_SIDES;
BENCHMARK_TEMPLATE(Inverse, CosineFFT)->TARVISH_LARGE_SIDES;
BENCHMARK_TEMPLATE(Forward, CosineFFT2D)->TARVISH_LARGE_SIDES;
BENCHMARK_TEMPLATE(Inverse, CosineFFT2D)->TARVISH_LARGE_SIDES;
BENCHMARK_TEMPLATE(Threshold, CosineFFT2D)->TARVISH_LARGE_SIDES;
BENCHMARK_TEMPLATE(StdSortBaseline, CosineFFT2D)->TARVISH_LARGE_SIDES;
TARVISH_TRANSFORM_BENCHMARKS(HaarDWT);
TARVISH_TRANSFORM_BENCHMARKS(HaarDWT2D);
TARVISH_TRANSFORM_BENCHMARKS(Daubechies4DWT);
TARVISH_TRANSFORM_BENCHMARKS(Daubechies4DWT2D);

// The static cosine kernel on one vector of every power-of-two length, odd powers included; the
// plan is held across the loop as a transform object would hold it.
void CosineLength(benchmark::State& state, int direction) {
    const auto length = static_cast<std::uint32_t>(state.range(0));
    const auto plan = CosinePlan::Get(length, direction);
    const std::vector<double> values = PixelTile(length, 1);
    std::vector<double> work(std::size_t{length} + 1);
    for (auto _ : state) {
        std::copy(values.begin(), values.end(), work.begin() + 1);
        CosineFFT::CosineTransform(work.data(), length, static_cast<std::int8_t>(direction));
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
    SetCounts(state, length);
}

#define TARVISH_LENGTHS RangeMultiplier(2)->Range(64, 1 << 22)->Unit(benchmark::kMicrosecond)

BENCHMARK_CAPTURE(CosineLength, Forward, 1)->TARVISH_LENGTHS;
BENCHMARK_CAPTURE(CosineLength, Inverse, -1)->TARVISH_LENGTHS;

#ifdef TARVISH_HAVE_FFTW
// FFTW's DCT-II (REDFT10) and DCT-III (REDFT01) on the same lengths as CosineFFT (one vector of
// n * n values) and CosineFFT2D (n x n), planned in place before the timed loop.
void FftwDct(benchmark::State& state, bool twoDimensional, fftw_r2r_kind kind) {
    const auto n = static_cast<int>(state.range(0));
    const std::size_t count = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    double* work = fftw_alloc_real(count);
    const fftw_plan plan = twoDimensional
                               ? fftw_plan_r2r_2d(n, n, work, work, kind, kind, FFTW_MEASURE)
                               : fftw_plan_r2r_1d(n * n, work, work, kind, FFTW_MEASURE);
    const std::vector<double> tile = PixelTile(count, 1);
    for (auto _ : state) {
        std::copy(tile.begin(), tile.end(), work);
        fftw_execute(plan);
        benchmark::DoNotOptimize(work);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(work);
    SetCounts(state, count);
}

BENCHMARK_CAPTURE(FftwDct, DctII_1D, false, FFTW_REDFT10)->TARVISH_SIDES;
BENCHMARK_CAPTURE(FftwDct, DctIII_1D, false, FFTW_REDFT01)->TARVISH_SIDES;
BENCHMARK_CAPTURE(FftwDct, DctII_2D, true, FFTW_REDFT10)->TARVISH_SIDES;
BENCHMARK_CAPTURE(FftwDct, DctIII_2D, true, FFTW_REDFT01)->TARVISH_SIDES;
BENCHMARK_CAPTURE(FftwDct, DctII_1D, false, FFTW_REDFT10)->TARVISH_LARGE_SIDES;
BENCHMARK_CAPTURE(FftwDct, DctIII_1D, false, FFTW_REDFT01)->TARVISH_LARGE_SIDES;
BENCHMARK_CAPTURE(FftwDct, DctII_2D, true, FFTW_REDFT10)->TARVISH_LARGE_SIDES;
BENCHMARK_CAPTURE(FftwDct, DctIII_2D, true, FFTW_REDFT01)->TARVISH_LARGE_SIDES;

// FFTW on one vector of every length CosineLength runs.
void FftwLength(benchmark::State& state, fftw_r2r_kind kind) {
    const auto length = static_cast<int>(state.range(0));
    double* work = fftw_alloc_real(static_cast<std::size_t>(length));
    const fftw_plan plan = fftw_plan_r2r_1d(length, work, work, kind, FFTW_MEASURE);
    const std::vector<double> values = PixelTile(static_cast<std::size_t>(length), 1);
    for (auto _ : state) {
        std::copy(values.begin(), values.end(), work);
        fftw_execute(plan);
        benchmark::DoNotOptimize(work);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(work);
    SetCounts(state, static_cast<std::size_t>(length));
}

BENCHMARK_CAPTURE(FftwLength, DctII, FFTW_REDFT10)->TARVISH_LENGTHS;
BENCHMARK_CAPTURE(FftwLength, DctIII, FFTW_REDFT01)->TARVISH_LENGTHS;
#endif

} // namespace
