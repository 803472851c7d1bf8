// The tarvish Python module: the conversion core of the window and tarvish-batch on numpy
// arrays. Every figure comes from the same code as theirs, so it is theirs to the last bit.

#include "ArrayImage.h"
#include "Interruptible.h"

#include "AvailableMemory.h"
#include "BestPerTile.h"
#include "Bjontegaard.h"
#include "BmpReader.h"
#include "ConversionCancelled.h"
#include "ConvertImage.h"
#include "ImageFile.h"
#include "ImageFileError.h"
#include "ParallelFor.h"
#include "Quality.h"
#include "ResultRow.h"
#include "Sweep.h"
#include "TransformKind.h"
#include "TransformOptions.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <QFile>
#include <QImage>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#ifndef TARVISH_VERSION
#define TARVISH_VERSION "unknown"
#endif

namespace py = pybind11;

namespace {

std::string Captions() {
    std::string names;
    for (const TransformKindInfo& info : TransformKinds()) {
        names += (names.empty() ? "" : ", ") + std::string(info.Caption);
    }
    return names;
}

TransformKind KindOf(const std::string& caption) {
    for (const TransformKindInfo& info : TransformKinds()) {
        if (FoldedCaption(info.Caption) == FoldedCaption(caption)) {
            return info.Kind;
        }
    }
    throw py::value_error("transform: \"" + caption + "\" is not one of " + Captions());
}

TransformOptions OptionsOf(const std::string& scaling, const py::object& levels,
                           const std::string& rule) {
    TransformOptions options;
    const auto scalingChoice = ParseScaling(scaling);
    if (!scalingChoice) {
        throw py::value_error("dct_scaling: \"" + scaling +
                              "\" is not one of plain and orthonormal");
    }
    const std::string levelsText = py::str(levels);
    const auto levelsChoice = ParseLevels(levelsText);
    if (!levelsChoice) {
        throw py::value_error("levels: \"" + levelsText + "\" is not one of page, all and 1 to 12");
    }
    const auto ruleChoice = ParseRule(rule);
    if (!ruleChoice) {
        throw py::value_error("rule: \"" + rule + "\" is not one of error and kept");
    }
    options.Scaling = *scalingChoice;
    options.Levels = *levelsChoice;
    options.Rule = *ruleChoice;
    return options;
}

std::int32_t CoveringSide(std::int32_t side) {
    std::int32_t covering = 1;
    while (covering < side) {
        covering *= 2;
    }
    return covering;
}

bool IsPowerOfTwo(std::int64_t value) {
    return value > 0 && (value & (value - 1)) == 0;
}

std::int32_t SideOf(const ArrayImage& image, const std::optional<std::int64_t>& side) {
    if (!side) {
        return CoveringSide(std::max(image.Width(), image.Height()));
    }
    if (!IsPowerOfTwo(*side) || *side > BmpMaxSide) {
        throw py::value_error("side: " + std::to_string(*side) +
                              " is not a power of two from 1 to " + std::to_string(BmpMaxSide));
    }
    return static_cast<std::int32_t>(*side);
}

void CheckTiles(std::int64_t tiles, std::int32_t side) {
    if (!IsPowerOfTwo(tiles) || tiles > 32) {
        throw py::value_error("tiles: " + std::to_string(tiles) +
                              " is not a power of two from 1 to 32");
    }
    if (side / tiles == 0) {
        throw py::value_error("tiles: " + std::to_string(tiles) +
                              " tiles per side do not fit a side of " + std::to_string(side));
    }
}

void CheckError(double error) {
    if (!(error >= 0.0 && error <= 100.0)) {
        throw py::value_error("error: " + ResultRow::Number(error) +
                              " is not a percentage from 0 to 100");
    }
}

std::string Bytes(std::uint64_t bytes) {
    char mebibytes[32];
    std::snprintf(mebibytes, sizeof mebibytes, "%.1f", static_cast<double>(bytes) / 1048576.0);
    return std::to_string(bytes) + " bytes (" + mebibytes + " MiB)";
}

// Refuses work that would need more memory than there is, naming both, as the window does.
void CheckMemory(std::uint64_t needed) {
    const std::uint64_t available = AvailableMemoryBytes();
    if (needed > available) {
        PyErr_SetString(PyExc_MemoryError,
                        ("the conversion needs " + Bytes(needed) + " of memory, but only " +
                         Bytes(available) + " are available")
                            .c_str());
        throw py::error_already_set();
    }
}

// The image with the converted region's new pixels in place.
std::vector<std::uint32_t> WithRegion(const ArrayImage& image, const ConversionResult& result) {
    std::vector<std::uint32_t> pixels = image.Pixels();
    const auto width = static_cast<std::size_t>(image.Width());
    const auto regionWidth = static_cast<std::size_t>(result.RegionWidth);
    for (std::size_t y = 0; y < static_cast<std::size_t>(result.RegionHeight); ++y) {
        std::copy_n(result.Pixels.begin() + static_cast<std::ptrdiff_t>(y * regionWidth),
                    regionWidth, pixels.begin() + static_cast<std::ptrdiff_t>(y * width));
    }
    return pixels;
}

// What convert gives back.
struct Result {
    std::string Transform;
    std::int32_t Side = 0;
    std::int32_t Tiles = 0;
    double Error = 0.0;
    py::array_t<std::uint8_t> Image;
    double KeptPercent = 0.0;
    std::array<double, 3> KeptPercentChannels{};
    double Mse = 0.0;
    double PsnrDb = 0.0;
    std::optional<double> Ssim;
    int MaxError = 0;
    py::array_t<double> TileKeptPercent;
    py::array_t<double> TileMse;
    double TimeMs = 0.0;
};

Result ResultOf(const ArrayImage& image, TransformKind kind, const ConversionResult& r) {
    Result result;
    result.Transform = std::string(Describe(kind).Caption);
    result.Side = r.Settings.Side;
    result.Tiles = r.Settings.TileCount;
    result.Error = r.Settings.ErrorPercent;
    const std::vector<std::uint32_t> pixels = WithRegion(image, r);
    result.Image = ArrayImage::ToArray(pixels.data(), image.Width(), image.Height());
    result.KeptPercent = r.MeanKeptPercent;
    result.KeptPercentChannels = r.KeptPercent;
    result.Mse = r.Quality.Mse;
    result.PsnrDb = r.Quality.PsnrDb;
    result.Ssim = r.Quality.Ssim;
    result.MaxError = r.Quality.MaxError;
    const auto tiles = static_cast<py::ssize_t>(r.Settings.TileCount);
    result.TileKeptPercent = py::array_t<double>({tiles, tiles});
    result.TileMse = py::array_t<double>({tiles, tiles});
    auto kept = result.TileKeptPercent.mutable_unchecked<2>();
    auto mse = result.TileMse.mutable_unchecked<2>();
    for (py::ssize_t row = 0; row < tiles; ++row) {
        for (py::ssize_t column = 0; column < tiles; ++column) {
            const TileFigures& tile = r.Tiles[static_cast<std::size_t>(row * tiles + column)];
            kept(row, column) = tile.KeptPercent;
            mse(row, column) = tile.Mse;
        }
    }
    result.TimeMs = r.ComputeMilliseconds;
    return result;
}

std::string Repr(const Result& r) {
    const auto fixed = [](double value, int decimals) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return std::string(text);
    };
    return "<tarvish.Result " + r.Transform + ", " + std::to_string(r.Tiles) +
           " tiles per side of " + std::to_string(r.Side) + ", error " +
           ResultRow::Number(r.Error) + " %: kept " + fixed(r.KeptPercent, 2) + " %, PSNR " +
           (std::isinf(r.PsnrDb) ? std::string("inf") : fixed(r.PsnrDb, 2)) + " dB, SSIM " +
           (r.Ssim ? fixed(*r.Ssim, 4) : std::string("None")) + ", max error " +
           std::to_string(r.MaxError) + ">";
}

