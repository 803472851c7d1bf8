#include "Bjontegaard.h"

#include "CubicFit.h"
#include "Pchip.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The mean over [low, high] of the curve y(x) through the points, by the method.
double MeanOf(std::span<const double> x, std::span<const double> y, BdMethod method, double low,
              double high) {
    if (method == BdMethod::CubicFit) {
        return CubicFit(x, y).MeanOver(low, high);
    }
    return Pchip(x, y).MeanOver(low, high);
}

struct Axes {
    std::vector<double> LogRate;
    std::vector<double> Psnr;
};

Axes AxesOf(const std::vector<RdPoint>& points) {
    Axes axes;
    for (const RdPoint& p : points) {
        axes.LogRate.push_back(std::log(p.Rate));
        axes.Psnr.push_back(p.Psnr);
    }
    return axes;
}

} // namespace

BdFigures Bjontegaard(std::span<const RdPoint> reference, std::span<const RdPoint> test,
                      BdMethod method) {
    const std::vector<RdPoint> ref = BdPoints(reference);
    const std::vector<RdPoint> tst = BdPoints(test);
    BdFigures figures;
    figures.ReferencePoints = ref.size();
    figures.TestPoints = tst.size();
    if (ref.size() < BdMinimumPoints || tst.size() < BdMinimumPoints) {
        figures.Note = "fewer than 4 points";
        return figures;
    }
    // Both axes increase along the points, so the ranges are the first and last points.
    const Axes r = AxesOf(ref);
    const Axes t = AxesOf(tst);
    const double psnrLow = std::max(r.Psnr.front(), t.Psnr.front());
    const double psnrHigh = std::min(r.Psnr.back(), t.Psnr.back());
    const double rateLow = std::max(r.LogRate.front(), t.LogRate.front());
    const double rateHigh = std::min(r.LogRate.back(), t.LogRate.back());
    if (psnrHigh > psnrLow) {
        figures.OverlapLowDb = psnrLow;
        figures.OverlapHighDb = psnrHigh;
        const double mean = MeanOf(t.Psnr, t.LogRate, method, psnrLow, psnrHigh) -
                            MeanOf(r.Psnr, r.LogRate, method, psnrLow, psnrHigh);
        figures.KeptPercent = std::expm1(mean) * 100.0;
    }
    if (rateHigh > rateLow) {
        figures.PsnrDb = MeanOf(t.LogRate, t.Psnr, method, rateLow, rateHigh) -
                         MeanOf(r.LogRate, r.Psnr, method, rateLow, rateHigh);
    }
    if (!figures.KeptPercent || !figures.PsnrDb) {
        figures.Note = "the curves do not overlap";
    }
    return figures;
}

std::string BdMethodName(BdMethod method) {
    return method == BdMethod::PiecewiseCubic ? "pchip" : "cubic";
}

std::optional<BdMethod> ParseBdMethod(std::string_view text) {
    if (text == "cubic") {
        return BdMethod::CubicFit;
    }
    if (text == "pchip") {
        return BdMethod::PiecewiseCubic;
    }
    return std::nullopt;
}
