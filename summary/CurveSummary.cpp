#include "CurveSummary.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

namespace {

CurveKey KeyOf(const BatchRow& row) {
    return {row.Transform, row.Tiles, row.ColorCorrection, row.Options};
}

SetPoint PointOf(double errorPercent, std::vector<ImageSample> samples) {
    SetPoint point;
    point.ErrorPercent = errorPercent;
    std::vector<double> kept;
    std::vector<double> psnr;
    std::vector<double> ssim;
    for (const ImageSample& s : samples) {
        kept.push_back(s.KeptPercent);
        if (std::isinf(s.PsnrDb)) {
            ++point.PsnrInfinite;
        } else if (!std::isnan(s.PsnrDb)) {
            psnr.push_back(s.PsnrDb);
        }
        if (!std::isnan(s.Ssim)) {
            ssim.push_back(s.Ssim);
        }
    }
    point.KeptPercent = SampleStatistics::Of(kept);
    point.PsnrDb = SampleStatistics::Of(psnr);
    point.Ssim = SampleStatistics::Of(ssim);
    point.Samples = std::move(samples);
    return point;
}

} // namespace

std::vector<SetCurve> CurveSummary::Of(std::span<const BatchRow> rows) {
    // Each row's place in the tables' order, ranked once rather than at every comparison.
    struct Entry {
        std::size_t Transform;
        int Levels;
        const BatchRow* Row;
    };
    std::vector<Entry> entries;
    entries.reserve(rows.size());
    for (const BatchRow& row : rows) {
        const std::optional<std::size_t> rank = CurveKey::TransformRank(row.Transform);
        if (!rank) {
            throw std::invalid_argument("CurveSummary: no transform \"" + row.Transform + "\"");
        }
        entries.push_back({*rank, CurveKey::LevelsRank(row.Options.Levels), &row});
    }
    const auto curveOf = [](const Entry& e) {
        const BatchRow& r = *e.Row;
        return std::make_tuple(e.Transform, r.Tiles, r.ColorCorrection, r.Options.Scaling, e.Levels,
                               r.Options.Rule);
    };
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        const auto ka = curveOf(a);
        const auto kb = curveOf(b);
        if (ka != kb) {
            return ka < kb;
        }
        if (a.Row->ErrorPercent != b.Row->ErrorPercent) {
            return a.Row->ErrorPercent < b.Row->ErrorPercent;
        }
        return a.Row->Image < b.Row->Image;
    });

    std::vector<SetCurve> curves;
    for (std::size_t i = 0; i < entries.size();) {
        SetCurve curve;
        curve.Key = KeyOf(*entries[i].Row);
        std::size_t end = i;
        while (end < entries.size() && curveOf(entries[end]) == curveOf(entries[i])) {
            ++end;
        }
        while (i < end) {
            const double error = entries[i].Row->ErrorPercent;
            std::vector<ImageSample> samples;
            for (; i < end && entries[i].Row->ErrorPercent == error; ++i) {
                const BatchRow& r = *entries[i].Row;
                samples.push_back({r.Image, r.KeptPercent, r.PsnrDb, r.Ssim});
            }
            // + 0.0: a -0 error is written as 0.
            curve.Points.push_back(PointOf(error + 0.0, std::move(samples)));
        }
        curves.push_back(std::move(curve));
    }
    return curves;
}