Result Convert(const py::array& array, const std::string& transform, std::int64_t tiles,
               double error, bool colorCorrection, const std::optional<std::int64_t>& side,
               const std::string& dctScaling, const py::object& levels, const std::string& rule,
               std::int64_t threads) {
    const TransformKind kind = KindOf(transform);
    const ArrayImage image(array);
    ConversionSettings settings;
    settings.Side = SideOf(image, side);
    CheckTiles(tiles, settings.Side);
    CheckError(error);
    if (threads < 0) {
        throw py::value_error("threads: " + std::to_string(threads) + " is below 0");
    }
    settings.TileCount = static_cast<std::int32_t>(tiles);
    settings.SetErrorPercent(error);
    settings.ColorCorrection = colorCorrection;
    settings.Options = OptionsOf(dctScaling, levels, rule);
    CheckOptions(settings.Options);
    SweepSettings sweep;
    sweep.Kinds = {kind};
    sweep.Side = settings.Side;
    sweep.TileCount = settings.TileCount;
    sweep.ErrorPercents = {error};
    sweep.Options = settings.Options;
    sweep.KeepPixels = true;
    const auto jobs = static_cast<std::size_t>(threads);
    CheckMemory(Sweep::BytesNeeded(sweep, jobs) + image.Pixels().size() * sizeof(std::uint32_t));
    std::atomic<bool> cancel{false};
    const ConversionResult converted = RunInterruptibly(
        cancel, [&] { return ConvertImage(image.View(), kind, settings, jobs, &cancel); });
    return ResultOf(image, kind, converted);
}

