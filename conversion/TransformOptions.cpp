#include "TransformOptions.h"

#include "Daubechies4DWT.h"
#include "HaarDWT.h"
#include "WaveletLevels.h"

#include <charconv>
#include <stdexcept>

std::string ScalingName(DctScaling scaling) {
    return scaling == DctScaling::Orthonormal ? "orthonormal" : "plain";
}

std::string LevelsName(int levels) {
    if (levels == PageLevels) {
        return "page";
    }
    if (levels == AllWaveletLevels) {
        return "all";
    }
    return std::to_string(levels);
}

std::string RuleName(KeepRule rule) {
    return rule == KeepRule::Kept ? "kept" : "error";
}

std::optional<DctScaling> ParseScaling(std::string_view text) {
    if (text == "plain") {
        return DctScaling::Plain;
    }
    if (text == "orthonormal") {
        return DctScaling::Orthonormal;
    }
    return std::nullopt;
}

std::optional<int> ParseLevels(std::string_view text) {
    if (text == "page") {
        return PageLevels;
    }
    if (text == "all") {
        return AllWaveletLevels;
    }
    int levels = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), levels);
    if (error != std::errc() || end != text.data() + text.size() || levels < 1 ||
        levels > MaxWaveletLevels) {
        return std::nullopt;
    }
    return levels;
}

std::optional<KeepRule> ParseRule(std::string_view text) {
    if (text == "error") {
        return KeepRule::Error;
    }
    if (text == "kept") {
        return KeepRule::Kept;
    }
    return std::nullopt;
}

void CheckOptions(const TransformOptions& options) {
    if (options.Scaling != DctScaling::Plain && options.Scaling != DctScaling::Orthonormal) {
        throw std::invalid_argument("TransformOptions: DCT scaling " +
                                    std::to_string(static_cast<int>(options.Scaling)) +
                                    " is not one of plain and orthonormal");
    }
    if (options.Levels != PageLevels && options.Levels != AllWaveletLevels &&
        (options.Levels < 1 || options.Levels > MaxWaveletLevels)) {
        throw std::invalid_argument("TransformOptions: wavelet levels " +
                                    std::to_string(options.Levels) + " are not page, all or 1 to " +
                                    std::to_string(MaxWaveletLevels));
    }
    if (options.Rule != KeepRule::Error && options.Rule != KeepRule::Kept) {
        throw std::invalid_argument("TransformOptions: rule " +
                                    std::to_string(static_cast<int>(options.Rule)) +
                                    " is not one of error and kept");
    }
}

void ApplyLevels(Transform& transform, int levels) {
    const int count = levels == AllWaveletLevels ? AllLevels : levels;
    if (auto* haar = dynamic_cast<HaarDWT*>(&transform)) {
        haar->SetLevels(levels == PageLevels ? AllLevels : count);
    } else if (auto* d4 = dynamic_cast<Daubechies4DWT*>(&transform)) {
        d4->SetLevels(levels == PageLevels ? 1 : count);
    }
}
