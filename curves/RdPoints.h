#pragma once

#include <span>
#include <vector>

// One conversion on a rate-distortion curve: its rate (the kept percentage, the mean over the
// channels) and its PSNR in dB.
struct RdPoint {
    double Rate = 0.0;
    double Psnr = 0.0;
};

// The points a Bjontegaard figure is computed from: those with a finite PSNR and a rate above 0,
// sorted by rate ascending and, for equal rates, by PSNR descending; walking that order, a point
// is kept when both its rate and its PSNR are above the last kept point's. So both axes strictly
// increase along the result, and of equal rates the best PSNR stays.
std::vector<RdPoint> BdPoints(std::span<const RdPoint> points);
