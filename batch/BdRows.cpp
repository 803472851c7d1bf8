#include "BdRows.h"

#include "ResultRow.h"

#include <stdexcept>

const std::array<std::string_view, 17>& BdRows::Columns() {
    static const std::array<std::string_view, 17> columns = {"image",
                                                             "side",
                                                             "tile",
                                                             "color_correction",
                                                             "reference",
                                                             "transform",
                                                             "method",
                                                             "points_reference",
                                                             "points_test",
                                                             "overlap_low_db",
                                                             "overlap_high_db",
                                                             "bd_kept_percent",
                                                             "bd_psnr_db",
                                                             "note",
                                                             "dct_scaling",
                                                             "levels",
                                                             "rule"};
    return columns;
}

void BdRows::Append(std::vector<std::vector<std::string>>& rows, const std::string& image,
                    std::int32_t side, std::int32_t tileCount, bool colorCorrection,
                    const std::string& reference,
                    const std::vector<std::pair<std::string, std::vector<RdPoint>>>& curves,
                    BdMethod method, const TransformOptions& options) {
    const std::vector<RdPoint>* ref = nullptr;
    for (const auto& [name, points] : curves) {
        if (name == reference) {
            ref = &points;
        }
    }
    if (!ref) {
        throw std::invalid_argument("BdRows: no curve named " + reference);
    }
    const auto optional = [](const std::optional<double>& v) {
        return v ? ResultRow::Number(*v) : std::string();
    };
    for (const auto& [name, points] : curves) {
        const BdFigures f = Bjontegaard(*ref, points, method);
        rows.push_back({image, std::to_string(side), std::to_string(side / tileCount),
                        colorCorrection ? "yes" : "no", reference, name, BdMethodName(method),
                        std::to_string(f.ReferencePoints), std::to_string(f.TestPoints),
                        optional(f.OverlapLowDb), optional(f.OverlapHighDb),
                        optional(f.KeptPercent), optional(f.PsnrDb), f.Note,
                        ScalingName(options.Scaling), LevelsName(options.Levels),
                        RuleName(options.Rule)});
    }
}
