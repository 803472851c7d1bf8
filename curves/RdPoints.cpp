#include "RdPoints.h"

#include <algorithm>
#include <cmath>

std::vector<RdPoint> BdPoints(std::span<const RdPoint> points) {
    std::vector<RdPoint> usable;
    usable.reserve(points.size());
    for (const RdPoint& p : points) {
        // A NaN rate fails the comparison and goes too.
        if (std::isfinite(p.Psnr) && p.Rate > 0.0 && std::isfinite(p.Rate)) {
            usable.push_back(p);
        }
    }
    std::sort(usable.begin(), usable.end(), [](const RdPoint& a, const RdPoint& b) {
        return a.Rate != b.Rate ? a.Rate < b.Rate : a.Psnr > b.Psnr;
    });
    std::vector<RdPoint> kept;
    for (const RdPoint& p : usable) {
        if (kept.empty() || (p.Rate > kept.back().Rate && p.Psnr > kept.back().Psnr)) {
            kept.push_back(p);
        }
    }
    return kept;
}
