#include "ResultNames.h"

#include "ResultRow.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <stdexcept>

namespace {

std::string WithoutSpaces(std::string_view text) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c != ' '; });
    return kept;
}

} // namespace

std::string ResultFileName(std::string_view image, TransformKind kind, std::int32_t tileCount,
                           double percent, const TransformOptions& options, ImageFormat format) {
    return ResultFileName(image, WithoutSpaces(Describe(kind).Caption), tileCount, percent, options,
                          format);
}

std::string ResultFileName(std::string_view image, std::string_view transform,
                           std::int32_t tileCount, double percent, const TransformOptions& options,
                           ImageFormat format) {
    const std::filesystem::path input(image);
    std::string name = input.stem().string();
    std::string extension = input.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension.size() > 1 && extension != ".bmp") {
        name += '_';
        name += extension.substr(1);
    }
    name += '_';
    name += transform;
    name += '_' + std::to_string(tileCount) + "tiles_" + ResultRow::Number(percent) + "pct";
    // Only the options that are not the defaults, in the order of the row's columns.
    const TransformOptions defaults;
    const auto append = [&name](const std::string& part) {
        name += '_';
        name += part;
    };
    if (options.Scaling != defaults.Scaling) {
        append(ScalingName(options.Scaling));
    }
    if (options.Levels != defaults.Levels) {
        append(LevelsName(options.Levels));
    }
    if (options.Rule != defaults.Rule) {
        append(RuleName(options.Rule));
    }
    return name + std::string(FileTypeOf(format).Extensions[0]);
}

std::int32_t CoveringSide(std::int32_t side) {
    constexpr std::int32_t Largest = std::int32_t{1} << 30;
    if (side > Largest) {
        throw std::invalid_argument("CoveringSide: " + std::to_string(side) +
                                    " is above 2^30, whose covering side is not an int32");
    }
    std::int32_t covering = 1;
    while (covering < side) {
        covering *= 2;
    }
    return covering;
}
