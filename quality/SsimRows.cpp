#include "SsimRows.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

// The window's loops also come in a four-wide build, chosen when the program starts on a
// processor that has it: the same operations on every value in the same order, so the same
// bits. Fused multiply-add stays off in both.
#if defined(__x86_64__) && defined(__GNUC__)
#define TARVISH_WIDE_LOOPS __attribute__((target_clones("avx2", "default")))
#else
#define TARVISH_WIDE_LOOPS
#endif

namespace {

constexpr std::int32_t Radius = 5;
constexpr std::int32_t Window = 2 * Radius + 1;
// Map columns per strip: the strip's window sums, Runs runs of Strip + 10 doubles, take about
// 17 KiB, and its local copy 4 KiB.
constexpr std::int32_t Strip = 512;
constexpr std::int32_t StripSpan = Strip + 2 * Radius;

constexpr double C1 = (0.01 * 255.0) * (0.01 * 255.0);
constexpr double C2 = (0.03 * 255.0) * (0.03 * 255.0);

// numpy's pairwise sum of doubles (add.reduce over a contiguous run), step for step.
double PairwiseSum(const double* values, std::size_t count) {
    if (count < 8) {
        double sum = 0.0;
        for (std::size_t i = 0; i < count; ++i) {
            sum += values[i];
        }
        return sum;
    }
    if (count <= 128) {
        double r[8];
        std::copy(values, values + 8, r);
        std::size_t i = 8;
        for (; i < count - count % 8; i += 8) {
            for (std::size_t k = 0; k < 8; ++k) {
                r[k] += values[i + k];
            }
        }
        double sum = ((r[0] + r[1]) + (r[2] + r[3])) + ((r[4] + r[5]) + (r[6] + r[7]));
        for (; i < count; ++i) {
            sum += values[i];
        }
        return sum;
    }
    std::size_t half = count / 2;
    half -= half % 8;
    return PairwiseSum(values, half) + PairwiseSum(values + half, count - half);
}

// The window down the columns, as scipy's correlate1d adds symmetric weights:
// out[j] = x_0 w_0 + (x_-5 + x_5) w_5 + ... + (x_-1 + x_1) w_1, x_i = rows[5 + i][j].
// The pair sums are whole numbers, so exact.
TARVISH_WIDE_LOOPS void ColumnSums(const double* const* rows, std::int32_t count, double* out) {
    // Copies: the stores below could alias them as far as the compiler knows.
    const std::array<double, 6> w = SsimRows::Weights();
    const double* r0 = rows[0];
    const double* r1 = rows[1];
    const double* r2 = rows[2];
    const double* r3 = rows[3];
    const double* r4 = rows[4];
    const double* r5 = rows[5];
    const double* r6 = rows[6];
    const double* r7 = rows[7];
    const double* r8 = rows[8];
    const double* r9 = rows[9];
    const double* r10 = rows[10];
    // Summed into a local array, which cannot alias the rows, so that the loop vectorises.
    double sums[StripSpan];
    for (std::int32_t j = 0; j < count; ++j) {
        double sum = r5[j] * w[0];
        sum += (r0[j] + r10[j]) * w[5];
        sum += (r1[j] + r9[j]) * w[4];
        sum += (r2[j] + r8[j]) * w[3];
        sum += (r3[j] + r7[j]) * w[2];
        sum += (r4[j] + r6[j]) * w[1];
        sums[j] = sum;
    }
    std::copy(sums, sums + count, out);
}

// The window along the row over a strip's column sums, then SSIM, for count map columns;
// column sum j + 5 is the centre of map column j.
TARVISH_WIDE_LOOPS void RowPass(const double* columns, std::int32_t count, double* map) {
    const std::array<double, 6> w = SsimRows::Weights();
    const double* sa = columns + Radius;
    const double* sb = sa + StripSpan;
    const double* sq = sa + 2 * StripSpan;
    const double* sab = sa + 3 * StripSpan;
    for (std::int32_t j = 0; j < count; ++j) {
        double ma = sa[j] * w[0];
        double mb = sb[j] * w[0];
        double mq = sq[j] * w[0];
        double mab = sab[j] * w[0];
        for (std::int32_t k = Radius; k >= 1; --k) {
            ma += (sa[j - k] + sa[j + k]) * w[k];
            mb += (sb[j - k] + sb[j + k]) * w[k];
            mq += (sq[j - k] + sq[j + k]) * w[k];
            mab += (sab[j - k] + sab[j + k]) * w[k];
        }
        // 2 mu_a mu_b and 2 cov are 2 (mu_a mu_b) and 2 cov; var_a + var_b is
        // G * (a^2 + b^2) - (mu_a^2 + mu_b^2).
        const double means = ma * ma + mb * mb;
        const double product = ma * mb;
        const double numerator = (2.0 * product + C1) * (2.0 * (mab - product) + C2);
        map[j] = numerator / ((means + C1) * (mq - means + C2));
    }
}

} // namespace

