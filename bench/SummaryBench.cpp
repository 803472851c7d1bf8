#include "BdSetTable.h"
#include "BdSummary.h"
#include "CurveSummary.h"
#include "CurveTable.h"
#include "ResultRow.h"
#include "RowReader.h"
#include "TransformKind.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int Images = 1000;
constexpr std::array<double, 17> Errors = {0,  0.1, 0.25, 0.5, 1,  2,  3,  5,  7,
                                           10, 15,  20,   30,  40, 50, 70, 100};

// 1000 images x 6 transforms x 17 errors at 8 tiles per side, 102,000 rows as tarvish-batch
// writes them, with curves shaped like a sweep's.
const std::string& Rows() {
    static const std::string text = [] {
        std::string rows;
        for (std::string_view column : ResultRow::Columns()) {
            rows += column;
            rows += column == "rule" ? "\n" : ",";
        }
        for (int i = 0; i < Images; ++i) {
            const std::string image = "photos/image_" + std::to_string(i) + "_512x384.bmp";
            for (std::size_t k = 0; k < TransformKindCount; ++k) {
                const double steep = 0.5 + 0.08 * static_cast<double>(k) + 0.0001 * i;
                for (double e : Errors) {
                    const double kept = e == 0 ? 100.0 : 100.0 * std::exp(-steep * std::sqrt(e));
                    const double psnr = e == 0 ? HUGE_VAL : 27.0 + 4.0 * std::log(kept) + 0.001 * i;
                    const std::vector<std::string> fields = {
                        image,
                        "512",
                        "384",
                        std::string(TransformKinds()[k].Caption),
                        "512",
                        "64",
                        ResultRow::Number(e),
                        "no",
                        ResultRow::Number(kept * 0.9),
                        ResultRow::Number(kept),
                        ResultRow::Number(kept * 1.1),
                        ResultRow::Number(kept),
                        ResultRow::Number(100.0 / (1.0 + psnr)),
                        ResultRow::Number(psnr),
                        ResultRow::Number(1.0 - 0.008 * e),
                        std::to_string(static_cast<int>(e * 2.5)),
                        "3.25",
                        "plain",
                        "page",
                        "error"};
                    for (std::size_t f = 0; f < fields.size(); ++f) {
                        rows += fields[f];
                        rows += f + 1 < fields.size() ? ',' : '\n';
                    }
                }
            }
        }
        return rows;
    }();
    return text;
}

// What tarvish-summary --bd-output does with the rows, but the files: read, check for repeats,
// summarise the curves, compute every image's BD figures and summarise those, make the tables.
void SummaryOfRows(benchmark::State& state) {
    const auto method = static_cast<BdMethod>(state.range(0));
    const std::string& text = Rows();
    for (auto _ : state) {
        RowSet set;
        RowReader::Append(set, text, "rows.csv");
        auto curves = CurveTable::Rows(CurveSummary::Of(set.Rows()));
        auto bd = BdSetTable::Rows(BdSummary::Of(set.Rows(), "DCT 2D", method));
        benchmark::DoNotOptimize(curves);
        benchmark::DoNotOptimize(bd);
    }
    state.SetItemsProcessed(state.iterations() * Images * 6 * static_cast<int>(Errors.size()));
}

// The three steps apart: reading, the curves, the BD figures.
void SummaryStep(benchmark::State& state) {
    RowSet rows;
    RowReader::Append(rows, Rows(), "rows.csv");
    for (auto _ : state) {
        if (state.range(0) == 0) {
            RowSet set;
            RowReader::Append(set, Rows(), "rows.csv");
            benchmark::DoNotOptimize(set);
        } else if (state.range(0) == 1) {
            auto curves = CurveSummary::Of(rows.Rows());
            benchmark::DoNotOptimize(curves);
        } else {
            auto bd = BdSummary::Of(rows.Rows(), "DCT 2D", BdMethod::CubicFit);
            benchmark::DoNotOptimize(bd);
        }
    }
}

} // namespace

BENCHMARK(SummaryOfRows)
    ->Arg(static_cast<int>(BdMethod::CubicFit))
    ->Arg(static_cast<int>(BdMethod::PiecewiseCubic))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SummaryStep)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