std::vector<std::int64_t> TilesOf(const py::object& tiles) {
    if (py::isinstance<py::int_>(tiles)) {
        return {tiles.cast<std::int64_t>()};
    }
    return tiles.cast<std::vector<std::int64_t>>();
}

// The columns of tarvish-batch's rows from their texts: numbers as numbers (an empty figure,
// not defined, as NaN), the text columns as numpy strings.
py::dict Columns(const std::vector<std::vector<std::string>>& rows) {
    py::dict columns;
    const auto& names = ResultRow::Columns();
    const std::vector<std::string_view> text = {"image",       "transform", "color_correction",
                                                "dct_scaling", "levels",    "rule"};
    const std::vector<std::string_view> whole = {"width", "height", "side", "tile", "max_error"};
    for (std::size_t c = 0; c < names.size(); ++c) {
        const std::string name(names[c]);
        if (std::find(text.begin(), text.end(), names[c]) != text.end()) {
            std::vector<std::string> values;
            for (const auto& row : rows) {
                values.push_back(row[c]);
            }
            columns[name.c_str()] = py::array(py::cast(values)).attr("astype")("U");
        } else if (std::find(whole.begin(), whole.end(), names[c]) != whole.end()) {
            py::array_t<std::int64_t> values(static_cast<py::ssize_t>(rows.size()));
            auto out = values.mutable_unchecked<1>();
            for (std::size_t r = 0; r < rows.size(); ++r) {
                out(static_cast<py::ssize_t>(r)) = std::stoll(rows[r][c]);
            }
            columns[name.c_str()] = values;
        } else {
            py::array_t<double> values(static_cast<py::ssize_t>(rows.size()));
            auto out = values.mutable_unchecked<1>();
            for (std::size_t r = 0; r < rows.size(); ++r) {
                const std::string& field = rows[r][c];
                double value = std::nan("");
                if (field == "inf" || field == "-inf") {
                    value = field[0] == '-' ? -HUGE_VAL : HUGE_VAL;
                } else if (!field.empty()) {
                    std::from_chars(field.data(), field.data() + field.size(), value);
                }
                out(static_cast<py::ssize_t>(r)) = value;
            }
            columns[name.c_str()] = values;
        }
    }
    return columns;
}

