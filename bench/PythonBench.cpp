// What the Python module adds to a conversion: tarvish.convert of a 256 x 256 array against
// the core's own ConvertImage of the same pixels, on one thread. The module converts on a
// thread of its own (the GIL let go), so CoreConvertOnAThread is the like-for-like figure:
// the difference is the copy in, the result image and tile arrays out, and the call.

#include "BenchImage.h"
#include "ConvertImage.h"

#include <benchmark/benchmark.h>
#include <pybind11/embed.h>
#include <pybind11/numpy.h>

#include <future>

namespace py = pybind11;

namespace {

constexpr std::int32_t Side = 256;

ConversionSettings Settings() {
    ConversionSettings settings;
    settings.Side = Side;
    settings.TileCount = 8;
    settings.SetErrorPercent(5.0);
    return settings;
}

void CoreConvert(benchmark::State& state) {
    const std::vector<std::uint32_t> pixels = PhotoLikeImage(Side);
    const RgbView view{pixels.data(), Side, Side, Side};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ConvertImage(view, TransformKind::Dct2D, Settings(), 1));
    }
}

// The same on a thread of its own, as the module runs it (so with the same allocator arena).
void CoreConvertOnAThread(benchmark::State& state) {
    const std::vector<std::uint32_t> pixels = PhotoLikeImage(Side);
    const RgbView view{pixels.data(), Side, Side, Side};
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::async(std::launch::async, [&] {
                                     return ConvertImage(view, TransformKind::Dct2D, Settings(), 1);
                                 }).get());
    }
}

void ModuleConvert(benchmark::State& state) {
    const std::vector<std::uint32_t> pixels = PhotoLikeImage(Side);
    py::array_t<std::uint8_t> image({Side, Side, 3});
    auto out = image.mutable_unchecked<3>();
    for (std::int32_t y = 0; y < Side; ++y) {
        for (std::int32_t x = 0; x < Side; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * Side + x];
            out(y, x, 0) = static_cast<std::uint8_t>(p >> 16);
            out(y, x, 1) = static_cast<std::uint8_t>(p >> 8);
            out(y, x, 2) = static_cast<std::uint8_t>(p);
        }
    }
    const py::object convert = py::module_::import("tarvish").attr("convert");
    // The same conversion as CoreConvert's, figure for figure.
    const RgbView view{pixels.data(), Side, Side, Side};
    const double psnr = ConvertImage(view, TransformKind::Dct2D, Settings(), 1).Quality.PsnrDb;
    const double modulePsnr = convert(image, "DCT 2D", py::arg("tiles") = 8, py::arg("error") = 5.0)
                                  .attr("psnr_db")
                                  .cast<double>();
    if (psnr != modulePsnr) {
        state.SkipWithError("the module's conversion differs from the core's");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(convert(image, "DCT 2D", py::arg("tiles") = 8,
                                         py::arg("error") = 5.0, py::arg("threads") = 1));
    }
}

} // namespace

BENCHMARK(CoreConvert)->Unit(benchmark::kMillisecond);
BENCHMARK(CoreConvertOnAThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ModuleConvert)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    const py::scoped_interpreter python;
    py::module_::import("sys").attr("path").attr("insert")(0, TARVISH_PYTHON_MODULE_DIR);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
