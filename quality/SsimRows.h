#pragma once

#include "RgbView.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The SSIM maps of the three channels of two images, summed row by row (the figure Ssim of
// Quality.h averages them). One channel at a time, each input row is unpacked once into a ring
// of the 11 rows the window spans, holding a, b, a^2 + b^2 and ab as doubles; the window then
// runs over strips of columns whose sums stay in the first-level cache. One object per thread;
// the views are checked by the caller.
class SsimRows {
public:
    // For images of the given width, at least 11.
    explicit SsimRows(std::int32_t width);

    // sums[c][y - first] = the sum of row y of channel c's map (R, G, B) over its columns
    // 5 .. width - 6, summed as numpy sums a row (pairwise); 5 <= first <= end <= height - 5.
    void RowSums(const RgbView& a, const RgbView& b, std::int32_t first, std::int32_t end,
                 const std::array<std::span<double>, 3>& sums);

    // The window's weights w_0 .. w_5 (w_-k = w_k), normalised as scipy normalises them.
    static const std::array<double, 6>& Weights();

    // Values per pixel that the window sums: a, b, a^2 + b^2, ab.
    static constexpr std::size_t Runs = 4;

private:
    // Input row y of the channel at shift into its ring slot.
    void Unpack(const RgbView& a, const RgbView& b, std::int32_t y, int shift);
    // Ring slot s: Runs runs of Width doubles, RunStride apart.
    double* Slot(std::int32_t s) {
        return ring.data() + static_cast<std::size_t>(s) * Runs * runStride;
    }

    std::int32_t width;
    // Width and three cache lines: runs a power of two apart would crowd into the same cache
    // sets.
    std::size_t runStride;
    std::vector<double> ring;
    // The window's sums down the columns of one strip, Runs runs.
    std::vector<double> columns;
    // One row of one channel's map, columns 5 .. width - 6.
    std::vector<double> map;
};
