#include "BdSetTable.h"

#include "ResultRow.h"

const std::array<std::string_view, 18>& BdSetTable::Columns() {
    static constexpr std::array<std::string_view, 18> Columns = {"transform",
                                                                 "reference",
                                                                 "method",
                                                                 "tiles",
                                                                 "color_correction",
                                                                 "images",
                                                                 "bd_kept_percent_mean",
                                                                 "bd_kept_percent_std",
                                                                 "bd_kept_percent_min",
                                                                 "bd_kept_percent_max",
                                                                 "bd_psnr_db_mean",
                                                                 "bd_psnr_db_std",
                                                                 "bd_psnr_db_min",
                                                                 "bd_psnr_db_max",
                                                                 "undefined",
                                                                 "dct_scaling",
                                                                 "levels",
                                                                 "rule"};
    return Columns;
}

std::vector<std::vector<std::string>> BdSetTable::Rows(std::span<const SetBd> sets) {
    std::vector<std::vector<std::string>> rows;
    for (const SetBd& set : sets) {
        const CurveKey& key = set.Key;
        std::vector<std::string> row = {key.Transform,
                                        set.Reference,
                                        BdMethodName(set.Method),
                                        std::to_string(key.Tiles),
                                        key.ColorCorrection ? "yes" : "no",
                                        std::to_string(set.Defined)};
        for (const SampleStatistics* s : {&set.KeptPercent, &set.PsnrDb}) {
            for (double v : {s->Mean, s->Std, s->Min, s->Max}) {
                row.push_back(ResultRow::Number(v));
            }
        }
        row.push_back(std::to_string(set.Undefined));
        row.push_back(ScalingName(key.Options.Scaling));
        row.push_back(LevelsName(key.Options.Levels));
        row.push_back(RuleName(key.Options.Rule));
        rows.push_back(std::move(row));
    }
    return rows;
}