SsimRows::SsimRows(std::int32_t width)
    : width(width), runStride(static_cast<std::size_t>(width) + 24),
      ring(std::size_t{Window} * Runs * runStride), columns(Runs * std::size_t{StripSpan}),
      map(static_cast<std::size_t>(width - 2 * Radius)) {}

void SsimRows::Unpack(const RgbView& a, const RgbView& b, std::int32_t y, int shift) {
    const std::uint32_t* pa = a.Pixels + y * a.Stride;
    const std::uint32_t* pb = b.Pixels + y * b.Stride;
    const std::size_t n = static_cast<std::size_t>(width);
    double* va = Slot(y % Window);
    double* vb = va + runStride;
    double* vq = vb + runStride;
    double* vab = vq + runStride;
    for (std::size_t x = 0; x < n; ++x) {
        const double u = static_cast<double>(pa[x] >> shift & 0xFFu);
        const double v = static_cast<double>(pb[x] >> shift & 0xFFu);
        va[x] = u;
        vb[x] = v;
        vq[x] = u * u + v * v;
        vab[x] = u * v;
    }
}

void SsimRows::RowSums(const RgbView& a, const RgbView& b, std::int32_t first, std::int32_t end,
                       const std::array<std::span<double>, 3>& sums) {
    for (std::size_t c = 0; c < 3; ++c) {
        const int shift = 16 - 8 * static_cast<int>(c);
        for (std::int32_t y = first - Radius; y < first + Radius && first < end; ++y) {
            Unpack(a, b, y, shift);
        }
        for (std::int32_t y = first; y < end; ++y) {
            Unpack(a, b, y + Radius, shift);
            for (std::int32_t x = Radius; x < width - Radius; x += Strip) {
                const std::int32_t count = std::min(Strip, width - Radius - x);
                for (std::size_t q = 0; q < Runs; ++q) {
                    const double* rows[Window];
                    for (std::int32_t i = 0; i < Window; ++i) {
                        rows[i] = Slot((y - Radius + i) % Window) + q * runStride + (x - Radius);
                    }
                    ColumnSums(rows, count + 2 * Radius, columns.data() + q * StripSpan);
                }
                RowPass(columns.data(), count, map.data() + (x - Radius));
            }
            sums[c][static_cast<std::size_t>(y - first)] = PairwiseSum(map.data(), map.size());
        }
    }
}

const std::array<double, 6>& SsimRows::Weights() {
    // scipy's _gaussian_kernel1d: exp(-0.5 / sigma^2 * k^2), divided by numpy's sum of all 11.
    static const std::array<double, 6> weights = [] {
        const double sigma = 1.5;
        double raw[Window];
        for (std::int32_t i = 0; i < Window; ++i) {
            const double k = static_cast<double>(i - Radius);
            raw[i] = std::exp(-0.5 / (sigma * sigma) * (k * k));
        }
        const double sum = PairwiseSum(raw, Window);
        std::array<double, 6> w{};
        for (std::int32_t k = 0; k <= Radius; ++k) {
            w[static_cast<std::size_t>(k)] = raw[Radius + k] / sum;
        }
        return w;
    }();
    return weights;
}