py::dict SweepImage(const py::array& array, const py::object& transforms, const py::object& tiles,
                    const py::object& errors, bool colorCorrection,
                    const std::optional<std::int64_t>& side, bool bestPerTile,
                    const std::string& dctScaling, const py::object& levels,
                    const std::string& rule, const std::string& name, std::int64_t threads) {
    std::vector<TransformKind> kinds;
    if (py::isinstance<py::str>(transforms)) {
        const std::string list = transforms.cast<std::string>();
        if (FoldedCaption(list) == "all") {
            for (const TransformKindInfo& info : TransformKinds()) {
                kinds.push_back(info.Kind);
            }
        } else {
            kinds.push_back(KindOf(list));
        }
    } else {
        for (const std::string& caption : transforms.cast<std::vector<std::string>>()) {
            kinds.push_back(KindOf(caption));
        }
    }
    if (kinds.empty()) {
        throw py::value_error("transforms: none given");
    }
    const ArrayImage image(array);
    SweepSettings settings;
    settings.Side = SideOf(image, side);
    const std::vector<std::int64_t> counts = TilesOf(tiles);
    for (std::int64_t count : counts) {
        CheckTiles(count, settings.Side);
    }
    if (!errors.is_none()) {
        settings.ErrorPercents = errors.cast<std::vector<double>>();
    }
    for (double error : settings.ErrorPercents) {
        CheckError(error);
    }
    if (settings.ErrorPercents.empty()) {
        throw py::value_error("errors: none given");
    }
    if (threads < 0) {
        throw py::value_error("threads: " + std::to_string(threads) + " is below 0");
    }
    std::vector<TransformKind> sorted = kinds;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
        throw py::value_error("transforms: a transform is given twice");
    }
    if (bestPerTile && sorted.size() != TransformKindCount) {
        throw py::value_error("best_per_tile: needs all six transforms");
    }
    settings.ColorCorrection = colorCorrection;
    settings.Options = OptionsOf(dctScaling, levels, rule);
    CheckOptions(settings.Options);
    settings.KeepPixels = bestPerTile;
    const auto jobs = static_cast<std::size_t>(threads);
    std::uint64_t needed = 0;
    for (std::int64_t count : counts) {
        settings.TileCount = static_cast<std::int32_t>(count);
        needed = std::max(needed, Sweep::BytesNeeded(settings, jobs));
    }
    CheckMemory(needed);

    // In tarvish-batch's order: each kind, each tile count, each error; with the best per tile,
    // its block after the kinds'.
    std::atomic<bool> cancel{false};
    const RgbView view = image.View();
    const auto rows = RunInterruptibly(cancel, [&] {
        std::vector<std::vector<std::vector<std::string>>> blocks(kinds.size() + 1);
        for (std::int64_t count : counts) {
            SweepSettings s = settings;
            s.TileCount = static_cast<std::int32_t>(count);
            std::vector<std::vector<SweepPoint>> byKind(TransformKindCount);
            for (std::size_t k = 0; k < kinds.size(); ++k) {
                s.Kinds = {kinds[k]};
                std::vector<SweepPoint> points = Sweep(s).Run(view, jobs, &cancel);
                for (const SweepPoint& point : points) {
                    blocks[k].push_back(
                        ResultRow::Fields(name, image.Width(), image.Height(), point));
                }
                byKind[static_cast<std::size_t>(kinds[k])] = std::move(points);
            }
            if (!bestPerTile) {
                continue;
            }
            const auto workers = static_cast<std::int32_t>(jobs == 0 ? HardwareThreads() : jobs);
            for (std::size_t e = 0; e < s.ErrorPercents.size(); ++e) {
                std::vector<ConversionResult> six;
                for (auto& points : byKind) {
                    six.push_back(std::move(points[e].Result));
                }
                const ConversionResult best =
                    ComposeBestPerTile(six, TileWinners(six), view, workers);
                blocks.back().push_back(
                    ResultRow::Fields(name, image.Width(), image.Height(), "Best per tile", best));
            }
        }
        std::vector<std::vector<std::string>> all;
        for (auto& block : blocks) {
            all.insert(all.end(), std::make_move_iterator(block.begin()),
                       std::make_move_iterator(block.end()));
        }
        return all;
    });
    return Columns(rows);
}

py::dict QualityOf(const py::array& a, const py::array& b, std::int64_t threads) {
    const ArrayImage first(a, "a");
    const ArrayImage second(b, "b");
    if (first.Width() != second.Width() || first.Height() != second.Height()) {
        throw py::value_error("a and b: sizes " + std::to_string(first.Width()) + " x " +
                              std::to_string(first.Height()) + " and " +
                              std::to_string(second.Width()) + " x " +
                              std::to_string(second.Height()) + " differ");
    }
    QualityFigures figures;
    {
        const py::gil_scoped_release released;
        figures = MeasureQuality(first.View(), second.View(),
                                 static_cast<std::int32_t>(std::max<std::int64_t>(threads, 1)));
    }
    py::dict result;
    result["mse"] = figures.Mse;
    result["psnr_db"] = figures.PsnrDb;
    result["ssim"] = figures.Ssim ? py::object(py::float_(*figures.Ssim)) : py::object(py::none());
    result["max_error"] = figures.MaxError;
    return result;
}

