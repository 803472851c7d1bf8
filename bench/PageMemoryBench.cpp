// Peak memory of one page's conversion as the window runs it, in a child process of its own so
// that nothing else the benchmarks did counts: the growth of the child's peak resident set from
// just before the conversion starts to its end. Each page's own copy of the image is made
// before that: the window's pages hold theirs from the moment the image is opened, and a
// conversion reads it where it is. Reported as the counter peak_MiB; the time is that of the
// whole child.

#include "BenchImage.h"
#include "PageConversion.h"
#include "ParallelFor.h"
#include "SquarePixels.h"
#include "Transform.h"
#include "TransformKind.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// The resident set now, in KiB, from /proc/self/status.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Converts pages of the given kind in this process; returns the peak growth in KiB.
long ConvertPages(TransformKind kind, std::int32_t side, std::int32_t tiles, int pages) {
    const std::vector<std::uint32_t> pixels = PhotoLikeImage(side);
    const std::vector<std::vector<std::uint32_t>> pictures(static_cast<std::size_t>(pages), pixels);
    const long before = ResidentKiB();
    std::vector<std::unique_ptr<PageConversion>> conversions;
    ConversionSettings settings;
    settings.Side = side;
    settings.TileCount = tiles;
    settings.ErrorFraction = 0.05;
    settings.Order = Describe(kind).Order();
    // All pages hold their planes at once, as pages converting side by side do; their tiles
    // run one page after another on all cores.
    for (const std::vector<std::uint32_t>& picture : pictures) {
        conversions.push_back(std::make_unique<PageConversion>(settings, side, side));
        conversions.back()->Read(RgbView{picture.data(), side, side, side});
    }
    std::vector<ConversionResult> results;
    for (auto& conversion : conversions) {
        std::vector<std::unique_ptr<Transform>> owned;
        std::vector<Transform*> transforms;
        for (std::size_t i = 0; i < HardwareThreads(); ++i) {
            owned.push_back(MakeTransform(kind));
            transforms.push_back(owned.back().get());
        }
        conversion->Run(transforms);
        conversion->CorrectColors();
        results.push_back(conversion->Finish());
    }
    return PeakKiB() - before;
}

void PageMemory(benchmark::State& state, TransformKind kind, int pages) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const auto tiles = static_cast<std::int32_t>(state.range(1));
    long grown = 0;
    for (auto _ : state) {
        int pipe[2];
        if (::pipe(pipe) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            const long kib = ConvertPages(kind, side, tiles, pages);
            [[maybe_unused]] const auto written = ::write(pipe[1], &kib, sizeof kib);
            ::_exit(0);
        }
        ::close(pipe[1]);
        if (::read(pipe[0], &grown, sizeof grown) != sizeof grown) {
            state.SkipWithError("the child did not report");
        }
        ::close(pipe[0]);
        ::waitpid(child, nullptr, 0);
    }
    state.counters["peak_MiB"] = static_cast<double>(grown) / 1024.0;
}

const int Registered = [] {
    for (const TransformKindInfo& info : TransformKinds()) {
        const TransformKind kind = info.Kind;
        benchmark::RegisterBenchmark(("PageMemory/" + std::string(info.Caption)).c_str(),
                                     [kind](benchmark::State& s) { PageMemory(s, kind, 1); })
            ->ArgNames({"side", "tiles"})
            ->ArgsProduct({{2048}, {1, 8, 32}})
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark(
        "PageMemory/six pages, DCT 1D",
        [](benchmark::State& s) { PageMemory(s, TransformKind::Dct1D, 6); })
        ->ArgNames({"side", "tiles"})
        ->Args({2048, 1})
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    return 0;
}();

} // namespace
