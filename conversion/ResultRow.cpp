#include "ResultRow.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

std::vector<std::string> ResultRow::Fields(const std::string& image, std::int32_t width,
                                           std::int32_t height, const SweepPoint& point) {
    return Fields(image, width, height, Describe(point.Kind).Caption, point.Result);
}

std::vector<std::string> ResultRow::Fields(const std::string& image, std::int32_t width,
                                           std::int32_t height, std::string_view transform,
                                           const ConversionResult& result) {
    const ConversionSettings& settings = result.Settings;
    if (settings.TileCount < 1) {
        throw std::invalid_argument("ResultRow: tile count " + std::to_string(settings.TileCount) +
                                    " is below 1");
    }
    const QualityFigures& quality = result.Quality;
    return {image,
            std::to_string(width),
            std::to_string(height),
            std::string(transform),
            std::to_string(settings.Side),
            std::to_string(settings.Side / settings.TileCount),
            Number(settings.ErrorPercent),
            settings.ColorCorrection ? "yes" : "no",
            Number(result.KeptPercent[0]),
            Number(result.KeptPercent[1]),
            Number(result.KeptPercent[2]),
            Number(result.MeanKeptPercent),
            Number(quality.Mse),
            Number(quality.PsnrDb),
            quality.Ssim ? Number(*quality.Ssim) : std::string(),
            std::to_string(quality.MaxError),
            Number(result.ComputeMilliseconds),
            ScalingName(settings.Options.Scaling),
            LevelsName(settings.Options.Levels),
            RuleName(settings.Options.Rule)};
}

const std::array<std::string_view, 20>& ResultRow::Columns() {
    static constexpr std::array<std::string_view, 20> Columns = {"image",
                                                                 "width",
                                                                 "height",
                                                                 "transform",
                                                                 "side",
                                                                 "tile",
                                                                 "error_percent",
                                                                 "color_correction",
                                                                 "kept_percent_red",
                                                                 "kept_percent_green",
                                                                 "kept_percent_blue",
                                                                 "kept_percent",
                                                                 "mse",
                                                                 "psnr_db",
                                                                 "ssim",
                                                                 "max_error",
                                                                 "time_ms",
                                                                 "dct_scaling",
                                                                 "levels",
                                                                 "rule"};
    return Columns;
}

std::string ResultRow::Quoted(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(field);
    }
    std::string quoted = "\"";
    for (char c : field) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string ResultRow::Number(double value) {
    if (std::isnan(value)) {
        return {};
    }
    if (std::isinf(value)) {
        return value > 0 ? "inf" : "-inf";
    }
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return std::string(text, error == std::errc() ? end : text);
}
