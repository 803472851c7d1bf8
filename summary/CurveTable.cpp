#include "CurveTable.h"

#include "ResultRow.h"

const std::array<std::string_view, 24>& CurveTable::Columns() {
    static constexpr std::array<std::string_view, 24> Columns = {"transform",
                                                                 "tiles",
                                                                 "color_correction",
                                                                 "error_percent",
                                                                 "images",
                                                                 "kept_percent_mean",
                                                                 "kept_percent_std",
                                                                 "kept_percent_min",
                                                                 "kept_percent_median",
                                                                 "kept_percent_max",
                                                                 "psnr_db_mean",
                                                                 "psnr_db_std",
                                                                 "psnr_db_min",
                                                                 "psnr_db_median",
                                                                 "psnr_db_max",
                                                                 "psnr_infinite",
                                                                 "ssim_mean",
                                                                 "ssim_std",
                                                                 "ssim_min",
                                                                 "ssim_median",
                                                                 "ssim_max",
                                                                 "dct_scaling",
                                                                 "levels",
                                                                 "rule"};
    return Columns;
}

std::vector<std::vector<std::string>> CurveTable::Rows(std::span<const SetCurve> curves) {
    std::vector<std::vector<std::string>> rows;
    for (const SetCurve& curve : curves) {
        const CurveKey& key = curve.Key;
        for (const SetPoint& point : curve.Points) {
            std::vector<std::string> row = {
                key.Transform, std::to_string(key.Tiles), key.ColorCorrection ? "yes" : "no",
                ResultRow::Number(point.ErrorPercent), std::to_string(point.Samples.size())};
            const auto add = [&](const SampleStatistics& s) {
                for (double v : {s.Mean, s.Std, s.Min, s.Median, s.Max}) {
                    row.push_back(ResultRow::Number(v));
                }
            };
            add(point.KeptPercent);
            add(point.PsnrDb);
            row.push_back(std::to_string(point.PsnrInfinite));
            add(point.Ssim);
            row.push_back(ScalingName(key.Options.Scaling));
            row.push_back(LevelsName(key.Options.Levels));
            row.push_back(RuleName(key.Options.Rule));
            rows.push_back(std::move(row));
        }
    }
    return rows;
}