// A curve as (kept percentages, PSNRs): any two sequences of numbers numpy takes, lists and
// pandas columns alike.
std::vector<RdPoint> CurveOf(const py::object& curve, const char* what) {
    const std::string name(what);
    const auto pair = py::cast<py::sequence>(curve);
    if (pair.size() != 2) {
        throw py::value_error(name + ": not a pair of sequences (kept percentages, PSNRs)");
    }
    using Values = py::array_t<double, py::array::c_style | py::array::forcecast>;
    const Values kept = Values::ensure(pair[0]);
    const Values psnr = Values::ensure(pair[1]);
    if (!kept || !psnr || kept.ndim() != 1 || psnr.ndim() != 1) {
        PyErr_Clear();
        throw py::value_error(name + ": not a pair of sequences of numbers");
    }
    if (kept.size() != psnr.size()) {
        throw py::value_error(name + ": " + std::to_string(kept.size()) + " kept percentages but " +
                              std::to_string(psnr.size()) + " PSNRs");
    }
    std::vector<RdPoint> points;
    for (py::ssize_t i = 0; i < kept.size(); ++i) {
        points.push_back({kept.at(i), psnr.at(i)});
    }
    return points;
}

py::dict Bd(const py::object& reference, const py::object& test, const std::string& method) {
    const auto chosen = ParseBdMethod(method);
    if (!chosen) {
        throw py::value_error("method: \"" + method + "\" is not one of cubic and pchip");
    }
    const BdFigures f =
        Bjontegaard(CurveOf(reference, "reference"), CurveOf(test, "test"), *chosen);
    const auto optional = [](const std::optional<double>& v) {
        return v ? py::object(py::float_(*v)) : py::object(py::none());
    };
    py::dict result;
    result["bd_kept_percent"] = optional(f.KeptPercent);
    result["bd_psnr_db"] = optional(f.PsnrDb);
    result["points_reference"] = f.ReferencePoints;
    result["points_test"] = f.TestPoints;
    result["overlap_low_db"] = optional(f.OverlapLowDb);
    result["overlap_high_db"] = optional(f.OverlapHighDb);
    result["note"] = f.Note;
    return result;
}

py::array_t<std::uint8_t> Load(const std::string& path) {
    QImage image;
    try {
        const py::gil_scoped_release released;
        image = LoadImageFile(QFile::decodeName(path.c_str()));
    } catch (const ImageFileError& error) {
        PyErr_SetString(PyExc_OSError, ("cannot load " + path + ": " + error.what()).c_str());
        throw py::error_already_set();
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * image.width(),
                    image.constScanLine(y), static_cast<std::size_t>(image.width()) * 4);
    }
    return ArrayImage::ToArray(pixels.data(), image.width(), image.height());
}

} // namespace

