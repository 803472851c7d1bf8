#include "BdSummary.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <tuple>

namespace {

struct Entry {
    std::size_t Transform;
    int Levels;
    const BatchRow* Row;
};

// What the images share in one comparison: everything of the curve but the transform.
auto GroupOf(const Entry& e) {
    const BatchRow& r = *e.Row;
    return std::make_tuple(r.Tiles, r.ColorCorrection, r.Options.Scaling, e.Levels, r.Options.Rule);
}

} // namespace

std::vector<SetBd> BdSummary::Of(std::span<const BatchRow> rows, const std::string& reference,
                                 BdMethod method) {
    const std::optional<std::size_t> referenceRank = CurveKey::TransformRank(reference);
    if (!referenceRank) {
        throw std::invalid_argument("BdSummary: no transform \"" + reference + "\"");
    }
    if (method != BdMethod::CubicFit && method != BdMethod::PiecewiseCubic) {
        throw std::invalid_argument("BdSummary: no method " +
                                    std::to_string(static_cast<int>(method)));
    }
    std::vector<Entry> entries;
    entries.reserve(rows.size());
    for (const BatchRow& row : rows) {
        const std::optional<std::size_t> rank = CurveKey::TransformRank(row.Transform);
        if (!rank) {
            throw std::invalid_argument("BdSummary: no transform \"" + row.Transform + "\"");
        }
        entries.push_back({*rank, CurveKey::LevelsRank(row.Options.Levels), &row});
    }
    // Group, then image, then transform, then error: each image's curves lie together.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::forward_as_tuple(GroupOf(a), a.Row->Image, a.Transform, a.Row->ErrorPercent) <
               std::forward_as_tuple(GroupOf(b), b.Row->Image, b.Transform, b.Row->ErrorPercent);
    });

    // Transform rank to its figures, per group; images come in name order.
    std::vector<SetBd> sets;
    std::map<std::size_t, SetBd> group;
    const auto closeGroup = [&] {
        for (auto& [rank, set] : group) {
            std::vector<double> kept;
            std::vector<double> psnr;
            for (const ImageBd& image : set.Images) {
                if (image.Figures.KeptPercent && image.Figures.PsnrDb) {
                    kept.push_back(*image.Figures.KeptPercent);
                    psnr.push_back(*image.Figures.PsnrDb);
                }
            }
            set.Defined = kept.size();
            set.Undefined = set.Images.size() - kept.size();
            set.KeptPercent = SampleStatistics::Of(kept);
            set.PsnrDb = SampleStatistics::Of(psnr);
            sets.push_back(std::move(set));
        }
        group.clear();
    };
    for (std::size_t i = 0; i < entries.size();) {
        if (i > 0 && GroupOf(entries[i]) != GroupOf(entries[i - 1])) {
            closeGroup();
        }
        // One image of the group: its curves, in transform order.
        const std::string& image = entries[i].Row->Image;
        std::vector<std::pair<const Entry*, std::vector<RdPoint>>> curves;
        for (; i < entries.size() && entries[i].Row->Image == image &&
               (curves.empty() || GroupOf(entries[i]) == GroupOf(*curves.front().first));
             ++i) {
            if (curves.empty() || curves.back().first->Transform != entries[i].Transform) {
                curves.emplace_back(&entries[i], std::vector<RdPoint>{});
            }
            curves.back().second.push_back({entries[i].Row->KeptPercent, entries[i].Row->PsnrDb});
        }
        const std::vector<RdPoint>* referenceCurve = nullptr;
        for (const auto& [first, points] : curves) {
            if (first->Transform == *referenceRank) {
                referenceCurve = &points;
            }
        }
        for (const auto& [first, points] : curves) {
            auto [at, added] = group.try_emplace(first->Transform);
            SetBd& set = at->second;
            if (added) {
                const BatchRow& r = *first->Row;
                set.Key = {r.Transform, r.Tiles, r.ColorCorrection, r.Options};
                set.Reference = reference;
                set.Method = method;
            }
            ImageBd figures{image, referenceCurve != nullptr, {}};
            if (referenceCurve) {
                figures.Figures = Bjontegaard(*referenceCurve, points, method);
            } else {
                figures.Figures.Note = "no reference curve";
            }
            set.Images.push_back(std::move(figures));
        }
    }
    closeGroup();
    std::stable_sort(sets.begin(), sets.end(),
                     [](const SetBd& a, const SetBd& b) { return a.Key < b.Key; });
    return sets;
}