PYBIND11_MODULE(tarvish, m) {
    m.doc() = "Tarvish: the discrete cosine transform, the Haar and the Daubechies-4 wavelets "
              "compared on images, with the figures of the Tarvish window and tarvish-batch to "
              "the last bit.";
    m.attr("__version__") = TARVISH_VERSION;
    py::tuple captions(TransformKindCount);
    for (std::size_t i = 0; i < TransformKindCount; ++i) {
        captions[i] = std::string(TransformKinds()[i].Caption);
    }
    m.attr("TRANSFORMS") = captions;

    py::class_<Result>(m, "Result", "One conversion: the result image and its figures.")
        .def_readonly("transform", &Result::Transform, "The page caption.")
        .def_readonly("side", &Result::Side, "The side of the converted square.")
        .def_readonly("tiles", &Result::Tiles, "Tiles per side.")
        .def_readonly("error", &Result::Error, "The permitted error (or kept share) in percent.")
        .def_readonly("image", &Result::Image,
                      "H x W x 3 uint8: the image with the converted square replaced.")
        .def_readonly("kept_percent", &Result::KeptPercent,
                      "Share of coefficients kept, the mean of the channels (the page's Comp).")
        .def_readonly("kept_percent_channels", &Result::KeptPercentChannels,
                      "Share kept of the red, green and blue planes.")
        .def_readonly("mse", &Result::Mse, "Mean squared error over the converted region.")
        .def_readonly("psnr_db", &Result::PsnrDb, "PSNR in dB; inf when unchanged.")
        .def_readonly("ssim", &Result::Ssim, "Mean SSIM of R, G, B; None under 11 pixels.")
        .def_readonly("max_error", &Result::MaxError, "Largest channel error, 0 to 255.")
        .def_readonly("tile_kept_percent", &Result::TileKeptPercent,
                      "tiles x tiles float64: each tile's kept share, row 0 at the top.")
        .def_readonly("tile_mse", &Result::TileMse,
                      "tiles x tiles float64: each tile's MSE (NaN wholly outside the image).")
        .def_readonly("time_ms", &Result::TimeMs, "Compute time in milliseconds.")
        .def("__repr__", &Repr);

    m.def("load", &Load, py::arg("path"),
          R"(Reads an image file as the window and tarvish-batch read it.

Parameters
----------
path : str
    A BMP, PNG, JPEG, TIFF, WebP or PPM/PGM file (the format is read from the content).

Returns
-------
numpy.ndarray
    H x W x 3 uint8: transparency composed on white, 16-bit channels reduced to 8, grey made
    grey RGB, the EXIF orientation applied.

Raises
------
OSError
    With the reason: a missing, truncated, damaged or too large file.)");

    m.def("convert", &Convert, py::arg("image"), py::arg("transform"), py::arg("tiles") = 8,
          py::arg("error") = 5.0, py::arg("color_correction") = false, py::arg("side") = py::none(),
          py::arg("dct_scaling") = "plain", py::arg("levels") = "page", py::arg("rule") = "error",
          py::arg("threads") = 0,
          R"(Converts the square at the top left of image as a Tarvish page does.

Parameters
----------
image : numpy.ndarray
    H x W x 3 uint8 (RGB); H x W (grey) and H x W x 4 (RGBA, composed on white) are taken too.
transform : str
    A page caption, one of TRANSFORMS (case and spaces do not matter).
tiles : int
    Tiles per side, a power of two from 1 to 32.
error : float
    The permitted error in percent, 0 to 100; under rule="kept" the share to keep.
color_correction : bool
    Bring reconstructions that leave 0..255 back into range.
side : int, optional
    Side of the converted square, a power of two; default the smallest covering the image.
dct_scaling : {"plain", "orthonormal"}
levels : {"page", "all"} or int 1 to 12
    Wavelet levels: page (Haar all, D4 one), all, or a number for both.
rule : {"error", "kept"}
threads : int
    0 for one per core; the figures do not depend on it.

Returns
-------
Result

Raises
------
ValueError
    Naming the value: a wrong dtype or shape, an unknown transform, tiles or error out of range.
MemoryError
    When the conversion needs more memory than is available (both figures given).
KeyboardInterrupt
    Ctrl+C stops the conversion at its next tile.)");

    m.def("sweep", &SweepImage, py::arg("image"), py::arg("transforms") = "all",
          py::arg("tiles") = std::vector<std::int64_t>{1, 2, 4, 8, 16, 32},
          py::arg("errors") = py::none(), py::arg("color_correction") = false,
          py::arg("side") = py::none(), py::arg("best_per_tile") = false,
          py::arg("dct_scaling") = "plain", py::arg("levels") = "page", py::arg("rule") = "error",
          py::arg("name") = "", py::arg("threads") = 0,
          R"(Converts image at every transform, tile count and error, as tarvish-batch does.

Parameters
----------
image : numpy.ndarray
    As for convert.
transforms : str or sequence of str
    "all" (the six pages in page order), one caption, or a sequence of captions.
tiles : int or sequence of int
    Tiles per side (default 1, 2, 4, 8, 16, 32).
errors : sequence of float, optional
    Permitted errors in percent; None for tarvish-batch's default list of 15.
best_per_tile : bool
    Add the "Best per tile" block (needs all six transforms).
name : str
    What the image column holds.
Other parameters as for convert.

Returns
-------
dict of str to numpy.ndarray
    The columns of tarvish-batch's rows, same names and order of rows:
    pandas.DataFrame(tarvish.sweep(image, name="x.bmp")) is its output for x.bmp. An undefined
    SSIM is NaN, an unchanged image's PSNR inf.)");

    m.def("quality", &QualityOf, py::arg("a"), py::arg("b"), py::arg("threads") = 1,
          R"(MSE, PSNR (dB), SSIM and largest error of two images of one size.

Returns
-------
dict
    mse, psnr_db (inf when identical), ssim (None under 11 pixels a side), max_error.)");

    m.def("bd", &Bd, py::arg("reference"), py::arg("test"), py::arg("method") = "cubic",
          R"(Bjontegaard figures of test against reference.

Parameters
----------
reference, test : (sequence of float, sequence of float)
    Each curve's kept percentages and PSNRs in dB.
method : {"cubic", "pchip"}
    The least-squares cubic of VCEG-M33, or the monotone piecewise cubic.

Returns
-------
dict
    bd_kept_percent, bd_psnr_db, points_reference, points_test, overlap_low_db,
    overlap_high_db (None where not defined) and note (why not).)");
}
